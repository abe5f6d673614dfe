#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "common/text_file.h"
#include "tests/app/generator_sim.h"
#include "tests/support/compile_harness.h"
#include "tests/support/run_command.h"

namespace vlmtest {
namespace {

using CliRun = CommandRun;

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override { dir = ScratchDir(); }
  void TearDown() override { std::filesystem::remove_all(dir); }

  // Runs vorlumi3-cli in the scratch directory.
  CliRun Cli(const std::string& args) {
    return RunCommand(dir, "'" + std::string(VLM_BIN_DIR) + "/vorlumi3-cli' " + args);
  }

  std::string dir;
};

TEST_F(CliTest, HelpAndBadArguments) {
  const CliRun help = Cli("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--seed N"), std::string::npos);
  for (const char* bad : {"--seed", "--seed -1", "--seed 4294967296", "--seed 12x", "--steps 0", "--frobnicate",
                          "--print rhythm,melody", "--out", "--settings none.vr3", "--scale-dat none.dat"}) {
    const CliRun run = Cli(bad);
    EXPECT_EQ(run.status, 2) << bad;
    EXPECT_FALSE(run.err.empty()) << bad;
  }
  EXPECT_FALSE(std::filesystem::exists(dir + "/vorlumi3.mid"));
}

TEST_F(CliTest, SeedFixesRhythmAndPatternAsTheDrawOrderSays) {
  const std::uint32_t seed = 4242;
  const CliRun run = Cli("--seed 4242 --print pattern,rhythm");
  EXPECT_EQ(run.status, 0) << run.err;

  // Start values, and preset 31 of the shipped presets with key C.
  std::uint32_t afterRhythm = 0;
  const std::string rhythm = SimulateRhythm(seed, 16, {0, 80, 10, 60, 20, 8, 8, 8}, &afterRhythm);
  PatternSimulation sim{Lcg{afterRhythm}};
  const auto presets = vlm::SplitLines(*vlm::ReadFileBytes(std::string(VLM_BIN_DIR) + "/Scale.dat"));
  for (int k = 1; k <= 12; ++k) {
    const char digit = presets[63][static_cast<std::size_t>(k - 1)];
    sim.scale[k] = (digit == 'A' ? 10 : digit - '0') * 10;
  }
  EXPECT_EQ(run.out, "rhythm: " + rhythm + "\npattern: " + sim.Build(rhythm, 16) + "\n");
  EXPECT_NE(run.err.find("wrote " + dir + "/vorlumi3.mid"), std::string::npos);

  // The same seed gives the same file.
  const auto first = vlm::ReadFileBytes(dir + "/vorlumi3.mid");
  Cli("--seed 4242 --out again.mid");
  EXPECT_EQ(first, vlm::ReadFileBytes(dir + "/again.mid"));
}

TEST_F(CliTest, SourceBlockAndExports) {
  const CliRun run = Cli("--seed 1 --steps 4 --print source --mml phrase.vlm -o sub.mid");
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(run.out.rfind("source:\nRESET_GS|RESET_XG|r4\nt120\n@0v100\n\nBR=2\n[4 l16", 0), 0u) << run.out;
  const auto exported = vlm::SplitLines(*vlm::ReadFileBytes(dir + "/phrase.vlm"));
  EXPECT_EQ(exported.back(), vlm::SplitLines(run.out).back());
  EXPECT_TRUE(std::filesystem::exists(dir + "/sub.mid"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/vorlumi3.mid"));
}

TEST_F(CliTest, MessagesWithoutPrintAndTheExitStatusOfErrors) {
  ASSERT_FALSE(vlm::WriteFileAtomically(dir + "/bad.vr3", "[RythmTab]\r\nRythmPattern=N\r\n[BasicTab]\r\noption=}}\r\n").has_value());
  const CliRun run = Cli("--settings bad.vr3 --seed 3");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out.rfind("Compile Start\n", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("err(3)\"}\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("wrote "), std::string::npos);
}

TEST_F(CliTest, SongFromASettingsFile) {
  ASSERT_FALSE(vlm::WriteFileAtomically(dir + "/song.vr3",
                                        "[SongTab]\r\nMML1=l8c\r\nMML2=l4d\r\nPlayList=2,1,x\r\nRepeat4time=0\r\n")
                   .has_value());
  const CliRun run = Cli("--settings song.vr3 --song --print source");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(vlm::SplitLines(run.out).back(), "l4dl8c");

  ASSERT_FALSE(vlm::WriteFileAtomically(dir + "/empty.vr3", "[SongTab]\r\n").has_value());
  const CliRun none = Cli("--settings empty.vr3 --song");
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.err.find("No Song !"), std::string::npos);
}

TEST_F(CliTest, AllZeroWeightsWarnOnStandardError) {
  // No "Scr" keys: every weight is 0 and every note becomes a rest with a warning.
  ASSERT_FALSE(vlm::WriteFileAtomically(dir + "/zero.vr3", "[RythmTab]\r\nRythmPattern=NN\r\n").has_value());
  const CliRun run = Cli("--settings zero.vr3 --seed 8 --steps 6 --print rhythm,pattern");
  const auto lines = vlm::SplitLines(run.out);
  ASSERT_EQ(lines.size(), 2u) << run.out;
  const std::string rhythm = lines[0].substr(8), pattern = lines[1].substr(9);
  EXPECT_EQ(pattern.find_first_of("abcdefg"), std::string::npos) << pattern;
  std::size_t notes = 0;
  for (char symbol : rhythm) notes += symbol == 'W' ? 2 : (symbol == 'N' || symbol == 'm' || symbol == 'B') ? 1 : 0;
  std::size_t warnings = 0;
  for (std::size_t at = run.err.find("RetNoteNo Error!"); at != std::string::npos;
       at = run.err.find("RetNoteNo Error!", at + 1))
    ++warnings;
  if (rhythm.find('d') == std::string::npos) EXPECT_EQ(warnings, notes) << rhythm;
  else EXPECT_GE(warnings, notes + 2) << rhythm;
}

}  // namespace
}  // namespace vlmtest
