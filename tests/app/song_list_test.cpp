#include <gtest/gtest.h>

#include "tests/app/form_fixture.h"

namespace vlmtest {
namespace {

TEST_F(FormTest, CopyToSlotBeepsAndReplaces) {
  auto& f = Start();
  f.memPatten = "l16c";
  f.seCopyTo.SetValue(7);
  f.Button1Click();
  EXPECT_EQ(f.Slot(7), "l16c");
  EXPECT_EQ(f.Notes[19], "l16c");
  f.memPatten = "l8d";
  f.Button1Click();
  EXPECT_EQ(f.Slot(7), "l8d");
  EXPECT_EQ(warnings.beeps, 2);
}

TEST_F(FormTest, AddingEntriesChecksTheSlotNumber) {
  auto& f = Start();
  for (const char* typed : {"3", "03", "$1E", "30"}) {
    f.editSong = typed;
    f.SongPBtnClick();
    EXPECT_EQ(f.editSong, "");
  }
  EXPECT_EQ(f.lstSong, (std::vector<std::string>{"3", "03", "$1E", "30"}));
  EXPECT_EQ(warnings.beeps, 0);
  for (const char* refused : {"0", "31", "-1"}) {
    f.editSong = refused;
    f.SongPBtnClick();
    EXPECT_EQ(f.editSong, "");
  }
  EXPECT_EQ(warnings.beeps, 3);
  f.editSong = "two";
  f.SongPBtnClick();
  EXPECT_EQ(platform.errors, std::vector<std::string>{"'two' is not a valid integer value"});
  EXPECT_EQ(f.editSong, "two");
  EXPECT_EQ(f.lstSong.size(), 4u);
  f.SongClearBtnClick();
  EXPECT_TRUE(f.lstSong.empty());
}

// A mistaken copy over a slot or a cleared list is taken back by Undo, one
// step; applying settings wholesale (opening a file) forgets the step.
TEST_F(FormTest, UndoTakesBackTheLastCopyOrClear) {
  auto& f = Start();
  EXPECT_FALSE(f.CanUndoSong());
  f.Slot(7) = "o5 c d e ; made by hand";
  f.lstSong = {"7", "7", "2"};
  f.memPatten = "l8d";
  f.seCopyTo.SetValue(7);
  f.Button1Click();
  f.SongClearBtnClick();
  ASSERT_TRUE(f.CanUndoSong());
  f.UndoSong1Click();  // the clear
  EXPECT_EQ(f.lstSong, (std::vector<std::string>{"7", "7", "2"}));
  EXPECT_EQ(f.Slot(7), "l8d") << "one step only";
  EXPECT_FALSE(f.CanUndoSong());

  f.Button1Click();
  f.UndoSong1Click();
  EXPECT_EQ(f.Slot(7), "l8d");  // copying the same pattern again changed nothing

  f.Slot(7) = "o5 c d e ; made by hand";
  f.Button1Click();
  f.UndoSong1Click();
  EXPECT_EQ(f.Slot(7), "o5 c d e ; made by hand");

  f.SongClearBtnClick();
  f.ApplySettingsText(f.SettingsText());
  EXPECT_FALSE(f.CanUndoSong());
}

TEST_F(FormTest, SongJoinsTheListedSlotsInsideOneLoop) {
  auto& f = Start();
  f.Slot(1) = "l16c";
  f.Slot(2) = "l8d";
  f.lstSong = {"1", "01", "2"};
  f.memPatten = "l4e";
  f.MmlFileName = Path("song.vlm");
  f.PlaySong1Click();
  EXPECT_TRUE(vlm::ReadFileBytes(Path("song.vlm"))->ends_with("\r\n[4 l16cl16cl8d]\r\n"));
  EXPECT_EQ(f.SongText, "l16cl16cl8d");
  EXPECT_EQ(f.SongMode, 0);
  EXPECT_EQ(player.calls.back(), "Play");
  // The next compile uses the pattern again.
  EXPECT_EQ(f.AssembleSource().back(), "[4 l4e]");
}

TEST_F(FormTest, SongWithoutRepeatAndWithEmptySlots) {
  auto& f = Start();
  f.lstSong = {"5"};
  f.chkRepeat = false;
  f.MmlFileName = Path("song.vlm");
  f.PlaySong1Click();
  EXPECT_TRUE(vlm::ReadFileBytes(Path("song.vlm"))->ends_with("BR=2\r\n\r\n"));
  f.chkRepeat = true;
  f.MmlFileName = Path("song.vlm");
  f.PlaySong1Click();
  EXPECT_TRUE(vlm::ReadFileBytes(Path("song.vlm"))->ends_with("\r\n[4 ]\r\n"));
}

TEST_F(FormTest, EmptyPlayListWarnsAndPlaysNothing) {
  auto& f = Start();
  f.PlaySong1Click();
  EXPECT_EQ(warnings.warnings, std::vector<std::string>{"No Song !"});
  EXPECT_TRUE(player.calls.empty());
  EXPECT_FALSE(std::filesystem::exists(dir + "/vorlumi3.mid"));
}

TEST_F(FormTest, LoadedEntriesThatNameNoSlotAreSkipped) {
  auto& f = Start();
  f.Slot(1) = "a";
  f.Slot(30) = "b";
  f.lstSong = {"x", "1", "0", "31", "-5", "$1E", "99999999999", ""};
  f.PlaySong1Click();
  EXPECT_EQ(f.SongText, "ab");
}

TEST_F(FormTest, CopyingChangesWhatTheNextSongPlays) {
  auto& f = Start();
  f.lstSong = {"2"};
  f.memPatten = "l8c";
  f.seCopyTo.SetValue(2);
  f.Button1Click();
  f.PlaySong1Click();
  EXPECT_EQ(f.SongText, "l8c");
  f.memPatten = "l8e";
  f.Button1Click();
  f.PlaySong1Click();
  EXPECT_EQ(f.SongText, "l8e");
}

// Seventeen copies of a 1 MiB slot would join 17 MiB: a warning, and nothing
// is compiled or played; sixteen of a shorter one are still a song.
TEST_F(FormTest, ASongLongerThan16MiBWarnsAndPlaysNothing) {
  auto& f = Start();
  f.Slot(1) = std::string(std::size_t{1} << 20, 'r');
  f.Slot(2) = "l8c";
  f.lstSong = std::vector<std::string>(17, "1");
  f.lstSong.push_back("2");
  f.PlaySong1Click();
  EXPECT_EQ(warnings.warnings, std::vector<std::string>{"The song is too long: its play list joins 17 MiB of pattern "
                                                        "text, more than the 16 MiB a song may have."});
  EXPECT_TRUE(player.calls.empty());
  EXPECT_FALSE(std::filesystem::exists(dir + "/vorlumi3.mid"));
  EXPECT_EQ(f.SongMode, 0);
  f.lstSong = {"2", "2"};
  f.PlaySong1Click();
  EXPECT_EQ(f.SongText, "l8cl8c");
  EXPECT_EQ(player.calls.back(), "Play");
}

}  // namespace
}  // namespace vlmtest
