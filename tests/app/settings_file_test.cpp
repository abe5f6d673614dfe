#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "app/ini_file.h"
#include "tests/app/form_fixture.h"

namespace vlmtest {
namespace {

// Every stored setting away from both its start value and its default.
void ChangeEverything(vlm::TForm1& f) {
  f.speOnpu.SetValue(8);
  f.speLength.SetValue(20);
  f.speOlow.SetValue(2);
  f.speOhigh.SetValue(7);
  f.seTempo.SetValue(90);
  f.seVoice.SetValue(40);
  f.seVel.SetValue(77);
  f.memOption = "v90 ; first\nsecond line";
  f.chkRndVel = false;
  f.seRndVal.SetValue(33);
  f.cbScale.SetItemIndex(5);
  for (int k = 1; k <= 12; ++k) f.Scl(k).SetPosition(k * 8);
  f.memRythm = "NrmdBW^";
  for (int j = 1; j <= 7; ++j) f.Ryt(j).SetPosition(10 + j);
  f.GateNormal.SetPosition(12);
  f.GateMute.SetPosition(3);
  f.memPatten = "l16o5q16cro4g^";
  for (int k = 1; k <= 30; ++k) f.Slot(k) = k % 3 == 0 ? "" : "l8c" + std::to_string(k);
  f.lstSong = {"1", "03", "30"};
  f.chkRepeat = false;
}

TEST_F(FormTest, SettingsRoundTrip) {
  auto& f = Start();
  ChangeEverything(f);
  platform.saveName = Path("song.vr3");
  f.Save1Click();
  EXPECT_EQ(platform.dialogFilters.back().DefaultExt, "vr3");
  EXPECT_EQ(platform.dialogFilters.back().Filter, "Vorlumi3 save data|*.vr3|all|*.*");
  EXPECT_TRUE(platform.errors.empty());

  form.reset();
  auto& g = Start();
  g.ryt6.SetPosition(1);  // neither stored nor read
  g.cbKey.SetItemIndex(4);
  platform.openName = Path("song.vr3");
  g.Open1Click();
  EXPECT_EQ(g.speOnpu.Value(), 8);
  EXPECT_EQ(g.speLength.Value(), 20);
  EXPECT_EQ(g.speOlow.Value(), 2);
  EXPECT_EQ(g.speOhigh.Value(), 7);
  EXPECT_EQ(g.seTempo.Value(), 90);
  EXPECT_EQ(g.seVoice.Value(), 40);
  EXPECT_EQ(g.cmbVoiceList.ItemIndex(), 40);
  EXPECT_EQ(g.seVel.Value(), 77);
  EXPECT_EQ(g.memOption, "v90 ; first\nsecond line");
  EXPECT_FALSE(g.chkRndVel);
  EXPECT_EQ(g.seRndVal.Value(), 33);
  EXPECT_EQ(g.cbScale.ItemIndex(), 5);
  for (int k = 1; k <= 12; ++k) EXPECT_EQ(g.Scl(k).Position(), k * 8);
  EXPECT_EQ(g.memRythm, "NrmdBW^");
  for (int j = 1; j <= 5; ++j) EXPECT_EQ(g.Ryt(j).Position(), 10 + j);
  EXPECT_EQ(g.ryt6.Position(), 1);
  EXPECT_EQ(g.ryt7.Position(), 8);
  EXPECT_EQ(g.cbKey.ItemIndex(), 4);
  EXPECT_EQ(g.GateNormal.Position(), 12);
  EXPECT_EQ(g.GateNormal.Hint, "12");
  EXPECT_EQ(g.GateMute.Position(), 3);
  EXPECT_EQ(g.memPatten, "l16o5q16cro4g^");
  for (int k = 1; k <= 30; ++k) EXPECT_EQ(g.Slot(k), k % 3 == 0 ? "" : "l8c" + std::to_string(k));
  EXPECT_EQ(g.lstSong, (std::vector<std::string>{"1", "03", "30"}));
  EXPECT_FALSE(g.chkRepeat);
}

TEST_F(FormTest, SettingsAreWrittenInKeyOrderIntoTheirSections) {
  auto& f = Start();
  ASSERT_FALSE(f.SaveSettings(Path("a.vr3")).has_value());
  const auto lines = vlm::SplitLines(*vlm::ReadFileBytes(Path("a.vr3")));
  std::vector<std::string> expected = {"[BasicTab]", "基本音符=16", "音符数=16", "音域低=4", "音域高=6", "テンポ=120",
                                       "音色=0", "Velocity=100", "option=", "RandomVel Switch=0",
                                       "RandomVel Value=10", "RandomVel Rate=-1", "[ScaleTab]",
                                       "Scale No=" + std::to_string(f.cbScale.ItemIndex())};
  for (int n = 1; n <= 12; ++n) expected.push_back("Scr" + std::to_string(n) + "=" + std::to_string(f.Scl(n).Position()));
  for (const char* v : {"80", "10", "60", "20", "8"})
    expected.push_back("ryt Value" + std::to_string(expected.size() - 25) + "=" + v);
  expected.push_back("gaterate normal=16");
  expected.push_back("gaterate mute=4");
  expected.push_back("[RythmTab]");
  expected.push_back("RythmPattern=NNNNNNNNNNNNNNNN");
  expected.push_back("MML=");
  expected.push_back("[SongTab]");
  for (int k = 1; k <= 30; ++k) expected.push_back("MML" + std::to_string(k) + "=");
  expected.push_back("PlayList=");
  expected.push_back("Repeat4time=1");
  EXPECT_EQ(lines, expected);
  EXPECT_NE(vlm::ReadFileBytes(Path("a.vr3"))->find("\r\n"), std::string::npos);
}

TEST_F(FormTest, SavingKeepsOtherContentOfTheFile) {
  auto& f = Start();
  WriteFile(Path("b.vr3"), "[Mine]\r\nkeep=this\r\n[basictab]\r\nテンポ=60\r\nextra=1\r\n");
  ASSERT_FALSE(f.SaveSettings(Path("b.vr3")).has_value());
  const vlm::IniFile ini(*vlm::ReadTextFile(Path("b.vr3")));
  EXPECT_EQ(ini.ReadString("Mine", "keep"), "this");
  EXPECT_EQ(ini.ReadString("BasicTab", "extra"), "1");
  EXPECT_EQ(ini.ReadString("BasicTab", "テンポ"), "120");
  EXPECT_EQ(vlm::SplitLines(*vlm::ReadTextFile(Path("b.vr3")))[0], "[Mine]");
}

TEST_F(FormTest, MissingFileGivesTheDefaultColumn) {
  auto& f = Start();
  ChangeEverything(f);
  f.ryt7.SetPosition(55);
  ASSERT_TRUE(f.LoadSettings(Path("none.vr3")));
  EXPECT_EQ(f.speOnpu.Value(), 16);
  EXPECT_EQ(f.speLength.Value(), 16);
  EXPECT_EQ(f.speOlow.Value(), 3);
  EXPECT_EQ(f.speOhigh.Value(), 5);
  EXPECT_EQ(f.seTempo.Value(), 120);
  EXPECT_EQ(f.seVoice.Value(), 0);
  EXPECT_EQ(f.seVel.Value(), 100);
  EXPECT_EQ(f.memOption, "");
  EXPECT_TRUE(f.chkRndVel);
  EXPECT_EQ(f.seRndVal.Value(), 20);
  EXPECT_EQ(f.cbScale.ItemIndex(), 31);
  EXPECT_EQ(Weights(), std::vector<std::int32_t>(12, 0));
  EXPECT_EQ(f.memRythm, "");
  for (int j = 1; j <= 5; ++j) EXPECT_EQ(f.Ryt(j).Position(), 100);
  EXPECT_EQ(f.ryt7.Position(), 55);
  EXPECT_EQ(f.GateNormal.Position(), 16);
  EXPECT_EQ(f.GateMute.Position(), 4);
  EXPECT_EQ(f.memPatten, "");
  for (int k = 1; k <= 30; ++k) EXPECT_EQ(f.Slot(k), "");
  EXPECT_TRUE(f.lstSong.empty());
  EXPECT_TRUE(f.chkRepeat);
  // The scale weights are all 0: every note of the next pattern warns.
  f.memRythm = "NN";
  f.speLength.SetValue(2);
  f.MakePattern1Click();
  EXPECT_EQ(warnings.warnings, std::vector<std::string>(2, "RetNoteNo Error!"));
}

TEST_F(FormTest, WindowsShiftJisSettingsFileLoads) {
  auto& f = Start();
  // Written the Windows way: code page 932 keys, CR LF, a hexadecimal value,
  // lower-case names, a value in quotes, and the ranges' limits exceeded.
  const std::string file =
      "[BasicTab]\r\n"
      "\x8a\xee\x96\x7b\x89\xb9\x95\x84=0x20\r\n"  // 基本音符
      "\x89\xb9\x88\xe6\x92\xe1=8\r\n"              // 音域低
      "\x89\xb9\x88\xe6\x8d\x82=2\r\n"              // 音域高: raised to the lowest
      "\x83\x65\x83\x93\x83\x7c=5000\r\n"           // テンポ: clamped
      "option=\"  q8 \"\r\n"
      "[scaletab]\r\n"
      "scale no=99\r\n"
      "SCR1=250\r\n"
      "ryt value1=0\r\n"
      "[RythmTab]\r\n"
      "MML=l8\x81\x40" "c\r\n"                      // an ideographic space inside
      "[SongTab]\r\n"
      "PlayList=1,\"2\",x,31\r\n";
  WriteFile(Path("win.vr3"), file);
  ASSERT_TRUE(f.LoadSettings(Path("win.vr3")));
  EXPECT_EQ(f.speOnpu.Value(), 32);
  EXPECT_EQ(f.speOlow.Value(), 8);
  EXPECT_EQ(f.speOhigh.Value(), 8);
  EXPECT_EQ(f.seTempo.Value(), 999);
  EXPECT_EQ(f.memOption, "  q8 ");
  EXPECT_EQ(f.cbScale.ItemIndex(), -1);
  EXPECT_EQ(f.Scl(1).Position(), 100);
  EXPECT_EQ(f.ryt1.Position(), 2);
  EXPECT_EQ(f.memPatten, "l8　c");
  EXPECT_EQ(f.lstSong, (std::vector<std::string>{"1", "2", "x", "31"}));
}

TEST_F(FormTest, FailedSaveSaysSoAndLeavesTheOldFile) {
  auto& f = Start();
  platform.saveName = Path("missing-dir/x.vr3");
  f.Save1Click();
  // The file and the system's reason.
  EXPECT_EQ(platform.errors,
            std::vector<std::string>{"Unable to write to " + Path("missing-dir/x.vr3") + ": " + std::strerror(ENOENT)});
  // A directory in the file's place: nothing is replaced.
  std::filesystem::create_directory(Path("dir.vr3"));
  EXPECT_TRUE(f.SaveSettings(Path("dir.vr3")).has_value());
  EXPECT_TRUE(std::filesystem::is_directory(Path("dir.vr3")));
}

TEST_F(FormTest, CancelledDialogsDoNothing) {
  auto& f = Start();
  f.Save1Click();
  f.Open1Click();
  EXPECT_EQ(platform.dialogFilters.size(), 2u);
  EXPECT_EQ(f.speOlow.Value(), 4);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
}

// A snapshot in memory gives back what saving and loading a file would.
TEST_F(FormTest, SettingsTextRestoresEveryKeyAsAFileWould) {
  auto& f = Start();
  ChangeEverything(f);
  const std::string snapshot = f.SettingsText();
  ASSERT_FALSE(f.SaveSettings(Path("snap.vr3")).has_value());
  EXPECT_EQ(snapshot, *vlm::ReadTextFile(Path("snap.vr3")));

  ASSERT_TRUE(f.LoadSettings(Path("none.vr3")));
  EXPECT_NE(f.SettingsText(), snapshot);
  f.ApplySettingsText(snapshot);
  EXPECT_EQ(f.SettingsText(), snapshot);
  EXPECT_EQ(f.seTempo.Value(), 90);
  EXPECT_EQ(f.memOption, "v90 ; first\nsecond line");
}

// "Undo Open" gives back the settings of the moment before the load, read
// back through a file saved before it; a second undo has nothing left to do.
TEST_F(FormTest, UndoOpenBringsBackTheSettingsBeforeTheLoad) {
  auto& f = Start();
  EXPECT_FALSE(f.CanUndoOpen());
  ChangeEverything(f);
  ASSERT_FALSE(f.SaveSettings(Path("before.vr3")).has_value());
  WriteFile(Path("other.vr3"), "[BasicTab]\r\nテンポ=200\r\n[RythmTab]\r\nMML=l4c\r\n");
  platform.openName = Path("other.vr3");
  f.Open1Click();
  ASSERT_EQ(f.seTempo.Value(), 200);
  ASSERT_EQ(f.memPatten, "l4c");
  ASSERT_TRUE(f.CanUndoOpen());

  f.UndoOpen1Click();
  EXPECT_FALSE(f.CanUndoOpen());
  EXPECT_EQ(f.seTempo.Value(), 90);
  EXPECT_EQ(f.memPatten, "l16o5q16cro4g^");
  EXPECT_EQ(f.SettingsText(), *vlm::ReadTextFile(Path("before.vr3")));
  f.seTempo.SetValue(150);
  f.UndoOpen1Click();
  EXPECT_EQ(f.seTempo.Value(), 150);
}

// A file that cannot be read changes nothing, so there is nothing to undo.
TEST_F(FormTest, AFailedOpenLeavesNothingToUndo) {
  auto& f = Start();
  std::filesystem::create_directory(Path("dir.vr3"));
  EXPECT_FALSE(f.LoadSettings(Path("dir.vr3")));
  EXPECT_FALSE(f.CanUndoOpen());
}

}  // namespace
}  // namespace vlmtest
