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
  for (const char* args : {"", "--frobnicate ok.vlm", "ok.vlm -o", "ok.vlm --seed x", "a.vlm b.vlm", "ok.vlm --loop",
                           "ok.vlm --midi-clock", "ok.vlm --play --midi-clock", "ok.vlm --midi-out x --midi-clock"}) {
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

// An output that is the source, or another output, under any of its names,
// is refused before anything is read or written.
TEST_F(Vlmc, RefusesAnOutputThatIsTheSourceOrAnotherOutput) {
  Write("s.vlm", "c d e");
  Write("s.mid", "old");
  Shell("ln s.vlm hard.vlm && ln -s s.vlm soft.vlm");
  const struct {
    const char* args;
    const char* message;
  } cases[] = {
      {"s.vlm -o s.vlm", "vlmc: -o s.vlm is the same file as SOURCE s.vlm; nothing was written\n"},
      {"s.vlm --dump-source hard.vlm", "vlmc: --dump-source hard.vlm is the same file as SOURCE s.vlm"},
      {"s.vlm --wav soft.vlm", "vlmc: --wav soft.vlm is the same file as SOURCE s.vlm"},
      {"s.vlm --wav ./s.mid", "vlmc: --wav ./s.mid is the same file as the MIDI file s.mid"},
      {"s.vlm -o new.mid --dump-source new.mid", "vlmc: --dump-source new.mid is the same file as -o new.mid"},
  };
  for (const auto& c : cases) {
    const ToolRun run = Compile(c.args);
    EXPECT_EQ(run.status, 2) << c.args;
    EXPECT_EQ(run.err.rfind(c.message, 0), 0u) << run.err;
    EXPECT_TRUE(run.out.empty()) << c.args;
  }
  EXPECT_EQ(vlm::ReadFileBytes(dir + "/s.vlm"), "c d e");
  EXPECT_EQ(vlm::ReadFileBytes(dir + "/s.mid"), "old");
  EXPECT_FALSE(std::filesystem::exists(dir + "/new.mid"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir + "/soft.vlm"));
}

// Empty names are usage errors; a device or a pipe as the source is refused
// at once with its name and the limit; standard input is read for "-".
TEST_F(Vlmc, BoundedSourcesAndNamedOutputs) {
  Write("s.vlm", "c");
  for (const char* args : {"s.vlm -o ''", "s.vlm --dump-source ''", "s.vlm --wav ''", "-"}) {
    const ToolRun run = Compile(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_TRUE(run.out.empty()) << args;
  }
  EXPECT_FALSE(std::filesystem::exists(dir + "/s.mid"));
  const ToolRun zero = Compile("/dev/zero");
  EXPECT_EQ(zero.status, 2);
  EXPECT_EQ(zero.err, "vlmc: cannot read /dev/zero: not a regular file (a source is a regular file of up to "
                      "256 MiB, or - for standard input)\n");
  const ToolRun piped = Shell("printf 'c d e' | '" + std::string(VLM_BIN_DIR) + "/vlmc' - -o piped.mid");
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(EventLines(Midi("piped.mid"), 0).size(), 6u);
  // The MIDI file into a pipe: written through it, never renamed over it.
  const ToolRun streamed = Shell("mkfifo fifo && (cat fifo > got.mid &) && '" + std::string(VLM_BIN_DIR) +
                                 "/vlmc' s.vlm -o fifo && sleep 0.2 && test -p fifo");
  EXPECT_EQ(streamed.status, 0) << streamed.err;
  EXPECT_TRUE(Midi("got.mid").valid);
}

// "-o -" sends the very bytes a file would get to standard output; the
// messages then go to standard error, and -q keeps only the error lines.
TEST_F(Vlmc, StandardOutputQuietAndGnuStyleOptions) {
  Write("s.vlm", "t90 c d e\n}\n");
  const ToolRun file = Compile("s.vlm -o file.mid --seed 9");
  ASSERT_EQ(file.status, 1) << file.err;
  const ToolRun piped = Compile("s.vlm -o - --seed=9");
  EXPECT_EQ(piped.status, 1);
  EXPECT_EQ(piped.out, vlm::ReadFileBytes(dir + "/file.mid").value_or("?"));
  EXPECT_EQ(piped.err, file.out);
  EXPECT_FALSE(std::filesystem::exists(dir + "/-"));

  const ToolRun quiet = Compile("-q --output=q.mid s.vlm");
  EXPECT_EQ(quiet.status, 1);
  EXPECT_EQ(quiet.out, "err(1)\"}\":解読不能文字です\"> _tr<0> ptr=288<3>小節目\n");
  EXPECT_TRUE(quiet.err.empty()) << quiet.err;
  Write("ok.vlm", "c");
  const ToolRun silent = Compile("ok.vlm --quiet");
  EXPECT_EQ(silent.status, 0);
  EXPECT_EQ(silent.out + silent.err, "");

  // After "--" a source may begin with '-'; standard input to standard output.
  Write("-dash.vlm", "c d");
  EXPECT_EQ(Compile("-o dash.mid -- -dash.vlm").status, 0);
  EXPECT_TRUE(Midi("dash.mid").valid);
  const ToolRun stream = Shell("printf 'c d' | '" + std::string(VLM_BIN_DIR) + "/vlmc' -q - -o - > out.mid");
  EXPECT_EQ(stream.status, 0) << stream.err;
  EXPECT_EQ(EventLines(Midi("out.mid"), 0).size(), 4u);

  const ToolRun version = Compile("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("vlmc (Vorlumi3) ", 0), 0u) << version.out;
  for (const char* bad : {"--quiet=1 ok.vlm", "--seed= ok.vlm", "--output= ok.vlm", "ok.vlm -- b.vlm"}) {
    const ToolRun run = Compile(bad);
    EXPECT_EQ(run.status, 2) << bad;
    EXPECT_TRUE(run.out.empty()) << bad;
  }
}

// Memory running out ends the run with status 2 and a message, never an
// abort. Here the source alone outgrows a 60 MB address space.
// One JSON object a line per note-on of the file, in its order, with the
// place of the note's letter; an included file's notes carry its name.
TEST_F(Vlmc, SourceMapListsEveryNoteOnWithItsPlace) {
  Write("part\\b.vlm", "\n  g");
  Write("song.vlm", "_m(TWO,\"?1 ?2\")\nc TWO(d,e)\n#include \"part\\b.vlm\"");
  const ToolRun run = Compile("song.vlm --source-map map.jsonl");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(vlm::ReadFileBytes(dir + "/map.jsonl").value_or(""),
            "{\"track\":0,\"tick\":0,\"note\":48,\"file\":\"song.vlm\",\"line\":2,\"column\":1}\n"
            "{\"track\":0,\"tick\":96,\"note\":50,\"file\":\"song.vlm\",\"line\":2,\"column\":7}\n"
            "{\"track\":0,\"tick\":192,\"note\":52,\"file\":\"song.vlm\",\"line\":2,\"column\":9}\n"
            "{\"track\":0,\"tick\":288,\"note\":55,\"file\":\"part\\\\b.vlm\",\"line\":2,\"column\":3}\n");
  // The map is no other output's file, and it changes nothing in the MIDI file.
  EXPECT_EQ(Compile("song.vlm -o out.mid --source-map out.mid").status, 2);
  ASSERT_EQ(Compile("song.vlm -o plain.mid").status, 0);
  EXPECT_EQ(vlm::ReadFileBytes(dir + "/plain.mid"), vlm::ReadFileBytes(dir + "/song.mid"));
}

// The form Vim's quickfix and Emacs' compilation mode read: the place in the
// text as written (an included file by its directive's name, its own line),
// columns in characters; the default output is left as it was.
TEST_F(Vlmc, GnuDiagnosticsNameThePlaceInTheTextWritten) {
  Write("inc.vlm", "c d e\n\n  v200 \xE3\x83\x89Y\n");
  Write("main.vlm", "t120\n#include \"inc.vlm\"\n  \xE3\x83\x89 c Q");
  const ToolRun gnu = Compile("--diagnostics=gnu main.vlm");
  EXPECT_EQ(gnu.status, 1);
  EXPECT_NE(gnu.out.find("inc.vlm:3:9: error: 解読不能文字です (Y)\n"), std::string::npos) << gnu.out;
  EXPECT_NE(gnu.out.find("main.vlm:3:3: error: 解読不能文字です ("), std::string::npos) << gnu.out;
  EXPECT_EQ(gnu.out.find("err("), std::string::npos) << gnu.out;
  const ToolRun plain = Compile("main.vlm");
  EXPECT_NE(plain.out.find("err(4)\"Y\":解読不能文字です\"> _tr<0>"), std::string::npos) << plain.out;
  const ToolRun piped = Shell("printf 'c\\n}' | '" + std::string(VLM_BIN_DIR) + "/vlmc' --diagnostics=gnu -o x.mid -");
  EXPECT_NE(piped.out.find("<stdin>:2:1: error: 解読不能文字です (})"), std::string::npos) << piped.out;
  EXPECT_EQ(Compile("--diagnostics=emacs main.vlm").status, 2);
  // A compile that fails after an error still names the error's place.
  Write("big.vlm", "}\nc999999999995860\n");
  const ToolRun failed = Compile("--diagnostics=gnu big.vlm");
  EXPECT_EQ(failed.status, 2) << failed.err;
  EXPECT_NE(failed.out.find("big.vlm:1:1: error: 解読不能文字です (})"), std::string::npos) << failed.out;
}

TEST_F(Vlmc, RunningOutOfMemoryIsAMessage) {
  if (vlmtest::AddressSanitized()) GTEST_SKIP() << "an address-space limit cannot hold a sanitized program";
  std::string text;
  while (text.size() < 40'000'000) text += "cdefgab cdefgab cdefgab cdefgab cdefgab cdefgab cdefgab\n";
  Write("big.vlm", text);
  const ToolRun run = Shell("prlimit --as=60000000 '" + std::string(VLM_BIN_DIR) + "/vlmc' big.vlm");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("vlmc: out of memory"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace vlmtest
