#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include "app/phrase_history.h"
#include "tests/app/form_fixture.h"
#include "tests/support/run_command.h"

namespace vlmtest {
namespace {

// Random velocity on: the compile's own draws then show in the MIDI bytes.
// A file without scale weights would set them all to 0.
const std::string kHumanised =
    "[BasicTab]\r\nRandomVel Switch=1\r\nRandomVel Value=40\r\n[ScaleTab]\r\nScale No=31\r\n"
    "Scr1=100\r\nScr3=90\r\nScr5=80\r\nScr6=70\r\nScr8=100\r\nScr10=60\r\nScr12=50\r\n";

class PhraseSeedTest : public FormTest {
 protected:
  // vorlumi3-cli run in a folder of its own, writing cli.mid there.
  CommandRun Cli(const std::string& args) {
    const std::string cliDir = dir + "/cli";
    std::filesystem::create_directories(cliDir);
    return RunCommand(cliDir, "'" + std::string(VLM_BIN_DIR) + "/vorlumi3-cli' -o cli.mid " + args);
  }
  std::string CliMidi() const { return vlm::ReadFileBytes(dir + "/cli/cli.mid").value_or(""); }
  std::string FormMidi() const { return vlm::ReadFileBytes(form->PhraseFileName).value_or("<none>"); }

  // The velocities of every note-on, as midicsv reads the file.
  std::multiset<int> NoteOnVelocities(const std::string& midiFile) {
    const CommandRun run = RunCommand(dir, "midicsv '" + midiFile + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    std::multiset<int> velocities;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
      if (line.find("Note_on_c") == std::string::npos) continue;
      const int velocity = std::stoi(line.substr(line.rfind(',') + 1));
      if (velocity > 0) velocities.insert(velocity);
    }
    return velocities;
  }
};

TEST_F(PhraseSeedTest, F5WithASeedEqualsTheCommandLineWithThatSeed) {
  WriteFile(Path("humanised.vr3"), kHumanised);
  vlm::TForm1& f = Start();
  ASSERT_TRUE(f.LoadSettings(Path("humanised.vr3")));
  f.LockSeed = true;  // F5 then draws with the seed the user set
  f.DrawSeed = 90210;
  f.MakePlay1Click();
  EXPECT_EQ(f.DrawSeed, 90210u);
  EXPECT_EQ(f.CompileBase.Seed, 90210u);

  const CommandRun run = Cli("--seed 90210 --settings ../humanised.vr3 --print rhythm,pattern");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "rhythm: " + f.memRythm + "\npattern: " + f.memPatten + "\n");
  EXPECT_EQ(CliMidi(), FormMidi()) << "the compile must be seeded too, not only the draws";

  // The humanising really draws: velocities spread around 100 instead of all being 100.
  const auto velocities = NoteOnVelocities(form->PhraseFileName);
  ASSERT_FALSE(velocities.empty());
  EXPECT_GT(std::set<int>(velocities.begin(), velocities.end()).size(), 3u);

  // A second run of the program writes the same bytes (no clock in the compile).
  const std::string first = CliMidi();
  ASSERT_EQ(Cli("--seed 90210 --settings ../humanised.vr3 -q").status, 0);
  EXPECT_EQ(CliMidi(), first);
}

TEST_F(PhraseSeedTest, F3OnARhythmEqualsTheCommandLineRhythmOption) {
  WriteFile(Path("humanised.vr3"), kHumanised);
  vlm::TForm1& f = Start();
  ASSERT_TRUE(f.LoadSettings(Path("humanised.vr3")));
  f.memRythm = "NdmWBr^NNmd";
  f.LockSeed = true;
  f.DrawSeed = 31337;
  f.PlayMakeP1Click();
  EXPECT_EQ(f.memRythm, "NdmWBr^NNmd") << "F3 keeps the rhythm";

  const CommandRun run = Cli("--settings ../humanised.vr3 --rhythm NdmWBr^NNmd --seed 31337 --print rhythm,pattern");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "rhythm: NdmWBr^NNmd\npattern: " + f.memPatten + "\n");
  EXPECT_EQ(CliMidi(), FormMidi());
  EXPECT_EQ(Cli("--song --rhythm N").status, 2);
}

