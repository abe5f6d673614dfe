// The desktop program's play state, undo and window behaviour, driven like a
// user does over fake platform services and a fake media player.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>
#include <QToolBar>
#include <QScrollBar>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <filesystem>
#include <set>

#include "common/app_path.h"
#include "tests/support/scripted_platform.h"
#include "ui/desktop.h"
#include "ui/main_window.h"
#include "ui/mml_roll_window.h"
#include "ui/msg_view_window.h"
#include "ui/play_status.h"
#include "ui/text_pane_widget.h"
#include "ui/voice_editor_window.h"

namespace {

// Plays until stopped; an open phrase lasts 8 s.
class FakePlayer : public vlm::MediaPlayer {
 public:
  std::vector<std::string> calls;
  Mode mode = Mode::NotOpen;
  void Close() override { mode = Mode::NotOpen; }
  void SetFileName(const std::string&) override {}
  void Open() override { mode = Mode::Stopped; }
  void Play() override {
    calls.push_back("Play");
    mode = Mode::Playing;
  }
  Mode GetMode() const override { return mode; }
  void Stop() override { mode = Mode::Stopped; }
  double LengthSeconds() const override { return mode == Mode::NotOpen ? 0 : 8.0; }
};

class DesktopDefectsTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  vlm::test::ScriptedPlatform platform;
  vlm::test::RecordingWarnings warnings;
  FakePlayer player;
  std::unique_ptr<vlm::ui::Desktop> desktop;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    std::filesystem::copy_file(std::string(VLM_BIN_DIR) + "/Scale.dat",
                               QDir(dir.path()).filePath(QStringLiteral("Scale.dat")).toStdString());
    vlm::SetAppPathForTesting(dir.path().toStdString());
    vlm::SetWarningSink(&warnings);
    desktop = std::make_unique<vlm::ui::Desktop>(platform, &player);
    desktop->Start();
    Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
  }
  void TearDown() override {
    desktop.reset();
    vlm::SetWarningSink(nullptr);
    vlm::SetAppPathForTesting("");
  }

  vlm::ui::MainWindow& Main() const { return desktop->Main(); }
  vlm::ui::MsgViewWindowQt& View() const { return desktop->MessageView(); }
  QAction* Action(const char* name) const { return Main().findChild<QAction*>(QString::fromLatin1(name)); }
  QPlainTextEdit* Box(const char* name) const { return Main().findChild<QPlainTextEdit*>(QString::fromLatin1(name)); }
  QString StatusLine() const { return Main().Playing().Label()->text(); }
};

TEST_F(DesktopDefectsTest, PlayAndStopControlsAndTheStatusBarShowThePlayState) {
  EXPECT_FALSE(Action("Stop1")->isEnabled());
  EXPECT_TRUE(StatusLine().isEmpty());
  QTest::keyClick(&Main(), Qt::Key_F5);
  EXPECT_TRUE(Action("MakePlay1")->isChecked());
  EXPECT_TRUE(Action("ToolButton2")->isChecked());
  EXPECT_FALSE(Action("ToolButton3")->isChecked());
  EXPECT_TRUE(Action("Stop1")->isEnabled());
  EXPECT_TRUE(Action("ToolButton6")->isEnabled());
  EXPECT_EQ(StatusLine(), QStringLiteral("演奏中 0:00 / 0:08"));

  QTest::keyClick(&Main(), Qt::Key_F3);
  EXPECT_FALSE(Action("ToolButton2")->isChecked());
  EXPECT_TRUE(Action("ToolButton3")->isChecked());

  Action("ToolButton6")->trigger();
  EXPECT_FALSE(Action("ToolButton3")->isChecked());
  EXPECT_FALSE(Action("Stop1")->isEnabled());
  EXPECT_TRUE(StatusLine().isEmpty());
}

