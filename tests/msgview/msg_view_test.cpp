#include "msgview/msg_view.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/scripted_platform.h"

namespace {

// Logs the window calls as short words so that tests can check their order.
class LoggingWindow : public vlm::MsgViewWindow {
 public:
  std::vector<std::string> calls;
  static const char* Name(vlm::MsgPage p) { return p == vlm::MsgPage::Message ? "Message" : "Debug"; }
  void PaneReplaced(vlm::MsgPage p) override { calls.push_back(std::string("replace ") + Name(p)); }
  void MessageAppended(const std::string& line) override { calls.push_back("append " + line); }
  void SelectionMoved(vlm::MsgPage p) override { calls.push_back(std::string("select ") + Name(p)); }
  void ShowWindow() override { calls.push_back("show"); }
  void PageSelected(vlm::MsgPage p) override { calls.push_back(std::string("page ") + Name(p)); }
  void PaneFocused(vlm::MsgPage p) override { calls.push_back(std::string("focus ") + Name(p)); }
};

class MsgViewTest : public ::testing::Test {
 protected:
  vlm::test::ScriptedPlatform platform;
  vlm::test::RecordingWarnings warnings;
  LoggingWindow window;
  vlm::TfrmMsg view{platform};

  void SetUp() override {
    vlm::SetWarningSink(&warnings);
    view.SetWindow(&window);
  }
  void TearDown() override { vlm::SetWarningSink(nullptr); }

  // Puts the Message pane's caret somewhere inside message line `line`.
  void ClickMessageLine(int line, int column = 1) {
    view.RichEdit1.Select(view.RichEdit1.LineStart(line) + column, 0);
    view.RichEdit1MouseDown();
  }
};

TEST(TextPane, OffsetsCountBytesAndOneByteLineBreaks) {
  vlm::TextPane pane;
  pane.Lines = {"ab", "", "音c"};
  EXPECT_EQ(pane.Text(), "ab\n\n音c");
  EXPECT_EQ(pane.LineStart(0), 0);
  EXPECT_EQ(pane.LineStart(1), 3);
  EXPECT_EQ(pane.LineStart(2), 4);
  EXPECT_EQ(pane.LineStart(3), 8);  // past the end: the end of the text
  EXPECT_EQ(pane.LineStart(-4), 0);
  EXPECT_EQ(pane.LineAt(2), 0);  // the end of a line belongs to it
  EXPECT_EQ(pane.LineAt(3), 1);
  EXPECT_EQ(pane.LineAt(7), 2);
  EXPECT_EQ(pane.LineAt(100), 2);
  pane.Select(4, 100);
  EXPECT_EQ(pane.SelLength, 4);
  EXPECT_EQ(pane.SelectedText(), "音c");
  pane.Select(-3, 2);
  EXPECT_EQ(pane.SelStart, 0);
  EXPECT_EQ(pane.SelectedText(), "ab");
}

TEST_F(MsgViewTest, MessagesAppendClearAndReadBackAsText) {
  view.AddMessage("Compile Start");
  view.AddMessage("err(2) x");
  EXPECT_EQ(view.MessageText(), "Compile Start\nerr(2) x");
  view.ClearMessages();
  EXPECT_EQ(view.MessageText(), "");
  EXPECT_EQ(window.calls, (std::vector<std::string>{"append Compile Start", "append err(2) x", "replace Message"}));
}

TEST_F(MsgViewTest, ShowMessagePageShowsSelectsAndFocusesInOrder) {
  EXPECT_FALSE(view.Visible);
  EXPECT_EQ(view.ActivePage, vlm::MsgPage::Debug);
  view.ShowMessagePage();
  EXPECT_TRUE(view.Visible);
  EXPECT_EQ(view.ActivePage, vlm::MsgPage::Message);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"show", "page Message", "focus Message"}));
  view.Hide();
  EXPECT_FALSE(view.Visible);
}

TEST_F(MsgViewTest, ClickOnAnErrorLineSelectsItsSourceLine) {
  view.SetDebugLines({"t120", "@0v100", "", "BR=2", "q", "[4 l16cz]"});
  view.AddMessage("Compile Start");
  view.AddMessage("err(5) 未定義の命令です。");
  view.AddMessage("ok");
  view.ActivePage = vlm::MsgPage::Message;
  window.calls.clear();

  ClickMessageLine(1, 3);
  EXPECT_EQ(view.ActivePage, vlm::MsgPage::Debug);
  EXPECT_EQ(view.reDebug.SelStart, view.reDebug.LineStart(5));
  EXPECT_EQ(view.reDebug.SelLength, 0);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"page Debug", "select Debug", "focus Debug"}));
}

