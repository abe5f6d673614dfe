#include <gtest/gtest.h>

#include "common/random.h"
#include "tests/app/fakes.h"
#include "voice/voice_editor.h"

namespace vlmtest {
namespace {

class VoiceTest : public ::testing::Test {
 protected:
  VoiceTest() {
    voice.Host.SetVoiceText = [this](const std::string& text) { voiceTexts.push_back(text); };
    voice.Host.PatternText = [] { return std::string("l16o5q16c"); };
    voice.Host.CompilePlay = [this] { ++plays; };
    voice.Host.Stop = [this] { ++stops; };
  }
  std::vector<int> Bars() {
    std::vector<int> v;
    for (int n = 1; n <= 10; ++n) v.push_back(voice.S(n).Position());
    return v;
  }

  FakePlatform platform;
  vlm::RandomGenerator rng;
  vlm::TfrmVEdit voice{platform, rng};
  std::vector<std::string> voiceTexts;  // program numbers sent to the main window
  int plays = 0, stops = 0;
};

TEST_F(VoiceTest, StartValues) {
  EXPECT_EQ(voice.Caption, "Voice Editer");
  EXPECT_FALSE(voice.Visible);
  for (int n = 1; n <= 10; ++n) {
    EXPECT_FALSE(voice.Chk(n));
    EXPECT_EQ(voice.E(n), "0");
    EXPECT_EQ(voice.S(n).Position(), 0);
    EXPECT_EQ(voice.S(n).Max(), 127);
  }
  EXPECT_TRUE(voice.chk11);
  EXPECT_TRUE(voice.chk12);
  EXPECT_EQ(voice.MakeVoiceMML(vlm::DialectVlm), "");
  EXPECT_EQ(voice.CopyTextVlm(), "@0");
}

TEST_F(VoiceTest, ParameterTextInBothDialects) {
  voice.chk2 = voice.chk3 = true;
  voice.s2.SetPosition(20);
  voice.s3.SetPosition(64);
  EXPECT_EQ(voice.e2, "20");
  EXPECT_EQ(voice.MakeVoiceMML(vlm::DialectVlm), "M(20) VIB_RATE(64) ");
  EXPECT_EQ(voice.MakeVoiceMML(vlm::DialectTorami), "Modulation(20) VibratoRate(64) ");
  voice.e2 = "abc";  // typed text goes in as typed, the bar stays
  EXPECT_EQ(voice.s2.Position(), 20);
  EXPECT_EQ(voice.MakeVoiceMML(vlm::DialectVlm), "M(abc) VIB_RATE(64) ");
}

TEST_F(VoiceTest, TickAllGivesEveryCommandInRowOrder) {
  voice.AllCHeck1Click();
  EXPECT_EQ(voice.CopyTextVlm(), "M(0) VIB_RATE(0) VIB_DEPTH(0) VIB_DELAY(0) CUT(0) RES(0) ATT(0) DEC(0) REL(0) @0");
  EXPECT_EQ(voice.MakeVoiceMML(vlm::DialectTorami),
            "Modulation(0) VibratoRate(0) VibratoDepth(0) VibratoDelay(0) FilterCutoff(0) "
            "FilterResonance(0) EGAttack(0) EGDecay(0) EGRelease(0) ");
  EXPECT_TRUE(voice.chk11 && voice.chk12);
  voice.chk11 = false;
  voice.N1Click();
  EXPECT_EQ(voice.MakeVoiceMML(vlm::DialectVlm), "");
  EXPECT_FALSE(voice.chk11);
  EXPECT_TRUE(voice.chk12);
}

TEST_F(VoiceTest, RowOneSendsTheProgramNumberOnlyWhenTicked) {
  rng.Seed = 11;
  Lcg g{11};
  voice.r1Click(1);
  const int first = g.Next(128);
  EXPECT_EQ(voice.e1, std::to_string(first));
  EXPECT_TRUE(voiceTexts.empty());
  voice.chk1 = true;
  voice.r1Click(1);
  const int second = g.Next(128);
  EXPECT_EQ(voiceTexts, std::vector<std::string>{std::to_string(second)});
  // MakeVoiceMML copies e1 as typed, but never writes a command for row 1.
  voice.e1 = "33";
  EXPECT_EQ(voice.MakeVoiceMML(vlm::DialectVlm), "");
  EXPECT_EQ(voiceTexts.back(), "33");
  // The copies take the program number from the bar, not the box.
  EXPECT_EQ(voice.CopyTextVlm(), "@" + std::to_string(second));
}

TEST_F(VoiceTest, RandomGroupsDrawTheirRowsInOrder) {
  rng.Seed = 500;
  Lcg g{500};
  voice.btnVibRndClick();
  std::vector<int> expected(10, 0);
  for (int n : {3, 4, 5}) expected[n - 1] = g.Next(128);
  EXPECT_EQ(Bars(), expected);
  voice.btnFilterRndClick();
  for (int n : {6, 7}) expected[n - 1] = g.Next(128);
  voice.btnEGRndClick();
  for (int n : {8, 9, 10}) expected[n - 1] = g.Next(128);
  EXPECT_EQ(Bars(), expected);
  EXPECT_EQ(voice.s1.Position(), 0);
  EXPECT_EQ(voice.s2.Position(), 0);
  voice.btnAllRndClick();
  for (int n = 1; n <= 10; ++n) expected[n - 1] = g.Next(128);
  EXPECT_EQ(Bars(), expected);
  for (int n = 1; n <= 10; ++n) EXPECT_EQ(voice.E(n), std::to_string(expected[n - 1]));
}

TEST_F(VoiceTest, CopiesGoToTheClipboardAndAreShown) {
  voice.chk2 = true;
  voice.s2.SetPosition(20);
  voice.s1.SetPosition(5);
  voice.CopyToClipbrd1Click();
  EXPECT_EQ(platform.clipboard, "M(20) @5");
  EXPECT_EQ(platform.messages, std::vector<std::string>{"以下の文字列をコピーしました。\rM(20) @5"});
  voice.CopyMMLforTORAMI1Click();
  EXPECT_EQ(platform.clipboard,
            "Include(tordefs.h);q.Max=16\r\n"
            "Function ACB(L,H,Len){ If(Len==0){ Len = MML(l); } p.onTime(L,H,Len); }\r\n"
            "Modulation(20) @5\r\n"
            "l16o5q16c");
  EXPECT_EQ(platform.messages.back(), "以下の文字列をコピーしました。\r" + platform.clipboard);
}

TEST_F(VoiceTest, ButtonsReachTheMainWindow) {
  voice.Visible = true;
  voice.btnPlayClick();
  voice.btnStopClick();
  voice.btnOKClick();
  EXPECT_EQ(plays, 1);
  EXPECT_EQ(stops, 1);
  EXPECT_FALSE(voice.Visible);
}

}  // namespace
}  // namespace vlmtest
