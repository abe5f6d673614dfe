#include <gtest/gtest.h>

#include "tests/app/form_fixture.h"

namespace vlmtest {
namespace {

using Calls = std::vector<std::string>;

TEST_F(FormTest, PlayOnlyNeedsAPhraseFile) {
  auto& f = Start();
  f.Play2Click();
  EXPECT_TRUE(player.calls.empty());
  f.memPatten = "c";
  f.Compile1Click();
  f.Play2Click();
  EXPECT_EQ(player.calls, (Calls{"Close", "SetFileName " + dir + "/vorlumi3.mid", "Open", "Play"}));
}

TEST_F(FormTest, OpenFailureShowsThePlayersTextAndLeavesItClosed) {
  auto& f = Start();
  f.memPatten = "c";
  f.Compile1Click();
  player.openError = "no audio device (install pulseaudio)";
  f.Play2Click();
  EXPECT_EQ(platform.errors, std::vector<std::string>{"no audio device (install pulseaudio)"});
  EXPECT_EQ(player.calls.back(), "Close");
  EXPECT_EQ(player.mode, vlm::MediaPlayer::Mode::NotOpen);
}

// Twenty presses without a device: one box, then notes that still carry the
// player's reason; a device that comes back plays again.
TEST_F(FormTest, AMissingDeviceIsToldInABoxOncePerRun) {
  auto& f = Start();
  player.openError = "no audio device";
  for (int press = 0; press < 20; ++press) f.MakePlay1Click();
  EXPECT_EQ(platform.errors, std::vector<std::string>{"no audio device"});
  ASSERT_EQ(platform.statuses.size(), 19u);
  EXPECT_NE(platform.statuses.back().find("no audio device"), std::string::npos);
  EXPECT_EQ(std::count(player.calls.begin(), player.calls.end(), "Play"), 0);

  player.openError.reset();
  f.MakePlay1Click();
  EXPECT_EQ(player.mode, vlm::MediaPlayer::Mode::Playing);
  player.openError = "device busy";
  f.Play2Click();
  EXPECT_EQ(platform.errors.size(), 1u);
  EXPECT_NE(platform.statuses.back().find("device busy"), std::string::npos);
}

// A loop follows an edit that has stood for two calls: a new tempo is
// compiled and queued for the next pass. An edit with errors is compiled
// without taking the keyboard to the message view and leaves the loop as it
// was; without a loop, or once stopped, nothing is compiled.
TEST_F(FormTest, ALoopFollowsEditsThatCompileFromItsNextPass) {
  auto& f = Start();
  const std::string phrase = dir + "/vorlumi3.mid";
  f.MakePlay1Click();
  player.calls.clear();
  f.seTempo.SetValue(90);
  EXPECT_FALSE(f.FollowEditsInLoop());
  EXPECT_FALSE(f.FollowEditsInLoop()) << "followed without a loop";

  player.looping = true;
  EXPECT_FALSE(f.FollowEditsInLoop());
  EXPECT_TRUE(f.FollowEditsInLoop());
  EXPECT_EQ(player.calls, Calls{"QueueNextPass " + phrase});
  // 60,000,000 / 90 microseconds a quarter: FF 51 03 0A 2C 2A.
  EXPECT_NE(vlm::ReadFileBytes(phrase).value_or("").find("\xFF\x51\x03\x0A\x2C\x2A"), std::string::npos);
  EXPECT_FALSE(f.FollowEditsInLoop()) << "an edit already heard was compiled again";

  f.memPatten += " }";
  EXPECT_FALSE(f.FollowEditsInLoop());
  EXPECT_TRUE(f.FollowEditsInLoop());
  EXPECT_EQ(player.calls.size(), 1u) << "an edit with errors was queued";
  EXPECT_FALSE(messages.Visible);
  EXPECT_EQ(platform.statuses.back(), "変更にエラーがあります。ループは前のまま鳴ります。");

  f.Stop1Click();
  f.seTempo.SetValue(100);
  EXPECT_FALSE(f.FollowEditsInLoop());
  EXPECT_FALSE(f.FollowEditsInLoop());
}

TEST_F(FormTest, StopOnlyWhilePlaying) {
  auto& f = Start();
  f.Stop1Click();
  EXPECT_TRUE(player.calls.empty());
  f.MakePlay1Click();
  player.calls.clear();
  f.Stop1Click();
  EXPECT_EQ(player.calls, Calls{"Stop"});
  f.Stop1Click();
  EXPECT_EQ(player.calls, Calls{"Stop"});
}

TEST_F(FormTest, MakeAndPlayDrawsRhythmAndPatternEachTime) {
  auto& f = Start();
  f.MakePlay1Click();
  const std::string rhythm = f.memRythm, pattern = f.memPatten;
  EXPECT_EQ(player.calls.back(), "Play");
  f.MakePlay1Click();
  EXPECT_NE(f.memRythm + f.memPatten, rhythm + pattern);
  EXPECT_EQ(std::count(player.calls.begin(), player.calls.end(), "Play"), 2);
}

TEST_F(FormTest, PlayMakePatternKeepsTheRhythm) {
  auto& f = Start();
  f.memRythm = "NrNm";
  f.PlayMakeP1Click();
  EXPECT_EQ(f.memRythm, "NrNm");
  EXPECT_EQ(f.memPatten.substr(0, 3), "l16");
  EXPECT_EQ(player.calls.back(), "Play");
}

TEST_F(FormTest, CompileAndPlayMakesAPatternOnlyWhenThereIsNone) {
  auto& f = Start();
  f.memPatten = "l4c";  // edited by hand: compiled unchanged
  f.CompilePlay1Click();
  EXPECT_EQ(f.memPatten, "l4c");
  f.memPatten.clear();
  f.memRythm.clear();
  f.CompilePlay1Click();
  EXPECT_EQ(f.memRythm.size(), 16u);
  EXPECT_FALSE(f.memPatten.empty());
  EXPECT_EQ(std::count(player.calls.begin(), player.calls.end(), "Play"), 2);
}

TEST_F(FormTest, VoiceEditorButtonsRunTheMainWindowsCommands) {
  auto& f = Start();
  f.memPatten.clear();
  f.Voice.btnPlayClick();
  EXPECT_FALSE(f.memPatten.empty());
  EXPECT_EQ(player.calls.back(), "Play");
  f.Voice.btnStopClick();
  EXPECT_EQ(player.calls.back(), "Stop");
}

TEST_F(FormTest, WithoutAPlayerThePlayCommandsStillCompile) {
  auto& f = Start();
  f.SetMediaPlayer(nullptr);
  f.MakePlay1Click();
  f.Stop1Click();
  EXPECT_TRUE(std::filesystem::exists(dir + "/vorlumi3.mid"));
  EXPECT_TRUE(player.calls.empty());
}

}  // namespace
}  // namespace vlmtest
