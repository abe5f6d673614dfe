// The program's windows driven like a user does: keys, menu entries, clicks
// and typing, over fake platform services and a fake media player.
#include "ui/desktop.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QToolBar>

#include <filesystem>
#include <fstream>
#include <regex>

#include "common/app_path.h"
#include "tests/support/scripted_platform.h"
#include "ui/main_window.h"
#include "ui/msg_view_window.h"
#include "ui/numeric_edit.h"
#include "ui/text_pane_widget.h"
#include "ui/voice_editor_window.h"

namespace {

// Records the calls the play commands make.
class FakePlayer : public vlm::MediaPlayer {
 public:
  std::vector<std::string> calls;
  Mode mode = Mode::NotOpen;
  bool looping = false;
  void Close() override { calls.push_back("Close"); mode = Mode::NotOpen; }
  void SetLooping(bool on) override { looping = on; }
  void SetFileName(const std::string& name) override { calls.push_back("SetFileName " + (named = name)); }
  void Open() override { calls.push_back("Open"); mode = Mode::Stopped; }
  void Play() override { calls.push_back("Play"); mode = Mode::Playing; }
  Mode GetMode() const override { return mode; }
  void Stop() override { calls.push_back("Stop"); mode = Mode::Stopped; }
  std::string named;
  std::string OpenedFile() const override { return mode == Mode::NotOpen ? std::string() : named; }
  bool Looping() const override { return looping; }
  bool QueueNextPass(const std::string& name) override {
    calls.push_back("QueueNextPass " + name);
    return looping && mode == Mode::Playing;
  }
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DesktopTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  vlm::test::ScriptedPlatform platform;
  vlm::test::RecordingWarnings warnings;
  FakePlayer player;
  std::unique_ptr<vlm::ui::Desktop> desktop;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    // The program's folder with the preset file that ships beside it.
    std::filesystem::copy_file(std::string(VLM_BIN_DIR) + "/Scale.dat", Path("Scale.dat"));
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

