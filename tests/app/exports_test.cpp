#include <gtest/gtest.h>

#include "tests/app/form_fixture.h"

namespace vlmtest {
namespace {

TEST_F(FormTest, SaveSmfCopiesTheLastPhraseFile) {
  auto& f = Start();
  platform.saveName = Path("copy.mid");
  f.SaveSMF1Click();  // nothing compiled yet: nothing written, nothing said
  EXPECT_FALSE(std::filesystem::exists(Path("copy.mid")));
  EXPECT_TRUE(platform.errors.empty());
  EXPECT_EQ(platform.dialogFilters.back().DefaultExt, "mid");
  EXPECT_EQ(platform.dialogFilters.back().Filter, "smf|*.mid|all|*.*");

  f.memPatten = "c";
  f.Compile1Click();
  f.SaveSMF1Click();
  EXPECT_EQ(vlm::ReadFileBytes(Path("copy.mid")), vlm::ReadFileBytes(dir + "/vorlumi3.mid"));

  platform.saveName = Path("missing/copy.mid");
  f.SaveSMF1Click();
  ASSERT_EQ(platform.errors.size(), 1u);
  EXPECT_EQ(platform.errors[0].rfind("Cannot create file ", 0), 0u);
}

// The phrase as it sounds goes to the renderer; the user hears why when
// there is nothing to render or the renderer fails.
TEST_F(FormTest, SaveAsWavRendersTheLastPhraseFile) {
  auto& f = Start();
  std::vector<std::pair<std::string, std::string>> renders;
  std::optional<std::string> failure;
  f.RenderWav = [&](const std::string& midi, const std::string& wav) {
    renders.emplace_back(midi, wav);
    return failure;
  };
  platform.saveName = Path("phrase.wav");
  f.SaveAsWav1Click();  // nothing compiled yet: asked to play first, no dialog
  EXPECT_TRUE(renders.empty());
  EXPECT_TRUE(platform.dialogFilters.empty());
  EXPECT_EQ(platform.messages.size(), 1u);

  f.memPatten = "c";
  f.Compile1Click();
  f.SaveAsWav1Click();
  EXPECT_EQ(platform.dialogFilters.back().DefaultExt, "wav");
  ASSERT_EQ(renders.size(), 1u);
  EXPECT_EQ(renders[0], std::pair(dir + "/vorlumi3.mid", Path("phrase.wav")));
  EXPECT_TRUE(platform.errors.empty());
  EXPECT_EQ(platform.statuses.back(), "書き出しました: " + Path("phrase.wav"));  // the dialog closing tells nothing

  platform.saveName.reset();  // the dialog cancelled
  f.SaveAsWav1Click();
  EXPECT_EQ(renders.size(), 1u);

  platform.saveName = Path("phrase.wav");
  failure = "No SoundFont was found";
  f.SaveAsWav1Click();
  EXPECT_EQ(platform.errors, std::vector<std::string>{"No SoundFont was found"});
  EXPECT_EQ(platform.statuses.back(), "") << "no word of a file written";
}

TEST_F(FormTest, SaveAsMmlWritesTheCompiledSource) {
  auto& f = Start();
  f.memPatten = "c}";  // a "}" outside a comment is error 2
  platform.saveName = Path("phrase.vlm");
  f.SaveAsMML1Click();
  EXPECT_EQ(platform.dialogFilters.back().DefaultExt, "vlm");
  EXPECT_EQ(platform.dialogFilters.back().Filter, "(*.vlm)|*.vlm|(*.*)|*.*");
  EXPECT_TRUE(vlm::ReadFileBytes(Path("phrase.vlm"))->ends_with("BR=2\r\n[4 c}]\r\n"));
  EXPECT_TRUE(messages.Visible);  // the pattern has an error
  EXPECT_TRUE(f.MmlFileName.empty());

  platform.saveName.reset();
  f.SaveAsMML1Click();
  EXPECT_TRUE(f.MmlFileName.empty());
}

TEST_F(FormTest, ToramiExportIsTheHeaderAndThePattern) {
  auto& f = Start();
  platform.saveName = Path("t.mml");
  f.SaveAsMMLTORAMI1Click();
  EXPECT_EQ(platform.messages, std::vector<std::string>{"一度は演奏をさせてください。"});
  EXPECT_FALSE(std::filesystem::exists(Path("t.mml")));

  f.memPatten = "l16o5q16c";
  f.SaveAsMMLTORAMI1Click();
  EXPECT_EQ(*vlm::ReadFileBytes(Path("t.mml")),
            "// MML for TORAMI ver.0.97~\r\nq.Max=16\r\n"
            "Function ACB(L,H,Len){ If(Len==0){ Len = MML(l); } p.onTime(L,H,Len); }\r\nl16o5q16c\r\n");
  EXPECT_EQ(f.memPatten, "l16o5q16c");
  EXPECT_TRUE(std::filesystem::exists(dir + "/vorlumi3.mid"));  // compiled as for "Compile"

  platform.saveName = Path("missing/t.mml");
  f.SaveAsMMLTORAMI1Click();
  ASSERT_EQ(platform.errors.size(), 1u);
  EXPECT_EQ(platform.errors[0].rfind("Cannot create file ", 0), 0u);
  EXPECT_EQ(f.memPatten, "l16o5q16c");
}

}  // namespace
}  // namespace vlmtest
