#include "ui/msg_view_window.h"

#include <gtest/gtest.h>

#include <QTabWidget>
#include <QTest>
#include <QTextBlock>

#include "tests/support/scripted_platform.h"
#include "ui/text_pane_widget.h"

namespace {

class MsgViewWindowTest : public ::testing::Test {
 protected:
  vlm::test::ScriptedPlatform platform;
  vlm::test::RecordingWarnings warnings;
  vlm::TfrmMsg model{platform};
  std::unique_ptr<vlm::ui::MsgViewWindowQt> window;

  void SetUp() override {
    vlm::SetWarningSink(&warnings);
    window = std::make_unique<vlm::ui::MsgViewWindowQt>(model);
  }
  void TearDown() override {
    window.reset();
    vlm::SetWarningSink(nullptr);
  }

  // Clicks into the middle of line `line` of a pane, as the user would.
  static void ClickLine(vlm::ui::TextPaneWidget* pane, int line) {
    QTextCursor cursor(pane->document()->findBlockByNumber(line));
    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, 2);
    const QRect rect = pane->cursorRect(cursor);
    QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, rect.center());
  }
};

TEST_F(MsgViewWindowTest, ShowsTheMessageLinesAsTheyArrive) {
  model.AddMessage("Compile Start");
  model.AddMessage("err(1) x");
  EXPECT_EQ(window->MessagePane()->toPlainText(), QStringLiteral("Compile Start\nerr(1) x"));
  model.ClearMessages();
  EXPECT_TRUE(window->MessagePane()->toPlainText().isEmpty());
  model.AddMessage("ok");
  EXPECT_EQ(window->MessagePane()->toPlainText(), QStringLiteral("ok"));
}

TEST_F(MsgViewWindowTest, ClickOnAnErrorLineJumpsToItsSourceLine) {
  model.SetDebugLines({"t120", "@0v100", "", "BR=2", "[4 l16c 音 z]", "end"});
  model.AddMessage("Compile Start");
  model.AddMessage("err(4) 不明な命令です。");
  model.AddMessage("ok");
  model.ShowMessagePage();
  window->resize(500, 300);
  ASSERT_EQ(window->Pages()->currentIndex(), 0);

  ClickLine(window->MessagePane(), 2);  // "ok": nothing happens
  EXPECT_EQ(window->Pages()->currentIndex(), 0);

  ClickLine(window->MessagePane(), 1);
  EXPECT_EQ(window->Pages()->currentIndex(), 1);
  EXPECT_EQ(model.ActivePage, vlm::MsgPage::Debug);
  const QTextCursor caret = window->DebugPane()->textCursor();
  EXPECT_EQ(caret.blockNumber(), 4);
  EXPECT_EQ(caret.positionInBlock(), 0);
  EXPECT_FALSE(caret.hasSelection());
}

TEST_F(MsgViewWindowTest, FindCycleThroughTheDebugPaneKeys) {
  model.SetDebugLines({"音 cde", "cde", "xx"});
  model.ShowView();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  window->DebugPane()->setFocus();
  platform.inputAnswers = {"cde"};
  QTest::keyClick(window->DebugPane(), Qt::Key_F, Qt::ControlModifier);
  ASSERT_EQ(platform.inputPrompts.size(), 1u);
  EXPECT_EQ(window->DebugPane()->textCursor().selectedText(), QStringLiteral("cde"));
  EXPECT_EQ(window->DebugPane()->textCursor().selectionStart(), 2);  // positions in characters
  QTest::keyClick(window->DebugPane(), Qt::Key_F3);
  EXPECT_EQ(window->DebugPane()->textCursor().selectionStart(), 6);
  QTest::keyClick(window->DebugPane(), Qt::Key_F3);  // wraps
  EXPECT_EQ(window->DebugPane()->textCursor().selectionStart(), 2);

  QTest::keyClick(window->DebugPane(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(platform.clipboard, "cde");

  model.SearchText = "zz";
  QTest::keyClick(window->DebugPane(), Qt::Key_F3);
  EXPECT_EQ(warnings.shown, (std::vector<std::string>{"検索文字列\"zz\"はありません。"}));
  EXPECT_EQ(window->DebugPane()->textCursor().selectionStart(), 2);
}

TEST_F(MsgViewWindowTest, ClosingHidesAndShowingAgainBringsItBack) {
  model.ShowView();
  EXPECT_TRUE(window->isVisible());
  window->close();
  EXPECT_FALSE(model.Visible);
  model.ShowView();
  EXPECT_TRUE(window->isVisible());
}

}  // namespace
