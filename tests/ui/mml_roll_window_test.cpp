// The window of File > Open MML as the user meets it beside an editor: its
// edits saved with Ctrl+S in the file's own line ends, never dropped unasked
// on closing, kept aside while not saved so that a crash loses none of
// them, the file's changes from another program loaded at once, and the
// text played as it stands.
#include "ui/mml_roll_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QInputDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <chrono>
#include <functional>
#include <regex>
#include <memory>
#include <string>

#include "app/edit_backup.h"
#include "common/text_file.h"
#include "tests/app/fakes.h"
#include "tests/support/compile_harness.h"
#include "tests/support/run_command.h"
#include "ui/piano_roll_widget.h"
#include "ui/source_editor.h"

namespace {

// Waits for the window's event loop to make cond true; false after 5 s.
bool WaitFor(const std::function<bool()>& cond) {
  for (int waited = 0; waited < 5000; waited += 20) {
    if (cond()) return true;
    QTest::qWait(20);
  }
  return cond();
}

// Answers the next message box, whenever it comes in the next 5 s, with
// `button`; `asked` tells whether one came.
void Answer(QMessageBox::StandardButton button, bool& asked) {
  auto* poll = new QTimer;
  auto waited = std::make_shared<int>(0);
  QObject::connect(poll, &QTimer::timeout, [poll, waited, button, &asked] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box) {
      asked = true;
      box->button(button)->click();
    }
    if (box || (*waited += 20) > 5000) poll->deleteLater();
    if (box) poll->stop();
  });
  poll->start(20);
}

class MmlRollWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* data = std::getenv("XDG_DATA_HOME");
    savedDataHome = data ? std::optional<std::string>(data) : std::nullopt;
    setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
    file = dir + "/song.vlm";
    ASSERT_EQ(vlm::WriteFileAtomically(file, "o4 l8 c d\r\ne f\r\n"), std::nullopt);
    window.OpenFile(file);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }
  void TearDown() override {
    window.Source()->document()->setModified(false);
    window.close();
    std::filesystem::remove_all(dir);
    if (savedDataHome) {
      setenv("XDG_DATA_HOME", savedDataHome->c_str(), 1);
    } else {
      unsetenv("XDG_DATA_HOME");
    }
  }
  std::size_t Notes() const { return window.Roll()->Model().Notes().size(); }
  // Replaces the whole text as typing over a selection does.
  void Type(const QString& text) {
    window.Source()->selectAll();
    window.Source()->insertPlainText(text);
  }

  std::string dir = vlmtest::ScratchDir();
  std::optional<std::string> savedDataHome;
  std::string file;
  vlmtest::FakePlayer player;
  vlm::ui::MmlRollWindow window{&player};
};

TEST_F(MmlRollWindowTest, CtrlSSavesTheEditsInTheFilesOwnLineEnds) {
  EXPECT_EQ(Notes(), 4u);
  window.Source()->moveCursor(QTextCursor::End);
  window.Source()->insertPlainText(QStringLiteral("g a\n"));
  EXPECT_TRUE(window.isWindowModified());
  QTest::keyClick(window.Source(), Qt::Key_S, Qt::ControlModifier);  // the button clicks a moment later
  EXPECT_TRUE(WaitFor([&] { return vlm::ReadFileBytes(file) == "o4 l8 c d\r\ne f\r\ng a\r\n"; }));
  EXPECT_FALSE(window.isWindowModified());
  // Its own save is no change from outside: the text stays as it is.
  QTest::qWait(200);
  EXPECT_EQ(window.Source()->toPlainText(), QStringLiteral("o4 l8 c d\ne f\ng a\n"));
}