// A pattern typed over two lines is one source line holding a line break:
// each pane shows it on one line with a visible mark, so the message about
// line 5 stays one pane line and its jump lands on the sixth pane line.
TEST_F(MsgViewTest, LineBreaksInsideALineAreShownAsAMarkOnOneLine) {
  view.SetDebugLines({"t120", "@0v100", "", "BR=2", "q", "[4 l16c\r\ndz\re\nf]", "end"});
  view.AddMessage("Compile Start");
  view.AddMessage("err(5) 未定義の命令です。 l16c\r\ndz");
  view.AddMessage("ok");
  ASSERT_EQ(view.RichEdit1.Lines.size(), 3u);
  EXPECT_EQ(view.RichEdit1.Lines[1], "err(5) 未定義の命令です。 l16c⏎dz");
  EXPECT_EQ(window.calls.back(), "append ok");
  EXPECT_EQ(window.calls[window.calls.size() - 2], "append err(5) 未定義の命令です。 l16c⏎dz");
  ASSERT_EQ(view.reDebug.Lines.size(), 7u);
  EXPECT_EQ(view.reDebug.Lines[5], "[4 l16c⏎dz⏎e⏎f]");
  // The text a widget shows has exactly one "\n" per pane line break.
  const std::string text = view.reDebug.Text();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6);

  ClickMessageLine(1, 3);
  EXPECT_EQ(text.substr(static_cast<std::size_t>(view.reDebug.SelStart), 6), "[4 l16");
}

// Copied source is pasted elsewhere: the marks go back to line breaks.
TEST_F(MsgViewTest, CopyGivesLineBreaksWhereThePaneShowsMarks) {
  view.SetDebugLines({"t120", "[4 c\r\nd\ne]"});
  view.reDebug.Select(5, 14);  // "[4 c⏎d⏎e]": the marks are three bytes each
  view.Copy1Click();
  EXPECT_EQ(platform.clipboard, "[4 c\nd\ne]");
}

TEST(OnePaneLine, MarksEachBreakFormOnce) {
  EXPECT_EQ(vlm::OnePaneLine("a\r\nb\n\nc\r"), "a⏎b⏎⏎c⏎");
  EXPECT_EQ(vlm::OnePaneLine("no break"), "no break");
  EXPECT_EQ(vlm::OnePaneLine(""), "");
}

TEST_F(MsgViewTest, ClickOnLinesWithoutANumberInParenthesesDoesNothing) {
  view.SetDebugLines({"a", "b", "c"});
  view.reDebug.Select(2, 1);
  for (const char* line : {"Compile Start", "ok", "x(abc)", "x)3(", "x()", "x(4", "x(1 )"}) view.AddMessage(line);
  view.ActivePage = vlm::MsgPage::Message;
  window.calls.clear();
  for (int line = 0; line < 7; ++line) ClickMessageLine(line);
  EXPECT_TRUE(window.calls.empty());
  EXPECT_EQ(view.ActivePage, vlm::MsgPage::Message);
  EXPECT_EQ(view.reDebug.SelStart, 2);
  ClickMessageLine(0);  // an empty Message pane too
  view.ClearMessages();
  view.RichEdit1MouseDown();
  EXPECT_EQ(view.reDebug.SelStart, 2);
}

TEST_F(MsgViewTest, LineNumbersOutsideTheDebugPaneAreClamped) {
  view.SetDebugLines({"abc", "def"});
  view.AddMessage("err(-1)");
  view.AddMessage("err(99999999999)");  // no int32: ignored
  view.AddMessage("err( $A)");          // hexadecimal 10: past the end
  ClickMessageLine(0);
  EXPECT_EQ(view.reDebug.SelStart, 0);
  view.reDebug.Select(5, 0);
  ClickMessageLine(1);
  EXPECT_EQ(view.reDebug.SelStart, 5);
  ClickMessageLine(2);
  EXPECT_EQ(view.reDebug.SelStart, 7);
}