TEST_F(PhraseSeedTest, EachPlayDrawsAFreshSeedUnlessTheSeedIsLocked) {
  vlm::TForm1& f = Start();
  f.MakePlay1Click();
  const auto first = f.DrawSeed;
  const std::string firstRhythm = f.memRythm;
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(f.CompileBase.Seed, first);
  f.MakePlay1Click();
  EXPECT_NE(f.DrawSeed, first);

  // Locked: a changed setting is heard on the same phrase. The gate of
  // normal notes changes only the q commands; the draws stay the same.
  f.LockSeed = true;
  f.DrawSeed = first;
  f.MakePlay1Click();
  EXPECT_EQ(f.memRythm, firstRhythm);
  const std::string before = f.memPatten;
  f.GateNormal.SetPosition(9);
  f.MakePlay1Click();
  EXPECT_EQ(f.DrawSeed, first);
  EXPECT_EQ(f.memRythm, firstRhythm);
  std::string expected = before;
  for (std::size_t at = 0; (at = expected.find("q16", at)) != std::string::npos;) expected.replace(at, 3, "q9");
  EXPECT_EQ(f.memPatten, expected);

  // Ctrl+P draws nothing: no draw seed, a fresh compile seed.
  const auto compileSeed = f.CompileBase.Seed;
  f.CompilePlay1Click();
  EXPECT_FALSE(f.DrawSeed.has_value());
  EXPECT_NE(f.CompileBase.Seed, compileSeed);
  EXPECT_EQ(f.memPatten, expected) << "a pattern waiting is compiled unchanged";
}

TEST_F(PhraseSeedTest, EveryPlayCommandEntersTheHistory) {
  vlm::TForm1& f = Start();
  vlm::PhraseHistory history;
  f.History = &history;
  f.MakePlay1Click();
  const std::string firstHeard = FormMidi();
  f.PlayMakeP1Click();
  f.CompilePlay1Click();
  f.Button1Click();  // the pattern into slot 1
  f.editSong = "1";
  f.SongPBtnClick();
  f.PlaySong1Click();
  f.Compile1Click();  // compiling alone plays nothing and adds nothing

  const auto& entries = history.Entries();
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].Kind, "draw");
  EXPECT_EQ(entries[1].Kind, "redraw");
  EXPECT_EQ(entries[2].Kind, "compile");
  EXPECT_EQ(entries[3].Kind, "song");
  EXPECT_TRUE(entries[0].Seed && entries[1].Seed);
  EXPECT_EQ(entries[0].Seed, entries[0].CompileSeed);
  EXPECT_EQ(entries[0].Rhythm, entries[1].Rhythm);
  EXPECT_FALSE(entries[2].Seed.has_value());
  EXPECT_FALSE(entries[3].Seed.has_value());
  EXPECT_EQ(entries[3].Pattern, entries[2].Pattern) << "the song of slot 1 alone";
  EXPECT_NE(entries[1].Settings.find("RythmPattern=" + entries[1].Rhythm), std::string::npos);

  // Going back restores rhythm, pattern and seeds; playing it makes the
  // file first heard again, and no new entry.
  const vlm::PhraseEntry* firstEntry = history.GoTo(0);
  ASSERT_NE(firstEntry, nullptr);
  f.RestoreEntry(*firstEntry, true);
  EXPECT_EQ(f.memRythm, entries[0].Rhythm);
  EXPECT_EQ(f.memPatten, entries[0].Pattern);
  EXPECT_EQ(f.DrawSeed, entries[0].Seed);
  EXPECT_EQ(FormMidi(), firstHeard);
  EXPECT_EQ(history.Entries().size(), 4u);
}

TEST_F(PhraseSeedTest, AKeptEntryGoesOutWithItsOwnSettingsAndTheCurrentOnesStay) {
  vlm::TForm1& f = Start();
  vlm::PhraseHistory history;
  f.History = &history;
  f.seTempo.SetValue(90);
  f.MakePlay1Click();
  const std::string heard = FormMidi();
  const vlm::PhraseEntry entry = history.Entries().back();
  f.seTempo.SetValue(150);
  f.MakePlay1Click();
  const std::string rhythmNow = f.memRythm, patternNow = f.memPatten;

  ASSERT_TRUE(f.ExportEntry(entry, Path("kept.mid"), false));
  EXPECT_EQ(vlm::ReadFileBytes(Path("kept.mid")), heard);
  ASSERT_TRUE(f.ExportEntry(entry, Path("kept.vlm"), true));
  const std::string mml = vlm::ReadFileBytes(Path("kept.vlm")).value_or("");
  EXPECT_NE(mml.find("t90\r\n"), std::string::npos);
  EXPECT_NE(mml.find("[4 " + entry.Pattern + "]"), std::string::npos);
  EXPECT_EQ(f.seTempo.Value(), 150);
  EXPECT_EQ(f.memRythm, rhythmNow);
  EXPECT_EQ(f.memPatten, patternNow);

  f.seCopyTo.SetValue(7);
  f.EntryToSlot(entry);
  EXPECT_EQ(f.Slot(7), entry.Pattern);
}

}  // namespace
}  // namespace vlmtest
