// Every kept phrase written into a folder at once: each MIDI file is what
// vlmc makes of the MML file written beside it, and no file already in the
// folder is written over.
#include "app/kept_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/app/form_fixture.h"
#include "tests/support/run_command.h"

namespace vlmtest {
namespace {

TEST_F(FormTest, KeptPhrasesAreExportedAsMidiAndMmlWithoutWritingOverAFile) {
  vlm::TForm1& f = Start();
  vlm::PhraseHistory history;
  f.History = &history;
  f.chkRndVel = true;  // the compile's own random draws show in the bytes
  for (int k = 0; k < 3; ++k) f.MakePlay1Click();
  ASSERT_EQ(history.Entries().size(), 3u);
  const std::string patternNow = f.memPatten;
  std::vector<vlm::PhraseEntry> kept = history.Entries();

  const std::string folder = Path("export");
  std::filesystem::create_directories(folder);
  const std::string taken = folder + "/01 seed " + std::to_string(*kept[0].Seed) + ".mid";
  WriteFile(taken, "a file of the user's");

  kept[2].Label = "a/b\tc";  // a name, made safe for a file name

  const vlm::KeptExport result = vlm::ExportKeptPhrases(f, kept, folder);
  EXPECT_EQ(result.Written, 3u);
  ASSERT_EQ(result.Files.size(), 6u);
  EXPECT_EQ(vlm::ReadFileBytes(taken), "a file of the user's");
  EXPECT_EQ(result.Files[0], folder + "/01 seed " + std::to_string(*kept[0].Seed) + " (2).mid");
  EXPECT_EQ(result.Files[3], folder + "/02 seed " + std::to_string(*kept[1].Seed) + ".vlm");
  EXPECT_EQ(result.Files[4], folder + "/03 a_b_c.mid");
  for (std::size_t k = 0; k < kept.size(); ++k) {
    const std::string& midi = result.Files[2 * k];
    const std::string& mml = result.Files[2 * k + 1];
    const auto vlmc = RunCommand(dir, "'" + std::string(VLM_BIN_DIR) + "/vlmc' -q --seed " +
                                          std::to_string(kept[k].CompileSeed) + " '" + mml + "' -o out.mid");
    ASSERT_EQ(vlmc.status, 0) << vlmc.out << vlmc.err;
    EXPECT_EQ(vlm::ReadFileBytes(dir + "/out.mid"), vlm::ReadFileBytes(midi)) << midi;
  }
  EXPECT_EQ(f.memPatten, patternNow) << "the main window keeps its phrase";
}

// A kept phrase dragged out is the file vlmc makes of its source, handed
// over as the roll hands over its phrase: dragged again it is the same file,
// and another phrase with the same seed never takes its place.
TEST_F(FormTest, ADraggedKeptPhraseIsHandedOverAsTheFileVlmcMakes) {
  vlm::TForm1& f = Start();
  vlm::PhraseHistory history;
  f.History = &history;
  for (int k = 0; k < 2; ++k) f.MakePlay1Click();
  const std::vector<vlm::PhraseEntry> entries = history.Entries();
  const std::string folder = Path("dragged");

  const vlm::HandedPhrase first = vlm::HandOverKeptPhrase(f, entries[0], folder);
  ASSERT_EQ(first.Failure, "");
  const std::string mml = Path("check.vlm");
  ASSERT_TRUE(f.ExportEntry(entries[0], mml, true));
  const auto vlmc = RunCommand(dir, "'" + std::string(VLM_BIN_DIR) + "/vlmc' -q --seed " +
                                        std::to_string(entries[0].CompileSeed) + " '" + mml + "' -o out.mid");
  ASSERT_EQ(vlmc.status, 0) << vlmc.err;
  EXPECT_EQ(vlm::ReadFileBytes(dir + "/out.mid"), vlm::ReadFileBytes(first.Path));
  EXPECT_EQ(vlm::HandOverKeptPhrase(f, entries[0], folder).Path, first.Path);

  vlm::PhraseEntry other = entries[1];
  other.Seed = entries[0].Seed;
  const vlm::HandedPhrase second = vlm::HandOverKeptPhrase(f, other, folder);
  EXPECT_NE(second.Path, first.Path);
  EXPECT_EQ(vlm::ReadFileBytes(first.Path), vlm::ReadFileBytes(dir + "/out.mid"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 2)
      << "no scratch file is left behind";
}

}  // namespace
}  // namespace vlmtest
