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
                          "--print rhythm,melody", "--rhythm", "--song --rhythm N", "--out", "--settings none.vr3", "--scale-dat none.dat",
                          "--midi-clock", "--play --midi-clock", "--midi-out x --midi-clock"}) {
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

// Values after '=', "--print" without a list before another option, -q
// keeping only what was asked for, and --version.
TEST_F(CliTest, GnuStyleOptionsQuietAndVersion) {
  const CliRun spaced = Cli("--seed 5 --steps 6 --print rhythm,pattern");
  const CliRun joined = Cli("--seed=5 --steps=6 --print=rhythm,pattern -q");
  EXPECT_EQ(joined.status, 0) << joined.err;
  EXPECT_EQ(joined.out, spaced.out);
  EXPECT_TRUE(joined.err.empty()) << joined.err;  // no "wrote" line

  const CliRun all = Cli("--print -q --seed 5");
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(all.out.rfind("rhythm: ", 0), 0u) << all.out;
  EXPECT_NE(all.out.find("\nsource:\n"), std::string::npos) << all.out;

  const CliRun quiet = Cli("--seed 5 --out=q.mid -q");
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out + quiet.err, "");
  EXPECT_TRUE(std::filesystem::exists(dir + "/q.mid"));

  const CliRun version = Cli("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("vorlumi3-cli (Vorlumi3) ", 0), 0u) << version.out;
  for (const char* bad : {"--song=yes", "-- --seed", "extra", "--steps=129", "--mml="}) {
    const CliRun run = Cli(bad);
    EXPECT_EQ(run.status, 2) << bad;
    EXPECT_FALSE(run.err.empty()) << bad;
  }
}

// The program moves into its own folder at start-up; a relative SoundFont
// name in the environment still means the one where it was started.
TEST_F(CliTest, RelativeSoundFontIsTakenFromWhereTheProgramStarted) {
  std::string system;
  for (const char* file : {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2"})
    if (std::filesystem::is_regular_file(file)) system = file;
  if (system.empty()) GTEST_SKIP() << "no General MIDI SoundFont installed";
  std::filesystem::create_directories(dir + "/fonts");
  std::filesystem::create_symlink(system, dir + "/fonts/mine.sf2");
  const CliRun run = RunCommand(dir, "VORLUMI3_SOUNDFONT=fonts/mine.sf2 '" + std::string(VLM_BIN_DIR) +
                                         "/vorlumi3-cli' --seed 2 --steps 2 --wav p.wav");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_GT(std::filesystem::file_size(dir + "/p.wav"), 44u);
  const CliRun missing = RunCommand(dir, "VORLUMI3_SOUNDFONT=fonts/none.sf2 '" + std::string(VLM_BIN_DIR) +
                                             "/vorlumi3-cli' --seed 2 --steps 2 --wav q.wav");
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("\"" + dir + "/fonts/none.sf2\" named by VORLUMI3_SOUNDFONT"), std::string::npos)
      << missing.err;
}

// One song slot of 100,000 characters named 20,000 times would join 1.9 GB
// of text: refused with a message before anything is joined or compiled.
TEST_F(CliTest, ASongLongerThan16MiBIsRefused) {
  std::string list = "1";
  for (int i = 1; i < 20000; ++i) list += ",1";
  ASSERT_FALSE(vlm::WriteFileAtomically(dir + "/long.vr3", "[SongTab]\r\nMML1=" + std::string(100000, 'c') +
                                                              "\r\nPlayList=" + list + "\r\n")
                   .has_value());
  const CliRun run = Cli("--settings long.vr3 --song");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("The song is too long: its play list joins 1907 MiB of pattern text, more than the 16 MiB "
                         "a song may have."),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(std::filesystem::exists(dir + "/vorlumi3.mid"));
}

// An output that is an input or another output is refused before anything
// is written, naming both.
TEST_F(CliTest, RefusesAnOutputThatIsAnInputOrAnotherOutput) {
  ASSERT_FALSE(vlm::WriteFileAtomically(dir + "/s.vr3", "[BasicTab]\r\n").has_value());
  std::filesystem::create_symlink("s.vr3", dir + "/link.vr3");
  const struct {
    const char* args;
    const char* message;
  } cases[] = {
      {"--mml x.vlm -o x.vlm", "vorlumi3-cli: --mml x.vlm is the same file as --out x.vlm; nothing was written\n"},
      {"--settings s.vr3 --out link.vr3", "vorlumi3-cli: --out link.vr3 is the same file as --settings s.vr3"},
      {"--wav vorlumi3.mid", "vorlumi3-cli: --wav vorlumi3.mid is the same file as --out vorlumi3.mid"},
  };
  for (const auto& c : cases) {
    const CliRun run = Cli(c.args);
    EXPECT_EQ(run.status, 2) << c.args;
    EXPECT_EQ(run.err.rfind(c.message, 0), 0u) << run.err;
  }
  EXPECT_EQ(vlm::ReadFileBytes(dir + "/s.vr3"), "[BasicTab]\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir + "/x.vlm"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/vorlumi3.mid"));
}

// A phrase file that cannot be written is named with the system's reason.
TEST_F(CliTest, WriteFailuresNameTheFileAndTheReason) {
  const CliRun run = Cli("--out missing/p.mid");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find(dir + "/missing/p.mid: No such file or directory"), std::string::npos) << run.err;
}

// Memory running out ends the run with status 2 and a message, never an
// abort: a song of 16 MB, just under the limit, compiled inside a 100 MB
// address space.
TEST_F(CliTest, RunningOutOfMemoryIsAMessage) {
  if (vlmtest::AddressSanitized()) GTEST_SKIP() << "an address-space limit cannot hold a sanitized program";
  std::string list = "1";
  for (int i = 1; i < 160; ++i) list += ",1";
  std::string slot;
  for (int i = 0; i < 25000; ++i) slot += "l64c";
  ASSERT_FALSE(
      vlm::WriteFileAtomically(dir + "/near.vr3", "[SongTab]\r\nMML1=" + slot + "\r\nPlayList=" + list + "\r\n")
          .has_value());
  const CliRun run = RunCommand(dir, "prlimit --as=100000000 '" + std::string(VLM_BIN_DIR) +
                                         "/vorlumi3-cli' --settings near.vr3 --song");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("vorlumi3-cli: out of memory"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace vlmtest