  std::string Path(const char* name) const { return QDir(dir.path()).filePath(QString::fromLatin1(name)).toStdString(); }
  vlm::ui::MainWindow& Main() const { return desktop->Main(); }
  template <typename W>
  W* Find(QWidget& window, const char* name) const {
    W* widget = window.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QAction* Action(QWidget& window, const char* name) const { return Find<QAction>(window, name); }
  QString PatternShown() const { return Find<QPlainTextEdit>(Main(), "memPatten")->toPlainText(); }
};

TEST_F(DesktopTest, F5MakesAPatternCompilesItAndPlaysThePhraseFile) {
  EXPECT_TRUE(warnings.shown.empty());  // Scale.dat was found
  QTest::keyClick(&Main(), Qt::Key_F5);
  EXPECT_TRUE(PatternShown().startsWith(QStringLiteral("l16")));
  EXPECT_EQ(PatternShown().toStdString(), desktop->Form.memPatten);
  EXPECT_EQ(Find<QPlainTextEdit>(Main(), "memRythm")->toPlainText().size(), 16);
  const std::string phrase = Path("vorlumi3.mid");
  EXPECT_EQ(ReadFile(phrase).substr(0, 4), "MThd");
  EXPECT_EQ(player.calls, (std::vector<std::string>{"Close", "SetFileName " + phrase, "Open", "Play"}));
  EXPECT_EQ(desktop->Messages.RichEdit1.Lines.front(), "Compile Start");

  // F3 keeps the rhythm and draws other pitches; Ctrl+P plays the pattern unchanged.
  const QString rhythm = Find<QPlainTextEdit>(Main(), "memRythm")->toPlainText();
  QTest::keyClick(&Main(), Qt::Key_F3);
  EXPECT_EQ(Find<QPlainTextEdit>(Main(), "memRythm")->toPlainText(), rhythm);
  const QString pattern = PatternShown();
  QTest::keyClick(&Main(), Qt::Key_P, Qt::ControlModifier);
  EXPECT_EQ(PatternShown(), pattern);
  EXPECT_EQ(player.calls.size(), 12u);
}

TEST_F(DesktopTest, ACompileErrorShowsTheMessageViewAndAClickLeadsToTheSourceLine) {
  Find<QPlainTextEdit>(Main(), "memPatten")->setPlainText(QStringLiteral("l16c d e } f"));
  QTest::keyClick(&Main(), Qt::Key_P, Qt::ControlModifier);
  vlm::ui::MsgViewWindowQt& view = desktop->MessageView();
  ASSERT_TRUE(view.isVisible());
  EXPECT_EQ(view.Pages()->currentIndex(), 0);

  // The error line of the stray "}" and the compiled line it names.
  const QStringList messages = view.MessagePane()->toPlainText().split(QLatin1Char('\n'));
  int errorLine = -1;
  for (int i = 0; i < messages.size() && errorLine < 0; ++i)
    if (messages[i].startsWith(QStringLiteral("err(")) && messages[i].contains(QStringLiteral("\"}\""))) errorLine = i;
  ASSERT_GE(errorLine, 0) << view.MessagePane()->toPlainText().toStdString();
  const int sourceLine = messages[errorLine].mid(4, messages[errorLine].indexOf(QLatin1Char(')')) - 4).toInt();
  EXPECT_TRUE(view.DebugPane()->document()->findBlockByNumber(sourceLine).text().contains(QLatin1Char('}')));
  EXPECT_GT(sourceLine, 0);

  QTextCursor cursor(view.MessagePane()->document()->findBlockByNumber(errorLine));
  cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, 2);
  QTest::mouseClick(view.MessagePane()->viewport(), Qt::LeftButton, {}, view.MessagePane()->cursorRect(cursor).center());
  EXPECT_EQ(view.Pages()->currentIndex(), 1);
  EXPECT_EQ(view.DebugPane()->textCursor().blockNumber(), sourceLine);
  EXPECT_EQ(view.DebugPane()->textCursor().positionInBlock(), 0);
  // The error lies in the pattern: the pattern box selects it as well.
  const QTextCursor selected = Find<QPlainTextEdit>(Main(), "memPatten")->textCursor();
  EXPECT_EQ(selected.selectedText(), QStringLiteral("}"));
  EXPECT_EQ(selected.selectionStart(), 9);
}

// The model counts code points, the box UTF-16 units: a character outside
// the basic plane before the error must not shift the selection.
TEST_F(DesktopTest, APatternErrorAfterAWideCharacterIsSelectedWhereItStands) {
  auto* pattern = Find<QPlainTextEdit>(Main(), "memPatten");
  pattern->setPlainText(QString::fromUtf8("{\xF0\x9D\x84\x9E} c } d"));
  QTest::keyClick(&Main(), Qt::Key_P, Qt::ControlModifier);
  ASSERT_FALSE(desktop->Form.PatternErrorOffsets.empty());
  desktop->Form.SelectInPattern(desktop->Form.PatternErrorOffsets.front());
  EXPECT_EQ(pattern->textCursor().selectedText(), QStringLiteral("}"));
  EXPECT_EQ(pattern->textCursor().selectionStart(), 7);
}

TEST_F(DesktopTest, MessageViewEntryShowsTheLastCompiledSource) {
  QTest::keyClick(&Main(), Qt::Key_F10);
  EXPECT_TRUE(desktop->MessageView().isVisible());
  EXPECT_TRUE(desktop->MessageView().DebugPane()->toPlainText().isEmpty());  // nothing compiled yet
  Action(Main(), "Compile1")->trigger();
  QTest::keyClick(&Main(), Qt::Key_F10);
  QStringList compiled;
  for (const std::string& line : desktop->Form.CompiledLines) compiled << QString::fromStdString(line);
  ASSERT_FALSE(compiled.isEmpty());
  EXPECT_EQ(desktop->MessageView().DebugPane()->toPlainText(), compiled.join(QLatin1Char('\n')));
}

TEST_F(DesktopTest, SaveThenOpenRestoresThePages) {
  auto* speOnpu = Find<vlm::ui::NumericEdit>(Main(), "speOnpu");
  speOnpu->Editor()->selectAll();
  QTest::keyClicks(speOnpu->Editor(), QStringLiteral("8"));
  Find<QScrollBar>(Main(), "sclB")->setValue(30);
  Find<QScrollBar>(Main(), "ryt2")->setValue(55);
  Find<QPlainTextEdit>(Main(), "memRythm")->setPlainText(QStringLiteral("NrNm"));
  Find<QPlainTextEdit>(Main(), "memOption")->setPlainText(QStringLiteral("@1 音"));
  auto* editSong = Find<QLineEdit>(Main(), "editSong");
  QTest::keyClicks(editSong, QStringLiteral("3"));
  QTest::keyClick(editSong, Qt::Key_Return);
  Find<QCheckBox>(Main(), "chkRepeat")->click();
  EXPECT_EQ(Find<QListWidget>(Main(), "lstSong")->count(), 1);
  EXPECT_TRUE(editSong->text().isEmpty());

  const std::string file = Path("saved.vr3");
  platform.fileAnswers = {file};
  Action(Main(), "Save1")->trigger();
  ASSERT_EQ(platform.fileFilters.size(), 1u);
  EXPECT_EQ(platform.fileFilters[0].DefaultExt, "vr3");
  EXPECT_EQ(platform.fileFilters[0].Filter, "Vorlumi3 save data|*.vr3|all|*.*");

  speOnpu->Editor()->selectAll();
  QTest::keyClicks(speOnpu->Editor(), QStringLiteral("32"));
  Find<QScrollBar>(Main(), "sclB")->setValue(90);
  Find<QScrollBar>(Main(), "ryt2")->setValue(5);
  Find<QPlainTextEdit>(Main(), "memRythm")->setPlainText(QStringLiteral("W"));
  Find<QPlainTextEdit>(Main(), "memOption")->clear();
  auto* undoSong = Find<QAbstractButton>(Main(), "UndoSong1");
  EXPECT_FALSE(undoSong->isEnabled());
  Find<QAbstractButton>(Main(), "SongClearBtn")->click();
  EXPECT_EQ(Find<QListWidget>(Main(), "lstSong")->count(), 0);
  ASSERT_TRUE(undoSong->isEnabled());
  undoSong->click();  // the list comes back, and is cleared again below
  EXPECT_EQ(Find<QListWidget>(Main(), "lstSong")->count(), 1);
  EXPECT_FALSE(undoSong->isEnabled());
  Find<QAbstractButton>(Main(), "SongClearBtn")->click();
  Find<QCheckBox>(Main(), "chkRepeat")->click();

  platform.fileAnswers = {file};
  Action(Main(), "Open1")->trigger();
  EXPECT_EQ(speOnpu->text(), QStringLiteral("8"));
  EXPECT_EQ(Find<QScrollBar>(Main(), "sclB")->value(), 30);
  EXPECT_EQ(Find<QScrollBar>(Main(), "ryt2")->value(), 55);
  EXPECT_EQ(Find<QPlainTextEdit>(Main(), "memRythm")->toPlainText(), QStringLiteral("NrNm"));
  EXPECT_EQ(Find<QPlainTextEdit>(Main(), "memOption")->toPlainText(), QStringLiteral("@1 音"));
  ASSERT_EQ(Find<QListWidget>(Main(), "lstSong")->count(), 1);
  EXPECT_EQ(Find<QListWidget>(Main(), "lstSong")->item(0)->text(), QStringLiteral("3"));
  EXPECT_FALSE(Find<QCheckBox>(Main(), "chkRepeat")->isChecked());
}

TEST_F(DesktopTest, VoiceEditorSwitchesChangeTheAssembledSource) {
  QTest::keyClick(&Main(), Qt::Key_F4);
  vlm::ui::VoiceEditorWindow& voice = desktop->VoiceEditor();
  ASSERT_TRUE(voice.isVisible());
  EXPECT_EQ(desktop->Form.AssembleSource().front(), "RESET_GS|RESET_XG|r4");

  voice.Bar(2)->setValue(20);
  EXPECT_EQ(voice.Box(2)->text(), QStringLiteral("20"));
  voice.Switch(2)->click();
  voice.Switch(3)->click();
  voice.Switch(11)->click();
  voice.Switch(12)->click();
  const std::vector<std::string> source = desktop->Form.AssembleSource();
  ASSERT_GE(source.size(), 5u);
  EXPECT_EQ(source[0], "t120");
  EXPECT_EQ(source[3], "r4M(20) VIB_RATE(0) ");

  // Row 1 with "Voice" on moves the main window's program number and instrument list.
  voice.Switch(1)->click();
  voice.Bar(1)->setValue(40);
  EXPECT_EQ(Find<vlm::ui::NumericEdit>(Main(), "seVoice")->text(), QStringLiteral("40"));
  EXPECT_EQ(Find<QComboBox>(Main(), "cmbVoiceList")->currentIndex(), 40);

  Find<QAbstractButton>(voice, "btnOK")->click();
  EXPECT_FALSE(voice.isVisible());
}

TEST_F(DesktopTest, VoiceEditorPlayAndStopRunTheMainWindowsCommands) {
  QTest::keyClick(&Main(), Qt::Key_F4);
  vlm::ui::VoiceEditorWindow& voice = desktop->VoiceEditor();
  Find<QAbstractButton>(voice, "btnPlay")->click();
  EXPECT_FALSE(PatternShown().isEmpty());
  EXPECT_EQ(player.calls.back(), "Play");
  Find<QAbstractButton>(voice, "btnStop")->click();
  EXPECT_EQ(player.calls.back(), "Stop");

  voice.findChild<QAction*>(QStringLiteral("AllCHeck1"))->trigger();
  for (int row = 1; row <= 10; ++row) EXPECT_TRUE(voice.Switch(row)->isChecked()) << row;
  EXPECT_TRUE(voice.Switch(11)->isChecked());
}

TEST_F(DesktopTest, VoiceEditorCopyKeysWorkEvenFromAValueBox) {
  QTest::keyClick(&Main(), Qt::Key_F4);
  vlm::ui::VoiceEditorWindow& voice = desktop->VoiceEditor();
  voice.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&voice));
  voice.Switch(2)->click();
  voice.Box(2)->setFocus();
  QTest::keyClick(voice.Box(2), Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(platform.clipboard, "M(0) @0");
  QTest::keyClick(voice.Box(2), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(platform.clipboard.rfind("Include(tordefs.h);q.Max=16\r\n", 0), 0u);
  EXPECT_EQ(platform.messages.size(), 2u);
}

TEST_F(DesktopTest, CtrlSSavesTheSmfAndDoesNotStop) {
  QTest::keyClick(&Main(), Qt::Key_F5);
  ASSERT_EQ(player.mode, vlm::MediaPlayer::Mode::Playing);
  const std::string copy = Path("copy.mid");
  platform.fileAnswers = {copy};
  QTest::keyClick(&Main(), Qt::Key_S, Qt::ControlModifier);
  ASSERT_EQ(platform.fileFilters.size(), 1u);
  EXPECT_EQ(platform.fileFilters[0].Filter, "smf|*.mid|all|*.*");
  EXPECT_EQ(ReadFile(copy), ReadFile(Path("vorlumi3.mid")));
  EXPECT_EQ(player.mode, vlm::MediaPlayer::Mode::Playing);

  Action(Main(), "Stop1")->trigger();
  EXPECT_EQ(player.mode, vlm::MediaPlayer::Mode::Stopped);
}

// Every menu entry with its caption and key, in menu order; the tool buttons
// with their hints.
TEST_F(DesktopTest, MenusKeysAndToolButtonsAreComplete) {
  const struct {
    const char* name;
    const char* caption;
    QKeySequence key;
  } entries[] = {
      {"Open1", "&Open", {}},
      {"Save1", "&Save", {}},
      {"SaveSMF1", "Save As S&MF", QKeySequence(Qt::CTRL | Qt::Key_S)},
      {"SaveAsMML1", "Save As MM&L(vlm)", {}},
      {"SaveAsMMLTORAMI1", "Save As MML(TORAMI)", {}},
      {"Close1", "&Close", {}},
      {"Stop1", "&Stop\tCtrl+S", {}},
      {"MakePlay1", "&Play (Make R+P)", QKeySequence(Qt::Key_F5)},
      {"PlayMakeP1", "Play (Make P)", QKeySequence(Qt::Key_F3)},
      {"CompilePlay1", "Play (&Compile)", QKeySequence(Qt::CTRL | Qt::Key_P)},
      {"PlaySong1", "Play (Son&g)", QKeySequence(Qt::Key_F6)},
      {"MakeRythm1", "Make Rythm", {}},
      {"MakePattern1", "Make Pattern", {}},
      {"Compile1", "Compile", {}},
      {"Play2", "Play (Only)", {}},
      {"VoiceEdeiter1", "&Voice Edeiter", QKeySequence(Qt::Key_F4)},
      {"MessageView1", "&Message View", QKeySequence(Qt::Key_F10)},
      {"Help2", "&Help", QKeySequence(Qt::Key_F1)},
      {"VerInfo1", "&Version Info.", {}},
  };
  for (const auto& e : entries) {
    QAction* action = Action(Main(), e.name);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QString::fromUtf8(e.caption)) << e.name;
    EXPECT_EQ(action->shortcut(), e.key) << e.name;
  }
  const struct {
    const char* name;
    const char* hint;
  } buttons[] = {
      {"ToolButton2", "新しいパターンを作成し演奏します。"},
      {"ToolButton3", "リズムはそのままで、音程違いのパターンを作ります。"},
      {"ToolButton4", "新しいパターンを作らないで、待機中のパターンを演奏します。"},
      {"ToolButton6", "演奏を止めます。"},
      {"ToolButton8", "ソングパターンに登録されているパターンを演奏します。"},
  };
  for (const auto& b : buttons) EXPECT_EQ(Action(Main(), b.name)->toolTip(), QString::fromUtf8(b.hint)) << b.name;
  EXPECT_EQ(Main().windowTitle(), QStringLiteral("Vorlumi3"));
  EXPECT_EQ(Main().Pages()->currentWidget()->objectName(), QStringLiteral("RythmTab"));
}

