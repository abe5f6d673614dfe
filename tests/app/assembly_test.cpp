#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "tests/app/form_fixture.h"
#include "tests/support/smf_dump.h"

namespace vlmtest {
namespace {

using Lines = std::vector<std::string>;

TEST_F(FormTest, StartValuesAssembleSixLines) {
  auto& f = Start();
  f.memPatten = "l16o5q16c";
  EXPECT_EQ(f.AssembleSource(), (Lines{"RESET_GS|RESET_XG|r4", "t120", "@0v100", "", "BR=2", "[4 l16o5q16c]"}));
}

TEST_F(FormTest, EveryOptionalLineInItsPlace) {
  auto& f = Start();
  f.memPatten = "c";
  f.Voice.chk11 = false;
  f.Voice.chk2 = true;
  f.Voice.e2 = "20";
  f.Voice.chk3 = true;
  f.Voice.e3 = "64";
  f.chkRndVel = f.chkRNDN = f.chkRNDB = true;
  f.seRndVal.SetText("5");
  f.seRNDN.SetText("300");  // the amounts go in as values, unclamped
  f.seRNDB.SetText("x");    // not a number: the minimum
  f.seTempo.SetText("0120");
  f.seVel.SetText("90");
  f.edtBendRange.SetText("12");
  f.memOption = "q8 v100\nsecond line";
  EXPECT_EQ(f.AssembleSource(), (Lines{"RESET_XG|r4", "t0120", "@0v90", "q8 v100", "r4M(20) VIB_RATE(64) ",
                                       "RNDV(5)", "RNDN(300)", "B=64RNDB(1)", "BR=12", "[4 c]"}));
  f.Voice.chk12 = false;
  f.Voice.chk2 = f.Voice.chk3 = false;
  f.chkRndVel = f.chkRNDN = f.chkRNDB = false;
  f.memOption = "\r\nhidden";
  EXPECT_EQ(f.AssembleSource(), (Lines{"t0120", "@0v90", "", "BR=12", "[4 c]"}));
}

TEST_F(FormTest, SongModeReplacesThePattern) {
  auto& f = Start();
  f.memPatten = "c";
  f.SongMode = 1;
  f.SongText = "l8cl16d";
  EXPECT_EQ(f.AssembleSource().back(), "[4 l8cl16d]");
  f.chkRepeat = false;
  EXPECT_EQ(f.AssembleSource().back(), "l8cl16d");
  f.SongText.clear();
  EXPECT_EQ(f.AssembleSource().back(), "");
}

TEST_F(FormTest, VoiceProgramCopyTakesEffectFromTheNextRun) {
  auto& f = Start();
  f.Voice.chk1 = true;
  f.Voice.e1 = "19";
  EXPECT_EQ(f.AssembleSource()[2], "@0v100");
  EXPECT_EQ(f.seVoice.Text(), "19");
  EXPECT_EQ(f.cmbVoiceList.ItemIndex(), 19);
  EXPECT_EQ(f.AssembleSource()[2], "@19v100");
}

TEST_F(FormTest, CompileWritesThePhraseFileAndClearsOldMessages) {
  auto& f = Start();
  messages.AddMessage("left over");
  f.memPatten = "l16o5q16c";
  f.Compile1Click();
  EXPECT_EQ(messages.RichEdit1.Lines.front(), "Compile Start");
  EXPECT_EQ(messages.RichEdit1.Lines.back(), "ok");
  EXPECT_EQ(f.PhraseFileName, dir + "/vorlumi3.mid");
  const auto smf = ParseSmf(ReadFileBytes(dir + "/vorlumi3.mid"));
  EXPECT_TRUE(smf.valid) << smf.error;
  EXPECT_EQ(platform.processEvents, 2);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(FormTest, CompileWithoutErrorsLeavesTheMessageViewAlone) {
  auto& f = Start();
  f.memPatten = "l16o5q16cro4g^";
  f.Compile1Click();
  EXPECT_EQ(messages.MessageText().find("err("), std::string::npos) << messages.MessageText();
  EXPECT_FALSE(messages.Visible);
  EXPECT_TRUE(messages.reDebug.Lines.empty());
}

TEST_F(FormTest, GeneratedPhrasesCompileCleanly) {
  auto& f = Start();
  for (int j = 1; j <= 7; ++j) f.Ryt(j).SetPosition(50);  // every symbol turns up
  f.speLength.SetValue(64);
  for (std::uint32_t seed : {1u, 2u, 3u, 77u, 4096u}) {
    form->Rng.Seed = seed;
    f.MakePlay1Click();
    EXPECT_EQ(messages.MessageText().find("err("), std::string::npos) << f.memPatten << "\n" << messages.MessageText();
    const auto smf = ParseSmf(ReadFileBytes(dir + "/vorlumi3.mid"));
    ASSERT_TRUE(smf.valid) << smf.error;
    bool noteOn = false;
    for (const auto& track : smf.tracks)
      for (const auto& event : track) noteOn = noteOn || (event.bytes[0] & 0xF0) == 0x90;
    EXPECT_TRUE(noteOn);
  }
}

TEST_F(FormTest, CompileErrorsBringUpTheMessagePageWithTheCompiledSource) {
  auto& f = Start();
  f.memPatten = "c}";  // a "}" outside a comment is error 2
  f.Compile1Click();
  EXPECT_NE(messages.MessageText().find("err("), std::string::npos);
  EXPECT_TRUE(messages.Visible);
  EXPECT_EQ(messages.ActivePage, vlm::MsgPage::Message);
  EXPECT_EQ(messages.reDebug.Lines, f.CompiledLines);
  // The source as compiled, macro words expanded: what a compile of the
  // assembled lines on a compiler of its own leaves.
  EXPECT_EQ(f.CompiledLines, vlm::CompileMml(f.LastSource).Lines);
  EXPECT_NE(f.CompiledLines, f.LastSource);
  EXPECT_TRUE(std::filesystem::exists(dir + "/vorlumi3.mid"));
}

TEST_F(FormTest, PendingExportIsWrittenBeforeTheCompileAndCleared) {
  auto& f = Start();
  f.memPatten = "l16c";
  f.MmlFileName = Path("out.vlm");
  f.Compile1Click();
  EXPECT_EQ(*vlm::ReadFileBytes(Path("out.vlm")),
            std::string("RESET_GS|RESET_XG|r4\r\nt120\r\n@0v100\r\n\r\nBR=2\r\n[4 l16c]\r\n"));
  EXPECT_TRUE(f.MmlFileName.empty());
}

TEST_F(FormTest, FailuresInsideTheCompileStepAreReported) {
  auto& f = Start();
  f.memPatten = "c";
  // An export that cannot be written: reported, not compiled, and not retried.
  messages.AddMessage("before");
  f.MmlFileName = Path("missing/out.vlm");
  f.Compile1Click();
  // The generic text, then the file and the system's reason.
  EXPECT_EQ(platform.messages, std::vector<std::string>{"原因不明のエラーが発生しました。\n" + Path("missing/out.vlm") +
                                                        ": " + std::strerror(ENOENT)});
  EXPECT_EQ(messages.RichEdit1.Lines, std::vector<std::string>{"before"});
  EXPECT_TRUE(f.MmlFileName.empty());
  // A phrase file that cannot be written.
  f.PhraseFileName = Path("missing/vorlumi3.mid");
  f.Compile1Click();
  EXPECT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(platform.messages.back(),
            "原因不明のエラーが発生しました。\n" + Path("missing/vorlumi3.mid") + ": " + std::strerror(ENOENT));
}

TEST_F(FormTest, CompilingLeavesTheGeneratorsDrawsAloneAndTheVoiceEditorSharesThem) {
  auto& f = Start();
  f.chkRndVel = true;  // the compile draws a velocity for every note
  f.MakePattern1Click();
  f.Rng.Seed = 1234;
  f.Compile1Click();
  EXPECT_EQ(messages.MessageText().find("err("), std::string::npos) << messages.MessageText();
  EXPECT_EQ(f.Rng.Seed, 1234u);
  vlm::RandomGenerator g{1234};
  f.Voice.r1Click(2);
  EXPECT_EQ(f.Voice.s2.Position(), g.Random(128));
  EXPECT_EQ(f.Rng.Seed, g.Seed);  // the voice editor's draw moved the form's generator
}

}  // namespace
}  // namespace vlmtest