// An editor that writes a new file and renames it over the old one, as the
// safe writer does, is followed: the text and the roll show its change.
TEST_F(MmlRollWindowTest, AChangeFromAnEditorIsLoadedAndCompiled) {
  ASSERT_EQ(vlm::WriteFileAtomically(file, "o4 l8 c d e f g a b\n"), std::nullopt);
  EXPECT_TRUE(WaitFor([&] { return Notes() == 7u; }));
  EXPECT_EQ(window.Source()->toPlainText(), QStringLiteral("o4 l8 c d e f g a b\n"));
  EXPECT_FALSE(window.isWindowModified());
  ASSERT_EQ(vlm::WriteFileAtomically(file, "o4 c\n"), std::nullopt);  // still watched after the rename
  EXPECT_TRUE(WaitFor([&] { return Notes() == 1u; }));
}

// Over edits not saved here, a change from outside is loaded only when the
// user says so.
TEST_F(MmlRollWindowTest, EditsAreKeptOverAChangeFromOutsideUnlessTheUserSaysLoad) {
  Type(QStringLiteral("o5 c c c\n"));
  ASSERT_TRUE(window.isWindowModified());
  bool asked = false;
  Answer(QMessageBox::No, asked);
  ASSERT_EQ(vlm::WriteFileAtomically(file, "o3 c\n"), std::nullopt);
  EXPECT_TRUE(WaitFor([&] { return asked; }));
  EXPECT_EQ(window.Source()->toPlainText(), QStringLiteral("o5 c c c\n"));

  asked = false;
  Answer(QMessageBox::Yes, asked);
  ASSERT_EQ(vlm::WriteFileAtomically(file, "o3 d\n"), std::nullopt);
  EXPECT_TRUE(WaitFor([&] { return asked; }));
  EXPECT_TRUE(WaitFor([&] { return window.Source()->toPlainText() == QStringLiteral("o3 d\n"); }));
  EXPECT_FALSE(window.isWindowModified());
}

// Closing with edits asks: Cancel keeps the window and its text, Save writes
// the file and closes.
TEST_F(MmlRollWindowTest, ClosingWithEditsAsksFirst) {
  Type(QStringLiteral("o5 e\n"));
  bool asked = false;
  Answer(QMessageBox::Cancel, asked);
  window.close();
  EXPECT_TRUE(asked);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(vlm::ReadFileBytes(file), "o4 l8 c d\r\ne f\r\n");

  asked = false;
  Answer(QMessageBox::Save, asked);
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(window.Source(), Qt::Key_W, Qt::ControlModifier);  // closes as the window's button does
  EXPECT_TRUE(asked);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(vlm::ReadFileBytes(file), "o5 e\r\n");
}