// The program's draws replace the box's text as steps of its undo stack.
TEST_F(DesktopDefectsTest, CtrlZBringsBackThePatternAndRhythmBeforeEachDraw) {
  QPlainTextEdit* pattern = Box("memPatten");
  QPlainTextEdit* rhythm = Box("memRythm");
  pattern->setFocus();
  pattern->selectAll();
  QTest::keyClicks(pattern, QStringLiteral("l8cdef"));
  ASSERT_EQ(desktop->Form.memPatten, "l8cdef");

  QTest::keyClick(&Main(), Qt::Key_F5);
  const QString first = pattern->toPlainText(), firstRhythm = rhythm->toPlainText();
  QTest::keyClick(&Main(), Qt::Key_F5);
  ASSERT_NE(pattern->toPlainText(), first);

  QTest::keyClick(pattern, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(pattern->toPlainText(), first);
  EXPECT_EQ(desktop->Form.memPatten, first.toStdString());
  QTest::keyClick(pattern, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(pattern->toPlainText(), QStringLiteral("l8cdef"));
  EXPECT_EQ(desktop->Form.memPatten, "l8cdef");
  QTest::keyClick(rhythm, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(rhythm->toPlainText(), firstRhythm);
  EXPECT_EQ(desktop->Form.memRythm, firstRhythm.toStdString());
}

TEST_F(DesktopDefectsTest, UndoOpenBringsBackTheSettingsBeforeTheLoad) {
  QAction* undo = Action("UndoOpen1");
  ASSERT_NE(undo, nullptr);
  EXPECT_FALSE(undo->isEnabled());
  const std::string file = QDir(dir.path()).filePath(QStringLiteral("a.vr3")).toStdString();
  Box("memPatten")->setPlainText(QStringLiteral("l4c"));
  platform.fileAnswers = {file};
  Action("Save1")->trigger();
  Box("memPatten")->setPlainText(QStringLiteral("l4g"));
  Box("memRythm")->setPlainText(QStringLiteral("NNrN"));

  platform.fileAnswers = {file};
  Action("Open1")->trigger();
  ASSERT_EQ(Box("memPatten")->toPlainText(), QStringLiteral("l4c"));
  EXPECT_TRUE(undo->isEnabled());
  undo->trigger();
  EXPECT_EQ(Box("memPatten")->toPlainText(), QStringLiteral("l4g"));
  EXPECT_EQ(Box("memRythm")->toPlainText(), QStringLiteral("NNrN"));
  EXPECT_EQ(desktop->Form.memRythm, "NNrN");
  EXPECT_FALSE(undo->isEnabled());
}

// After Find in the message view, F3 finds the next occurrence there and
// leaves a hand-typed pattern alone.
TEST_F(DesktopDefectsTest, F3AfterFindActsInTheMessageView) {
  Box("memPatten")->setPlainText(QStringLiteral("l8c d e c"));
  Action("Compile1")->trigger();
  QTest::keyClick(&Main(), Qt::Key_F10);
  vlm::ui::MsgViewWindowQt& view = View();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  const auto callsBefore = player.calls.size();

  platform.inputAnswers = {"c"};
  view.DebugPane()->setFocus();
  QTest::keyClick(view.DebugPane(), Qt::Key_F, Qt::ControlModifier);
  ASSERT_EQ(platform.inputPrompts.size(), 1u);
  EXPECT_EQ(QApplication::activeWindow(), &view);
  const int first = view.DebugPane()->textCursor().selectionStart();
  EXPECT_EQ(view.DebugPane()->textCursor().selectedText(), QStringLiteral("c"));

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
  EXPECT_GT(view.DebugPane()->textCursor().selectionStart(), first);
  EXPECT_EQ(view.DebugPane()->textCursor().selectedText(), QStringLiteral("c"));
  // From the Message page too: F3 stays in this window.
  view.Pages()->setCurrentIndex(0);
  view.MessagePane()->setFocus();
  const int second = view.DebugPane()->textCursor().selectionStart();
  QTest::keyClick(view.MessagePane(), Qt::Key_F3);
  EXPECT_NE(view.DebugPane()->textCursor().selectionStart(), second);
  EXPECT_EQ(Box("memPatten")->toPlainText(), QStringLiteral("l8c d e c"));
  EXPECT_EQ(player.calls.size(), callsBefore);
}

// The pages take the space of a larger window; the first size is the least.
TEST_F(DesktopDefectsTest, TheMainWindowGrowsWithItsPagesAndKeepsItsMinimum) {
  const QSize start = Main().size();
  const QSize minimum = Main().minimumSize();
  EXPECT_LE(minimum.width(), start.width());
  EXPECT_LE(minimum.height(), start.height());
  EXPECT_GE(minimum.height(), Main().Pages()->minimumSizeHint().height());
  auto* roll = Main().findChild<QWidget*>(QStringLiteral("PianoRoll"));
  const int pagesWidth = Main().Pages()->width(), patternHeight = Box("memPatten")->height();
  const int rollHeight = roll ? roll->height() : 0;
  Main().resize(start + QSize(400, 300));
  QApplication::processEvents();
  EXPECT_GE(Main().Pages()->width(), pagesWidth + 390);
  // The pattern box and the roll under the pages share the new height.
  const int patternGrowth = Box("memPatten")->height() - patternHeight;
  const int rollGrowth = roll ? roll->height() - rollHeight : 0;
  EXPECT_GE(patternGrowth, 100);
  EXPECT_GE(patternGrowth + rollGrowth, 280);
  Main().resize(QSize(100, 100));
  EXPECT_EQ(Main().size(), minimum);
}

// A pattern typed over two lines: the message of its error is one line in
// the Message pane, the compiled line one line in the Debug pane, and the
// jump lands on the line the message names.
TEST_F(DesktopDefectsTest, ALineBreakInThePatternKeepsMessagesAndJumpsInStep) {
  Box("memPatten")->setPlainText(QStringLiteral("l16c d\ne } f"));
  QTest::keyClick(&Main(), Qt::Key_P, Qt::ControlModifier);
  vlm::ui::MsgViewWindowQt& view = View();
  ASSERT_TRUE(view.isVisible());
  const auto& compiled = desktop->Form.CompiledLines;
  EXPECT_EQ(view.DebugPane()->document()->blockCount(), static_cast<int>(compiled.size()));
  EXPECT_EQ(view.MessagePane()->document()->blockCount(),
            static_cast<int>(desktop->Messages.RichEdit1.Lines.size()));

  int errorLine = -1;
  for (QTextBlock b = view.MessagePane()->document()->begin(); b.isValid() && errorLine < 0; b = b.next())
    if (b.text().startsWith(QStringLiteral("err("))) errorLine = b.blockNumber();
  ASSERT_GE(errorLine, 0);
  const QString message = view.MessagePane()->document()->findBlockByNumber(errorLine).text();
  const int sourceLine = message.mid(4, message.indexOf(QLatin1Char(')')) - 4).toInt();
  int patternLine = -1;
  for (std::size_t i = 0; i < compiled.size(); ++i)
    if (compiled[i].find("l16c d\r\ne } f") != std::string::npos) patternLine = static_cast<int>(i);
  ASSERT_EQ(sourceLine, patternLine);

  QTextCursor cursor(view.MessagePane()->document()->findBlockByNumber(errorLine));
  cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, 2);
  QTest::mouseClick(view.MessagePane()->viewport(), Qt::LeftButton, {}, view.MessagePane()->cursorRect(cursor).center());
  EXPECT_EQ(view.DebugPane()->textCursor().blockNumber(), sourceLine);
  const QString shown = view.DebugPane()->textCursor().block().text();
  EXPECT_TRUE(shown.contains(QStringLiteral("c d⏎e")));
  EXPECT_TRUE(shown.contains(QLatin1Char('}')));
}

// On screen the first time; shown again, where the user left it.
TEST_F(DesktopDefectsTest, WindowsOpenWhollyOnTheScreenThenStayWhereTheUserPutThem) {
  const QRect free = Main().screen()->availableGeometry();
  QTest::keyClick(&Main(), Qt::Key_F10);
  EXPECT_TRUE(free.contains(View().frameGeometry()));
  QTest::keyClick(&Main(), Qt::Key_F4);
  EXPECT_TRUE(free.contains(desktop->VoiceEditor().frameGeometry()));

  View().move(free.topLeft() + QPoint(30, 40));
  const QPoint left = View().pos();
  View().close();
  Main().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
  QTest::keyClick(&Main(), Qt::Key_F10);
  ASSERT_TRUE(View().isVisible());
  EXPECT_EQ(View().pos(), left);
}


// What a screen reader says of a control is its accessible name, as Qt's
// accessibility bridge gives it to AT-SPI (a label's buddy counts); Tab must
// reach every control. Scroll bars of scrolled views, and the parts a combo
// box, spin box or tab bar is made of, speak for their owner; the buttons of
// the tool bars and the status bar repeat menu entries, so they need a name
// only.
void CheckControls(QWidget& window, std::set<std::string>& missing) {
  for (QWidget* w : window.findChildren<QWidget*>()) {
    const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSlider*>(w) ||
                         qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QComboBox*>(w) ||
                         qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractScrollArea*>(w);
    if (!control || !w->isVisibleTo(&window)) continue;
    QWidget* owner = w->parentWidget();
    if (qobject_cast<QAbstractSlider*>(w) && owner && qobject_cast<QAbstractScrollArea*>(owner->parentWidget())) continue;
    if (owner && (qobject_cast<QComboBox*>(owner) || qobject_cast<QAbstractSpinBox*>(owner) ||
                  qobject_cast<QTabBar*>(owner)))
      continue;
    const std::string where = (w->metaObject()->className() + QStringLiteral(" ") + w->objectName()).toStdString();
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(w);
    if (!spoken || spoken->text(QAccessible::Name).trimmed().isEmpty()) missing.insert("no name: " + where);
    if (!qobject_cast<QToolBar*>(owner) && !qobject_cast<QStatusBar*>(owner) && !(w->focusPolicy() & Qt::TabFocus))
      missing.insert("no Tab: " + where);
  }
}

TEST_F(DesktopDefectsTest, EveryControlIsNamedForAScreenReaderAndReachedByTab) {
  QTest::keyClick(&Main(), Qt::Key_F5);
  if (!Action("ShowKept")->isChecked()) Action("ShowKept")->trigger();
  ASSERT_TRUE(Main().findChild<QWidget*>(QStringLiteral("lstKept"))->isVisibleTo(&Main()));
  desktop->VoiceEditor().show();
  View().show();
  vlm::ui::MmlRollWindow mml(&player);
  mml.show();
  std::set<std::string> missing;
  auto* pages = Main().findChild<QTabWidget*>();
  ASSERT_NE(pages, nullptr);
  for (int page = 0; page < pages->count(); ++page) {
    pages->setCurrentIndex(page);
    CheckControls(Main(), missing);
  }
  for (QWidget* window : std::initializer_list<QWidget*>{&desktop->VoiceEditor(), &View(), &mml}) {
    CheckControls(*window, missing);
    EXPECT_FALSE(window->findChildren<QWidget*>().empty());
  }
  EXPECT_TRUE(missing.empty()) << ::testing::PrintToString(missing);

  // Tab leaves the rhythm box for the first weight bar, which moves with
  // the arrow keys, and its label names it.
  pages->setCurrentIndex(1);
  QPlainTextEdit* rhythm = Box("memRythm");
  const QString rhythmText = rhythm->toPlainText();
  rhythm->setFocus();
  QTest::keyClick(rhythm, Qt::Key_Tab);
  EXPECT_EQ(rhythm->toPlainText(), rhythmText);
  auto* bar = Main().findChild<QScrollBar*>(QStringLiteral("ryt1"));
  EXPECT_EQ(QApplication::focusWidget(), bar);
  bar->setValue(bar->minimum() + 10);
  const int before = bar->value();
  QTest::keyClick(bar, Qt::Key_Right);  // the thumb goes right: the value rises
  EXPECT_EQ(bar->value(), before + bar->singleStep());
  QTest::keyClick(bar, Qt::Key_PageDown);
  EXPECT_EQ(bar->value(), before + bar->singleStep() - bar->pageStep());
  // A scale bar holds 100 at its top: Up raises it.
  auto* scale = Main().findChild<QScrollBar*>(QStringLiteral("scl1"));
  scale->setValue(50);
  QTest::keyClick(scale, Qt::Key_Up);
  EXPECT_EQ(scale->value(), 50 + scale->singleStep());
  EXPECT_EQ(QAccessible::queryAccessibleInterface(bar)->text(QAccessible::Name), QStringLiteral("普通に発音"));
}

}  // namespace