// Ctrl+L turns looping on or off for every play command, and the choice
// comes back at the next start (it is kept in the program's configuration,
// which other tests share: the test leaves it as it found it).
TEST_F(DesktopTest, CtrlLTogglesLoopingAndTheNextStartKeepsIt) {
  QAction* loop = Action(Main(), "LoopPlay1");
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
  EXPECT_TRUE(Find<QToolBar>(Main(), "ToolBar1")->actions().contains(loop)) << "on the tool bar too";
  const bool before = loop->isChecked();
  EXPECT_EQ(player.looping, before);
  QTest::keyClick(&Main(), Qt::Key_L, Qt::ControlModifier);
  EXPECT_EQ(loop->isChecked(), !before);
  EXPECT_EQ(player.looping, !before);

  desktop.reset();
  FakePlayer next;
  desktop = std::make_unique<vlm::ui::Desktop>(platform, &next);
  desktop->Start();
  EXPECT_EQ(next.looping, !before);
  EXPECT_EQ(Action(Main(), "LoopPlay1")->isChecked(), !before);
  Action(Main(), "LoopPlay1")->trigger();
  EXPECT_EQ(next.looping, before);
  desktop.reset();
}

// Typing in the pattern box while the phrase loops: once the typing pauses,
// the edit is queued for the next pass, and the keyboard stays in the box.
TEST_F(DesktopTest, TypingWhileAPhraseLoopsIsHeardFromTheNextPass) {
  player.looping = true;
  QTest::keyClick(&Main(), Qt::Key_F5);
  player.calls.clear();
  auto* pattern = Find<QPlainTextEdit>(Main(), "memPatten");
  pattern->setFocus();
  pattern->moveCursor(QTextCursor::End);
  QTest::keyClicks(pattern, QStringLiteral(" c d"));
  QTRY_VERIFY_WITH_TIMEOUT(!player.calls.empty(), 10 * vlm::ui::Desktop::FollowEditsMilliseconds);
  EXPECT_EQ(player.calls, std::vector<std::string>{"QueueNextPass " + Path("vorlumi3.mid")});
  EXPECT_TRUE(PatternShown().endsWith(QStringLiteral(" c d")));
  EXPECT_TRUE(pattern->hasFocus());
}

