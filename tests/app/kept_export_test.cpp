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

  const vlm::KeptExport result = vlm::ExportKeptPhrases(f, kept, folder);
  EXPECT_EQ(result.Written, 3u);
  ASSERT_EQ(result.Files.size(), 6u);
  EXPECT_EQ(vlm::ReadFileBytes(taken), "a file of the user's");
  EXPECT_EQ(result.Files[0], folder + "/01 seed " + std::to_string(*kept[0].Seed) + " (2).mid");
  EXPECT_EQ(result.Files[3], folder + "/02 seed " + std::to_string(*kept[1].Seed) + ".vlm");
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

// A phrase dragged out lands as "seed N.mid", the file vlmc makes of its
// source; dragged again it reuses that file, and another phrase never takes
// over a name a sequencer may still be reading.
TEST_F(FormTest, ADraggedPhraseGetsAFileOfItsOwnThatIsNeverWrittenOver) {
  vlm::TForm1& f = Start();
  vlm::PhraseHistory history;
  f.History = &history;
  for (int k = 0; k < 2; ++k) f.MakePlay1Click();
  const std::vector<vlm::PhraseEntry> entries = history.Entries();
  const std::string folder = Path("dragged");
  const std::string name = folder + "/seed " + std::to_string(*entries[0].Seed) + ".mid";

  const auto first = vlm::ExportForDrag(f, entries[0], folder);
  ASSERT_TRUE(first);
  EXPECT_EQ(*first, name);
  EXPECT_EQ(vlm::ExportForDrag(f, entries[0], folder), name);
  const auto mml = folder + "/check.vlm";
  ASSERT_TRUE(f.ExportEntry(entries[0], mml, true));
  const auto vlmc = RunCommand(dir, "'" + std::string(VLM_BIN_DIR) + "/vlmc' -q --seed " +
                                        std::to_string(entries[0].CompileSeed) + " '" + mml + "' -o out.mid");
  ASSERT_EQ(vlmc.status, 0) << vlmc.err;
  EXPECT_EQ(vlm::ReadFileBytes(dir + "/out.mid"), vlm::ReadFileBytes(name));

  vlm::PhraseEntry other = entries[1];
  other.Seed = entries[0].Seed;  // the same name, another phrase
  const auto second = vlm::ExportForDrag(f, other, folder);
  ASSERT_TRUE(second);
  EXPECT_EQ(*second, folder + "/seed " + std::to_string(*entries[0].Seed) + " (2).mid");
  EXPECT_NE(vlm::ReadFileBytes(*second), vlm::ReadFileBytes(name));
  EXPECT_FALSE(std::filesystem::exists(folder + "/.dragging.mid"));
}

}  // namespace
}  // namespace vlmtest
