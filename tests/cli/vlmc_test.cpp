#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/text_file.h"
#include "tests/support/compile_harness.h"
#include "tests/support/run_command.h"

namespace vlmtest {
namespace {

using ToolRun = CommandRun;

class Vlmc : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove_all(dir); }

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
  }

  ToolRun Shell(const std::string& command) { return RunCommand(dir, command); }

  ToolRun Compile(const std::string& args) { return Shell("'" + std::string(VLM_BIN_DIR) + "/vlmc' " + args); }

  SmfFile Midi(const std::string& name) { return ParseSmf(ReadFileBytes(dir + "/" + name)); }

  std::string dir = ScratchDir();
};

TEST_F(Vlmc, CompilesAFileThatAnIndependentReaderAccepts) {
  Write("song.vlm", "t120 @5 o5 l8\r\nc d e0g4 ^8\r\n[2 f g]");
  const ToolRun run = Compile("song.vlm");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Compile Start\nok\n");  // messages and nothing else
  const SmfFile midi = Midi("song.mid");
  ASSERT_TRUE(midi.valid) << midi.error;
  ASSERT_EQ(midi.tracks.size(), 1u);
  int noteOns = 0;
  for (const auto& ev : midi.tracks[0]) noteOns += (ev.bytes[0] & 0xF0) == 0x90;
  EXPECT_EQ(noteOns, 8);
  const ToolRun csv = Shell("midicsv song.mid");
  EXPECT_EQ(csv.status, 0) << csv.err;
  EXPECT_NE(csv.out.find("Note_on_c"), std::string::npos);
}

TEST_F(Vlmc, ErrorsGiveStatusOneAndTheFileIsStillWritten) {
  Write("bad.vlm", "c\n}\n[c");
  const ToolRun run = Compile("bad.vlm -o out.mid --dump-source dump.txt");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("err(1)\"}\":解読不能文字です"), std::string::npos);
  EXPECT_NE(run.out.find("err(3)\"] が1つ足りません。\""), std::string::npos);
  EXPECT_TRUE(Midi("out.mid").valid);
  EXPECT_EQ(vlm::ReadFileBytes(dir + "/dump.txt").value_or(""), "c\n}\n[c\n");
}

TEST_F(Vlmc, DumpShowsMacroExpansions) {
  Write("m.vlm", "PTR=96 c");
  const ToolRun run = Compile("m.vlm --dump-source dump.txt");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(vlm::ReadFileBytes(dir + "/dump.txt").value_or(""), "{PTR}\\6=96 c\n");
}

TEST_F(Vlmc, ShiftJisSourceIsDecodedBeforeCompiling) {
  // "ソ" in code page 932 is 83 5C: its second byte is a backslash, which
  // would be compiled as a system command if the bytes were taken as they are.
  Write("sjis.vlm", std::string("_TITLE(\"\x83\x5C\") c\n;\x83\x5C\n"));
  const ToolRun run = Compile("sjis.vlm");
  EXPECT_EQ(run.status, 0) << run.out;
  const SmfFile midi = Midi("sjis.mid");
  ASSERT_TRUE(midi.valid) << midi.error;
  const auto events = EventLines(midi, 0);
  ASSERT_FALSE(events.empty());
  EXPECT_NE(events[0].find("FF 03 05 22 E3 82 BD 22"), std::string::npos) << events[0];
}

TEST_F(Vlmc, UsageAndFileFailuresGiveStatusTwo) {
  Write("ok.vlm", "c");
  for (const char* args : {"", "--frobnicate ok.vlm", "ok.vlm -o", "ok.vlm --seed x", "a.vlm b.vlm"}) {
    const ToolRun run = Compile(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_TRUE(run.out.empty()) << args;
  }
  EXPECT_EQ(Compile("missing.vlm").status, 2);
  const ToolRun unwritable = Compile("ok.vlm -o /nonexistent-dir/x.mid");
  EXPECT_EQ(unwritable.status, 2);
  EXPECT_NE(unwritable.err.find("原因不明のエラーが発生しました。"), std::string::npos);
  const ToolRun help = Compile("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--dump-source"), std::string::npos);
}

TEST_F(Vlmc, SameSeedSameFile) {
  Write("r.vlm", "RNDV(30) RNDN(5) [8 c d e]");
  ASSERT_EQ(Compile("r.vlm -o a.mid --seed 77").status, 0);
  ASSERT_EQ(Compile("r.vlm -o b.mid --seed 77").status, 0);
  EXPECT_EQ(ReadFileBytes(dir + "/a.mid"), ReadFileBytes(dir + "/b.mid"));
}

}  // namespace
}  // namespace vlmtest