// Ctrl+P plays the text as it stands, edits included, from a copy under the
// user's data folder: no file beside the source is written. The copy holds
// the bytes vlmc makes of the same text.
TEST_F(MmlRollWindowTest, CtrlPPlaysTheTextAsItStandsAndEscStops) {
  Type(QStringLiteral("o4 l8 c d e g\n"));
  QTest::keyClick(window.Source(), Qt::Key_P, Qt::ControlModifier);
  ASSERT_TRUE(WaitFor([&] { return player.mode == vlm::MediaPlayer::Mode::Playing; }));
  const std::string copy = dir + "/data/vorlumi3/mml-window.mid";
  EXPECT_EQ(player.calls, (std::vector<std::string>{"Close", "SetFileName " + copy, "Open", "Play"}));
  EXPECT_EQ(Notes(), 4u);
  ASSERT_EQ(vlm::WriteFileAtomically(dir + "/same.vlm", "o4 l8 c d e g\n"), std::nullopt);
  const auto vlmc = vlmtest::RunCommand(dir, VLM_BIN_DIR "/vlmc -q --seed 0 same.vlm -o same.mid");
  ASSERT_EQ(vlmc.status, 0) << vlmc.out << vlmc.err;
  EXPECT_EQ(vlm::ReadFileBytes(copy), vlm::ReadFileBytes(dir + "/same.mid"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/song.mid"));

  QTest::keyClick(window.Source(), Qt::Key_Escape);
  EXPECT_TRUE(WaitFor([&] { return player.mode == vlm::MediaPlayer::Mode::Stopped; }));
}

// While the text loops, an edit is compiled once typing pauses and queued
// for the next pass; an edit with errors is listed and not queued.
TEST_F(MmlRollWindowTest, ALoopingPlayFollowsTheEditsThatCompile) {
  player.looping = true;
  QTest::keyClick(window.Source(), Qt::Key_P, Qt::ControlModifier);
  ASSERT_TRUE(WaitFor([&] { return player.mode == vlm::MediaPlayer::Mode::Playing; }));
  player.calls.clear();
  const std::string copy = dir + "/data/vorlumi3/mml-window.mid";
  Type(QStringLiteral("o4 l8 c d e g a\n"));
  ASSERT_TRUE(WaitFor([&] { return !player.calls.empty(); }));
  EXPECT_EQ(player.calls, std::vector<std::string>{"QueueNextPass " + copy});
  EXPECT_EQ(Notes(), 5u);
  ASSERT_EQ(vlm::WriteFileAtomically(dir + "/same.vlm", "o4 l8 c d e g a\n"), std::nullopt);
  const auto vlmc = vlmtest::RunCommand(dir, VLM_BIN_DIR "/vlmc -q --seed 0 same.vlm -o same.mid");
  ASSERT_EQ(vlmc.status, 0) << vlmc.out << vlmc.err;
  EXPECT_EQ(vlm::ReadFileBytes(copy), vlm::ReadFileBytes(dir + "/same.mid"));

  Type(QStringLiteral("o4 l8 c d x\n"));
  QTest::qWait(3 * vlm::ui::MmlRollWindow::FollowDelayMs);
  EXPECT_EQ(player.calls.size(), 1u) << "an edit with errors was queued";
  EXPECT_GT(window.Errors()->count(), 0);
  EXPECT_TRUE(window.Errors()->item(0)->text().startsWith(QStringLiteral("err(")));
}

TEST_F(MmlRollWindowTest, APlayerThatCannotPlaySaysWhy) {
  player.openError = "no SoundFont found";
  bool asked = false;
  Answer(QMessageBox::Ok, asked);
  window.Play();
  EXPECT_TRUE(asked);
  EXPECT_NE(player.mode, vlm::MediaPlayer::Mode::Playing);
}

// A window that goes without closing, as in a crash, leaves its edits
// aside; the next opening of the file offers them back as unsaved edits,
// and saving them ends the copy.
TEST_F(MmlRollWindowTest, EditsSurviveACrashAndComeBackWhenTheUserSaysSo) {
  const std::string kept = vlm::EditBackup(dir + "/data/vorlumi3/unsaved", file).Path();
  Type(QStringLiteral("o5 c e g\n"));
  ASSERT_TRUE(WaitFor([&] { return vlm::ReadFileBytes(kept) == "o5 c e g\n"; }));

  bool asked = false;
  Answer(QMessageBox::Yes, asked);
  auto next = std::make_unique<vlm::ui::MmlRollWindow>(&player);
  next->OpenFile(file);
  EXPECT_TRUE(asked);
  EXPECT_EQ(next->Source()->toPlainText(), QStringLiteral("o5 c e g\n"));
  EXPECT_TRUE(next->Source()->document()->isModified());
  EXPECT_EQ(next->Roll()->Model().Notes().size(), 3u);
  ASSERT_TRUE(next->Save());
  EXPECT_EQ(vlm::ReadFileBytes(file), "o5 c e g\r\n");
  EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST_F(MmlRollWindowTest, KeptEditsDeclinedAreDropped) {
  const std::string kept = vlm::EditBackup(dir + "/data/vorlumi3/unsaved", file).Path();
  Type(QStringLiteral("o5 c e g\n"));
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(kept); }));

  bool asked = false;
  Answer(QMessageBox::No, asked);
  auto next = std::make_unique<vlm::ui::MmlRollWindow>(&player);
  next->OpenFile(file);
  EXPECT_TRUE(asked);
  EXPECT_EQ(next->Source()->toPlainText(), QStringLiteral("o4 l8 c d\ne f\n"));
  EXPECT_FALSE(std::filesystem::exists(kept));
  // Edits undone are no edits: their copy goes too.
  Type(QStringLiteral("o3 c\n"));
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(kept); }));
  while (window.Source()->document()->isModified() && window.Source()->document()->isUndoAvailable())
    window.Source()->undo();
  ASSERT_FALSE(window.Source()->document()->isModified());
  EXPECT_TRUE(WaitFor([&] { return !std::filesystem::exists(kept); }));
}