// Ctrl+Q quits, from the main window as from the others.
TEST_F(DesktopTest, CtrlQQuitsFromAnyWindow) {
  QAction* quit = Action(Main(), "Quit1");
  ASSERT_NE(quit, nullptr);
  EXPECT_EQ(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
  EXPECT_EQ(quit->shortcutContext(), Qt::ApplicationShortcut);
  QTest::keyClick(&Main(), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(Main().isVisible());
}

// Closing the program while a field has the focus: the field's leave
// handler must not reach windows that are already gone (a use after free
// that the sanitizer build reports).
TEST_F(DesktopTest, ClosingWithAFocusedFieldIsSafe) {
  auto* speLength = Find<vlm::ui::NumericEdit>(Main(), "speLength");
  Main().Pages()->setCurrentWidget(Find<QWidget>(Main(), "BasicTab"));
  speLength->setFocus();
  ASSERT_TRUE(speLength->hasFocus());
  QTest::keyClicks(speLength->Editor(), QStringLiteral("999"));
  desktop.reset();
}

TEST_F(DesktopTest, HelpAndVersionGoThroughThePlatform) {
  QTest::keyClick(&Main(), Qt::Key_F1);
  EXPECT_EQ(platform.helpFiles, (std::vector<std::string>{Path("vorlumi3.hlp")}));
  Action(Main(), "VerInfo1")->trigger();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].rfind("Version Info.|Vorlumi3\r\r1999/12/14 ... ver.1.520\r\r", 0), 0u);
}

TEST_F(DesktopTest, VoiceLabelAndInstrumentListFollowEachOther) {
  auto* list = Find<QComboBox>(Main(), "cmbVoiceList");
  auto* seVoice = Find<vlm::ui::NumericEdit>(Main(), "seVoice");
  ASSERT_EQ(list->count(), 128);
  seVoice->Editor()->selectAll();
  QTest::keyClicks(seVoice->Editor(), QStringLiteral("73"));
  EXPECT_EQ(list->currentIndex(), 73);
  list->activated(5);
  EXPECT_EQ(seVoice->text(), QStringLiteral("5"));
  seVoice->stepBy(200);  // clamped by the model
  EXPECT_EQ(seVoice->text(), QStringLiteral("127"));
  EXPECT_EQ(list->currentIndex(), 127);
}

}  // namespace
