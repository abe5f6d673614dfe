#include "app/session_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/app/form_fixture.h"

namespace vlmtest {
namespace {

// What a user builds up in a session and would lose by quitting.
void Work(vlm::TForm1& f) {
  f.memPatten = "l16o5q16cro4g^ ; edited by hand";
  f.memRythm = "NrmdBW^";
  f.Slot(7) = "l8cdefg";
  f.Slot(30) = "o3c1";
  f.lstSong = {"7", "30"};
  f.seTempo.SetValue(93);
  f.Scl(2).SetPosition(70);
  f.Voice.Chk(3) = true;  // the voice editor's rows, which no settings file holds
  f.Voice.Chk(11) = false;
  f.Voice.E(3) = "77";
  f.Voice.S(3).SetPosition(77);
}

TEST_F(FormTest, ASessionComesBackAtTheNextStart) {
  const std::string file = Path("data/vorlumi3/session.vr3");  // its folder does not exist yet
  std::string voiceText;
  {
    auto& f = Start();
    vlm::SessionFile session(f, file);
    ASSERT_EQ(session.Restore(), std::nullopt);
    EXPECT_EQ(session.SaveIfChanged(), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(file)) << "nothing changed, nothing written";
    Work(f);
    voiceText = f.Voice.MakeVoiceMML(vlm::DialectVlm);
    ASSERT_EQ(session.SaveIfChanged(), std::nullopt);
    ASSERT_TRUE(std::filesystem::exists(file));
  }
  form.reset();
  auto& g = Start();
  vlm::SessionFile session(g, file);
  ASSERT_EQ(session.Restore(), std::nullopt);
  EXPECT_EQ(g.memPatten, "l16o5q16cro4g^ ; edited by hand");
  EXPECT_EQ(g.memRythm, "NrmdBW^");
  EXPECT_EQ(g.Slot(7), "l8cdefg");
  EXPECT_EQ(g.Slot(30), "o3c1");
  EXPECT_EQ(g.lstSong, (std::vector<std::string>{"7", "30"}));
  EXPECT_EQ(g.seTempo.Value(), 93);
  EXPECT_EQ(g.Scl(2).Position(), 70);
  EXPECT_TRUE(g.Voice.Chk(3));
  EXPECT_FALSE(g.Voice.Chk(11));
  EXPECT_EQ(g.Voice.E(3), "77");
  EXPECT_EQ(g.Voice.S(3).Position(), 77);
  EXPECT_EQ(g.Voice.MakeVoiceMML(vlm::DialectVlm), voiceText) << "the phrase sounds as it did";
  // A restored session is no opened file: Undo Open has nothing to undo.
  g.UndoOpen1Click();
  EXPECT_EQ(g.memPatten, "l16o5q16cro4g^ ; edited by hand");

  // Saved again only once something changes: the file is not rewritten
  // with what it holds.
  std::filesystem::remove(file);
  EXPECT_EQ(session.SaveIfChanged(), std::nullopt);
  EXPECT_FALSE(std::filesystem::exists(file));
  g.Slot(1) = "c";
  EXPECT_EQ(session.SaveIfChanged(), std::nullopt);
  EXPECT_TRUE(std::filesystem::exists(file));
}

// A session file that cannot be read is kept for the user to rescue: the
// form keeps its start-up values and nothing is written over the file.
TEST_F(FormTest, AnUnreadableSessionIsNeverWrittenOver) {
  const std::string file = Path("session.vr3");
  std::filesystem::create_directory(file);  // exists, but reading it fails
  auto& f = Start();
  const std::string pattern = f.memPatten;
  vlm::SessionFile session(f, file);
  const auto failure = session.Restore();
  ASSERT_TRUE(failure.has_value());
  EXPECT_NE(failure->find(file), std::string::npos) << *failure;
  EXPECT_EQ(f.memPatten, pattern);
  Work(f);
  EXPECT_EQ(session.SaveIfChanged(), std::nullopt);
  EXPECT_TRUE(std::filesystem::is_directory(file));
}

// A save that cannot be made says why, and is tried again at the next save.
TEST_F(FormTest, AFailedSaveIsReportedAndTriedAgain) {
  WriteFile(Path("blocker"), "a file where the folder should be");
  const std::string file = Path("blocker/session.vr3");
  auto& f = Start();
  vlm::SessionFile session(f, file);
  ASSERT_EQ(session.Restore(), std::nullopt);
  Work(f);
  EXPECT_TRUE(session.SaveIfChanged().has_value());
  std::filesystem::remove(Path("blocker"));
  EXPECT_EQ(session.SaveIfChanged(), std::nullopt);
  EXPECT_TRUE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace vlmtest