// What the window could not read it never writes over; a file that does not
// exist yet is made by the first save.
TEST_F(MmlRollWindowTest, SavingNeverReplacesAFileThatCouldNotBeRead) {
  const std::string unreadable = dir + "/folder.vlm";  // a folder: it cannot be read as a file
  std::filesystem::create_directory(unreadable);
  vlm::ui::MmlRollWindow other(&player);
  other.OpenFile(unreadable);
  other.Source()->insertPlainText(QStringLiteral("o4 c\n"));
  bool asked = false;
  Answer(QMessageBox::Ok, asked);
  EXPECT_FALSE(other.Save());
  EXPECT_TRUE(asked);
  EXPECT_TRUE(std::filesystem::is_directory(unreadable));

  vlm::ui::MmlRollWindow fresh(&player);
  fresh.OpenFile(dir + "/new.vlm");
  fresh.Source()->insertPlainText(QStringLiteral("o4 d\n"));
  EXPECT_TRUE(fresh.Save());
  EXPECT_EQ(vlm::ReadFileBytes(dir + "/new.vlm"), "o4 d\n");
}

// The player sounds every window's files: this window's roll shows a
// playhead only while its own text plays.
TEST_F(MmlRollWindowTest, ThePlayheadShowsOnlyWhileThisWindowsTextPlays) {
  player.SetFileName(dir + "/phrase-of-the-main-window.mid");
  player.Open();
  player.Play();
  QTest::qWait(150);
  EXPECT_EQ(window.Roll()->PlayheadTick(), std::nullopt);
  window.Play();
  EXPECT_TRUE(WaitFor([&] { return window.Roll()->PlayheadTick().has_value(); }));
}

// The margin numbers the lines, and grows with their count; the text is
// never under it.
TEST_F(MmlRollWindowTest, TheMarginNumbersTheLines) {
  auto* editor = static_cast<vlm::ui::SourceEditor*>(window.Source());
  ASSERT_NE(editor->findChild<QWidget*>(QStringLiteral("LineNumbers")), nullptr);
  const int twoDigits = editor->MarginWidth();
  Type(QStringLiteral("c\n").repeated(150));
  EXPECT_GT(editor->MarginWidth(), twoDigits);
  EXPECT_GE(editor->viewport()->geometry().left(), editor->MarginWidth());
}

// An error is underlined where vlmc's editor-readable line places it.
TEST_F(MmlRollWindowTest, AnErrorIsUnderlinedWhereVlmcPlacesIt) {
  const std::string text = "o4 l8 c d\ne c%0 f\n";
  Type(QString::fromStdString(text));
  window.Recompile();
  ASSERT_EQ(vlm::WriteFileAtomically(dir + "/bad.vlm", text), std::nullopt);
  const auto vlmc = vlmtest::RunCommand(dir, VLM_BIN_DIR "/vlmc -q --seed 0 --diagnostics=gnu bad.vlm -o bad.mid");
  std::smatch place;
  const std::string said = vlmc.out + vlmc.err;
  ASSERT_TRUE(std::regex_search(said, place, std::regex("bad\\.vlm:([0-9]+):([0-9]+): error"))) << said;
  const QList<QTextEdit::ExtraSelection> marks = window.Source()->extraSelections();
  ASSERT_EQ(marks.size(), 1);
  EXPECT_EQ(marks[0].format.underlineStyle(), QTextCharFormat::WaveUnderline);
  EXPECT_EQ(marks[0].cursor.block().blockNumber() + 1, std::stoi(place[1]));
  EXPECT_EQ(marks[0].cursor.selectionStart() - marks[0].cursor.block().position() + 1, std::stoi(place[2]));
}