TEST_F(MsgViewTest, FindNextCyclesThroughOccurrencesAndWraps) {
  view.SetDebugLines({"cde cde", "xcde"});
  view.SearchText = "cde";
  view.FindNext1Click();  // selection at 0 is on the first one: the search starts after it
  EXPECT_EQ(view.reDebug.SelStart, 4);
  EXPECT_EQ(view.reDebug.SelLength, 3);
  view.FindNext1Click();
  EXPECT_EQ(view.reDebug.SelStart, 9);
  EXPECT_EQ(view.reDebug.SelectedText(), "cde");
  view.FindNext1Click();  // last one: wraps to the first
  EXPECT_EQ(view.reDebug.SelStart, 0);
  EXPECT_EQ(view.ActivePage, vlm::MsgPage::Debug);
  EXPECT_TRUE(warnings.shown.empty());
}

TEST_F(MsgViewTest, FindNextWithOneOccurrenceKeepsSelectingIt) {
  view.SetDebugLines({"abc", "zz"});
  view.SearchText = "zz";
  view.FindNext1Click();
  view.FindNext1Click();
  EXPECT_EQ(view.reDebug.SelStart, 4);
  EXPECT_EQ(view.reDebug.SelLength, 2);
}

TEST_F(MsgViewTest, FindNextComparesCaseExactlyAndWarnsWhenAbsent) {
  view.SetDebugLines({"ABC"});
  view.reDebug.Select(1, 1);
  view.SearchText = "abc";
  view.FindNext1Click();
  ASSERT_EQ(warnings.shown.size(), 1u);
  EXPECT_EQ(warnings.shown[0], "検索文字列\"abc\"はありません。");
  EXPECT_EQ(view.reDebug.SelStart, 1);  // the selection stays
  EXPECT_EQ(view.reDebug.SelLength, 1);
}

TEST_F(MsgViewTest, FindAsksWithTheCurrentStringAndCancelKeepsIt) {
  view.SetDebugLines({"ab ab"});
  platform.inputAnswers = {"ab"};
  view.Find1Click();
  EXPECT_EQ(platform.inputPrompts, (std::vector<std::string>{"検索文字列を入力してください。|検索"}));
  EXPECT_EQ(view.SearchText, "ab");
  EXPECT_EQ(view.reDebug.SelStart, 3);
  view.Find1Click();  // Cancel: the proposal "ab" comes back and the search goes on
  EXPECT_EQ(view.SearchText, "ab");
  EXPECT_EQ(view.reDebug.SelStart, 0);
}

TEST_F(MsgViewTest, AnEmptySearchStringAsksAndAnEmptyAnswerSearchesNothing) {
  view.SetDebugLines({"ab"});
  platform.inputAnswers = {""};
  view.FindNext1Click();
  EXPECT_EQ(platform.inputPrompts.size(), 1u);
  EXPECT_EQ(view.SearchText, "");
  EXPECT_TRUE(warnings.shown.empty());
  EXPECT_EQ(view.reDebug.SelLength, 0);
}

TEST_F(MsgViewTest, FindSkipsPartialMultiByteMatchesAfterTheSelection) {
  view.SetDebugLines({"音楽", "音"});
  view.SearchText = "音";
  view.FindNext1Click();  // starts inside the first character's bytes
  EXPECT_EQ(view.reDebug.SelStart, 7);
  EXPECT_EQ(view.reDebug.SelectedText(), "音");
}

TEST_F(MsgViewTest, CopyPutsTheDebugSelectionOnTheClipboard) {
  view.SetDebugLines({"l16cde", "fga"});
  view.Copy1Click();  // nothing selected: the clipboard is left alone
  EXPECT_EQ(platform.clipboardWrites, 0);
  view.reDebug.Select(3, 5);
  view.Copy1Click();
  EXPECT_EQ(platform.clipboard, "cde\nf");
}

TEST_F(MsgViewTest, ReplacingTheDebugLinesResetsItsSelection) {
  view.SetDebugLines({"abcdef"});
  view.reDebug.Select(3, 2);
  view.SetDebugLines({"x"});
  EXPECT_EQ(view.reDebug.SelStart, 0);
  EXPECT_EQ(view.reDebug.SelLength, 0);
  EXPECT_EQ(window.calls.back(), "replace Debug");
}

}  // namespace