// While the text plays, the text of the note at the playhead is marked, and
// nothing once it stops.
TEST_F(MmlRollWindowTest, TheTextOfTheNoteSoundingIsMarkedWhileItPlays) {
  Type(QStringLiteral("t120 o4 l4 c d\ne f\n"));  // half a second a note
  const auto sounding = [&] {
    QStringList marked;
    for (const QTextEdit::ExtraSelection& mark : window.Source()->extraSelections())
      if (mark.format.hasProperty(QTextFormat::BackgroundBrush))
        marked << QString::number(mark.cursor.block().blockNumber() + 1) + QLatin1Char(':') + mark.cursor.selectedText();
    return marked;
  };
  player.position = 0.1;
  window.Play();
  EXPECT_TRUE(WaitFor([&] { return sounding() == QStringList{QStringLiteral("1:c")}; })) << sounding().join(' ').toStdString();
  player.position = 1.1;
  EXPECT_TRUE(WaitFor([&] { return sounding() == QStringList{QStringLiteral("2:e")}; })) << sounding().join(' ').toStdString();
  window.Stop();
  EXPECT_TRUE(WaitFor([&] { return sounding().isEmpty(); }));
}

// Find goes round the end in either direction and leaves the caret alone
// when the text is not there; Ctrl+G asks for a line and goes to it.
TEST_F(MmlRollWindowTest, FindGoesRoundTheEndAndCtrlGGoesToALine) {
  Type(QStringLiteral("c d e\nf e g\ne a\n"));
  const auto caret = [&] {
    const QTextCursor c = window.Source()->textCursor();
    return std::to_string(c.blockNumber() + 1) + ":" + std::to_string(c.selectionStart() - c.block().position() + 1);
  };
  window.GoToLine(2);
  EXPECT_EQ(caret(), "2:1");
  for (const char* expected : {"2:3", "3:1", "1:5"}) {
    EXPECT_TRUE(window.FindText(QStringLiteral("e")));
    EXPECT_EQ(caret(), expected);
  }
  EXPECT_TRUE(window.FindText(QStringLiteral("e"), true));
  EXPECT_EQ(caret(), "3:1");
  EXPECT_FALSE(window.FindText(QStringLiteral("x")));
  EXPECT_EQ(caret(), "3:1");
  window.GoToLine(99);
  EXPECT_EQ(caret(), "4:1");

  QTimer::singleShot(100, [] {
    if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
      dialog->setIntValue(2);
      dialog->accept();
    }
  });
  QTest::keyClick(window.Source(), Qt::Key_G, Qt::ControlModifier);
  EXPECT_EQ(caret(), "2:1");
}

// Ctrl+Shift+P plays from the first note the text at the caret made: the
// e of the second line, a second in at 120 quarters a minute.
TEST_F(MmlRollWindowTest, CtrlShiftPPlaysFromTheNoteAtTheCaret) {
  Type(QStringLiteral("t120 o4 l4 c d\ne f\n"));
  window.Source()->setTextCursor(QTextCursor(window.Source()->document()->findBlockByNumber(1)));
  QTest::keyClick(window.Source(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_TRUE(WaitFor([&] { return player.mode == vlm::MediaPlayer::Mode::Playing; }));
  ASSERT_EQ(player.calls.size(), 5u);
  EXPECT_EQ(player.calls[2], "Open");
  ASSERT_EQ(player.calls[3].rfind("SetPosition ", 0), 0u) << player.calls[3];
  EXPECT_NEAR(std::stod(player.calls[3].substr(12)), 1.0, 1e-5);
  EXPECT_EQ(player.calls[4], "Play");
}

}  // namespace
