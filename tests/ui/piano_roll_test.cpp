// The piano roll in the program's windows, driven like a user does: the pane
// under the main window's pages, its links with the pattern box, zoom,
// playhead, and the window of File > Open MML.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMimeData>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <filesystem>
#include <fstream>
#include <set>
#include <cstdlib>

#include "common/app_path.h"
#include "common/text_file.h"
#include "tests/support/scripted_platform.h"
#include "ui/desktop.h"
#include "ui/main_window.h"
#include "ui/mml_roll_window.h"
#include "ui/piano_roll_widget.h"
#include "ui/roll_pane.h"

namespace {

// A player that claims to play, at a position the test sets.
class PositionPlayer : public vlm::MediaPlayer {
 public:
  Mode mode = Mode::NotOpen;
  double position = 0;
  void Close() override { mode = Mode::NotOpen; }
  void SetFileName(const std::string&) override {}
  void Open() override { mode = Mode::Stopped; }
  void Play() override { mode = Mode::Playing; }
  Mode GetMode() const override { return mode; }
  void Stop() override { mode = Mode::Stopped; }
  double PositionSeconds() const override { return position; }
};

class PianoRollTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  vlm::test::ScriptedPlatform platform;
  PositionPlayer player;
  std::unique_ptr<vlm::ui::Desktop> desktop;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    std::filesystem::copy_file(std::string(VLM_BIN_DIR) + "/Scale.dat", dir.filePath("Scale.dat").toStdString());
    vlm::SetAppPathForTesting(dir.path().toStdString());
    desktop = std::make_unique<vlm::ui::Desktop>(platform, &player);
    desktop->Start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&desktop->Main()));
  }
  void TearDown() override {
    desktop.reset();
    vlm::SetAppPathForTesting("");
  }

  QPlainTextEdit* PatternBox() const { return desktop->Main().findChild<QPlainTextEdit*>(QStringLiteral("memPatten")); }
  vlm::ui::PianoRollWidget& Roll() const { return *desktop->Roll().Roll(); }
  // Types the pattern and plays it as it stands (Ctrl+P).
  void PlayPattern(const QString& pattern) {
    PatternBox()->setPlainText(pattern);
    QTest::keyClick(&desktop->Main(), Qt::Key_P, Qt::ControlModifier);
  }
  void ClickNote(std::size_t note) {
    QTest::mouseClick(Roll().viewport(), Qt::LeftButton, {}, Roll().CentreOf(note));
  }
  std::size_t FirstNoteOfPitch(int pitch) const {
    const auto& notes = Roll().Model().Notes();
    for (std::size_t i = 0; i < notes.size(); ++i)
      if (notes[i].Pitch == pitch) return i;
    ADD_FAILURE() << "no note " << pitch;
    return 0;
  }
};

TEST_F(PianoRollTest, ThePaneShowsTheCompiledPhraseAndIsSwitchedFromTheToolMenu) {
  EXPECT_TRUE(Roll().isVisible());
  PlayPattern(QStringLiteral("l8o4q8cdef"));
  // The assembly plays the pattern four times.
  EXPECT_EQ(Roll().Model().Notes().size(), 16u);
  QAction* show = desktop->Main().findChild<QAction*>(QStringLiteral("PianoRoll1"));
  ASSERT_NE(show, nullptr);
  show->trigger();
  EXPECT_FALSE(Roll().isVisible());
  show->trigger();
  EXPECT_TRUE(Roll().isVisible());
  // A taller window gives the rows more room.
  const double rowHeight = Roll().Layout().RowHeight;
  desktop->Main().resize(desktop->Main().width() + 200, desktop->Main().height() + 300);
  QApplication::processEvents();
  EXPECT_GT(Roll().Layout().RowHeight, rowHeight);
}

TEST_F(PianoRollTest, ClickingANoteSelectsItsCommandAndTheCaretHighlightsItsNotes) {
  PlayPattern(QStringLiteral("l8o4q8c16.d[2 e]"));
  ClickNote(FirstNoteOfPitch(48));
  EXPECT_EQ(PatternBox()->textCursor().selectedText(), QStringLiteral("c16."));
  EXPECT_EQ(PatternBox()->textCursor().selectionStart(), 6);
  // The loop inside the loop: eight e's, all highlighted by one click.
  ClickNote(FirstNoteOfPitch(52));
  EXPECT_EQ(PatternBox()->textCursor().selectedText(), QStringLiteral("e"));
  EXPECT_EQ(Roll().Highlighted().size(), 8u);
  // The caret just after the d: its four notes.
  QTextCursor caret = PatternBox()->textCursor();
  caret.setPosition(11);
  PatternBox()->setTextCursor(caret);
  std::set<int> pitches;
  for (std::size_t i : Roll().Highlighted()) pitches.insert(Roll().Model().Notes()[i].Pitch);
  EXPECT_EQ(Roll().Highlighted().size(), 4u);
  EXPECT_EQ(pitches, std::set<int>({50}));
  // Edited after the compile: the text no longer matches, nothing is linked.
  PatternBox()->insertPlainText(QStringLiteral("g"));
  EXPECT_TRUE(Roll().Highlighted().empty());
}

TEST_F(PianoRollTest, CtrlWheelZoomsTimeAndThePlainWheelDoesNot) {
  PlayPattern(QStringLiteral("l8o4cdefgab"));
  const double before = Roll().Layout().PixelsPerTick;
  const QPointF at(100, 20);
  QWheelEvent zoomIn(at, Roll().viewport()->mapToGlobal(at), {}, QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                     Qt::NoScrollPhase, false);
  QApplication::sendEvent(Roll().viewport(), &zoomIn);
  EXPECT_NEAR(Roll().Layout().PixelsPerTick, before * 1.25, 1e-9);
  QWheelEvent scroll(at, Roll().viewport()->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
  QApplication::sendEvent(Roll().viewport(), &scroll);
  EXPECT_NEAR(Roll().Layout().PixelsPerTick, before * 1.25, 1e-9);
}

// The playhead stands where the player says, read by the timer, and the
// pattern box marks the text of the note it stands on.
TEST_F(PianoRollTest, ThePlayheadFollowsThePlayersPosition) {
  PlayPattern(QStringLiteral("l8o4cdefgab"));
  ASSERT_EQ(player.mode, vlm::MediaPlayer::Mode::Playing);
  player.position = 0.5;  // tempo 120: a beat, 96 ticks
  QTest::qWait(120);
  const QImage shot = Roll().viewport()->grab().toImage();
  const int x = static_cast<int>(Roll().Layout().XOf(96));
  bool red = false;
  for (int dx = -1; dx <= 1; ++dx) {
    const QColor c = shot.pixelColor(x + dx, shot.height() - 3);
    red = red || (c.red() > 200 && c.green() < 80 && c.blue() < 80);
  }
  EXPECT_TRUE(red);
  // Within the third note (tempo 120: 192 ticks a second).
  player.position = static_cast<double>(Roll().Model().Notes()[2].StartTick + 10) / 192;
  QTest::qWait(120);
  const QList<QTextEdit::ExtraSelection> marks = PatternBox()->extraSelections();
  ASSERT_EQ(marks.size(), 1);
  EXPECT_EQ(marks[0].cursor.selectedText(), QStringLiteral("e"));
  EXPECT_EQ(marks[0].cursor.selectionStart(), 6);
  player.mode = vlm::MediaPlayer::Mode::Stopped;
  QTest::qWait(120);
  const QColor after = Roll().viewport()->grab().toImage().pixelColor(x, shot.height() - 3);
  EXPECT_FALSE(after.red() > 200 && after.green() < 80);
  EXPECT_TRUE(PatternBox()->extraSelections().isEmpty());
}

// A drawn phrase goes on as a piece written by hand: its whole source in a
// file of the user's, open in an MML window that shows the same notes.
TEST_F(PianoRollTest, APhraseIsEditedAsMmlInAWindowOfItsOwn) {
  PlayPattern(QStringLiteral("l8o4cdefgab"));
  const std::string file = dir.filePath(QStringLiteral("phrase.vlm")).toStdString();
  desktop->Roll().EditPhraseAsMml(file);
  const auto written = vlm::ReadFileBytes(file);
  ASSERT_TRUE(written.has_value());
  EXPECT_NE(written->find("[4 l8o4cdefgab]"), std::string::npos);
  vlm::ui::MmlRollWindow* window = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (auto* w = qobject_cast<vlm::ui::MmlRollWindow*>(top); w && w->isVisible()) window = w;
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->Source()->toPlainText().toStdString(), [&] {
    std::string lf = *written;
    for (std::size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.erase(at, 1);
    return lf;
  }());
  EXPECT_EQ(window->Roll()->Model().Notes().size(), Roll().Model().Notes().size());
  window->close();

  // A file that cannot be written opens nothing, not even an older file of that name.
  const std::string folder = dir.filePath(QStringLiteral("folder.vlm")).toStdString();
  std::filesystem::create_directory(folder);
  platform.messages.clear();
  desktop->Roll().EditPhraseAsMml(folder);
  EXPECT_EQ(platform.messages.size(), 1u) << "the failure is told";
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (auto* w = qobject_cast<vlm::ui::MmlRollWindow*>(top)) {
      EXPECT_FALSE(w->isVisible());
    }
  }
}

// Quitting asks an MML window with unsaved edits first; kept open, it keeps
// the program running.
TEST_F(PianoRollTest, QuittingAsksAnMmlWindowWithUnsavedEditsFirst) {
  const std::string file = dir.filePath(QStringLiteral("song.vlm")).toStdString();
  ASSERT_EQ(vlm::WriteFileAtomically(file, "o4 c\n"), std::nullopt);
  desktop->Roll().OpenMmlWindow(file);
  vlm::ui::MmlRollWindow* window = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (auto* w = qobject_cast<vlm::ui::MmlRollWindow*>(top); w && w->isVisible()) window = w;
  ASSERT_NE(window, nullptr);
  window->Source()->insertPlainText(QStringLiteral("d "));
  QTimer::singleShot(0, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
      box->button(QMessageBox::Cancel)->click();
  });
  EXPECT_FALSE(desktop->Main().close());
  EXPECT_TRUE(window->isVisible());
  window->Source()->document()->setModified(false);
  window->close();
}

// Under a dark desktop theme the roll is dark too, its notes in their
// track's colours as before.
TEST_F(PianoRollTest, TheRollFollowsADarkTheme) {
  PlayPattern(QStringLiteral("l8o4cdefgab"));
  const auto lightness = [&](QPoint at) { return Roll().viewport()->grab().toImage().pixelColor(at).lightness(); };
  const QPoint note = Roll().CentreOf(0);
  const QPoint empty(Roll().viewport()->width() - 3, 3);  // the top right corner lies past the phrase's notes
  const QColor noteLight = Roll().viewport()->grab().toImage().pixelColor(note);
  EXPECT_GT(lightness(empty), 200);
  QPalette dark = Roll().palette();
  dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
  dark.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
  Roll().setPalette(dark);
  EXPECT_LT(lightness(empty), 80);
  EXPECT_EQ(Roll().viewport()->grab().toImage().pixelColor(note), noteLight);
  Roll().setPalette(QPalette());
}

// What a drag out of the roll offers other programs: a MIDI file of its own
// under the user's data folder (the phrase file is replaced by the next
// compile) and the same bytes as "audio/midi".
TEST_F(PianoRollTest, ThePhraseIsHandedToOtherProgramsAsAFileOfItsOwn) {
  const std::string data = dir.filePath(QStringLiteral("data")).toStdString();
  const char* saved = std::getenv("XDG_DATA_HOME");
  const std::string before = saved ? saved : "";
  setenv("XDG_DATA_HOME", data.c_str(), 1);
  const auto offered = [&] {
    std::unique_ptr<QMimeData> mime(desktop->Roll().PhraseMimeData());
    EXPECT_NE(mime, nullptr);
    if (!mime) return std::pair<std::string, std::string>();
    EXPECT_EQ(mime->urls().size(), 1);
    const std::string file = mime->urls().value(0).toLocalFile().toStdString();
    EXPECT_EQ(file.rfind(data + "/vorlumi3/dragged/", 0), 0u) << file;
    const std::string bytes = mime->data(QStringLiteral("audio/midi")).toStdString();
    EXPECT_EQ(vlm::ReadFileBytes(file), bytes);
    EXPECT_EQ(vlm::ReadFileBytes(desktop->Form.PhraseFileName), bytes);
    return std::pair(file, bytes);
  };
  PlayPattern(QStringLiteral("l8o4cdefgab"));
  const auto [first, firstBytes] = offered();
  PlayPattern(QStringLiteral("l8o4cdefgab"));
  EXPECT_EQ(offered().first, first) << "the same phrase is one file";
  PlayPattern(QStringLiteral("l4o5edc"));
  const auto [second, secondBytes] = offered();
  EXPECT_NE(second, first);
  EXPECT_NE(secondBytes, firstBytes);
  EXPECT_EQ(vlm::ReadFileBytes(first), firstBytes) << "an earlier phrase's copy stays as it was";
  if (saved) setenv("XDG_DATA_HOME", before.c_str(), 1);
  else unsetenv("XDG_DATA_HOME");
}

// A drag starts once the pointer has moved the drag distance with the left
// button held, once a press.
TEST(PianoRollWidget, ADragStartsAfterTheDragDistanceOncePerPress) {
  vlm::ui::PianoRollWidget roll;
  roll.resize(300, 120);
  roll.show();
  QSignalSpy drags(&roll, &vlm::ui::PianoRollWidget::DragRequested);
  const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, at, roll.viewport()->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(roll.viewport(), &event);
  };
  const QPoint start(100, 50);
  const int distance = QApplication::startDragDistance();
  send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::MouseMove, start + QPoint(distance - 1, 0), Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(drags.count(), 0);
  send(QEvent::MouseMove, start + QPoint(distance, 0), Qt::NoButton, Qt::LeftButton);
  send(QEvent::MouseMove, start + QPoint(3 * distance, 0), Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(drags.count(), 1);
  send(QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
  send(QEvent::MouseMove, start + QPoint(5 * distance, 0), Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(drags.count(), 1) << "no button held";
}

// A settings file dropped on the main window from a file manager is loaded
// as File > Open loads it.
TEST_F(PianoRollTest, ASettingsFileDroppedOnTheWindowIsLoaded) {
  const std::string file = dir.filePath(QStringLiteral("dropped.vr3")).toStdString();
  desktop->Form.memPatten = "l8o5gfedc";
  ASSERT_EQ(desktop->Form.SaveSettings(file), std::nullopt);
  desktop->Form.memPatten = "c";
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
  const QPoint at(20, 20);
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&desktop->Main(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&desktop->Main(), &drop);
  EXPECT_EQ(desktop->Form.memPatten, "l8o5gfedc");

  QMimeData text;  // no file: not taken
  text.setText(QStringLiteral("o4c"));
  QDragEnterEvent other(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  other.setAccepted(false);
  QApplication::sendEvent(&desktop->Main(), &other);
  EXPECT_FALSE(other.isAccepted());
}

TEST_F(PianoRollTest, AnMmlFileWindowLinksSourceRollAndErrorsThroughOneSourceMap) {
  const QString file = dir.filePath(QStringLiteral("song.vlm"));
  std::ofstream(file.toStdString()) << "_tr(1) CH=2 o4 l8 c d\n_tr(2) CH=3 o5 e } f\n";
  vlm::ui::MmlRollWindow window;
  window.OpenFile(file.toStdString());
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.Roll()->horizontalScrollBar()->value(), 0);
  EXPECT_EQ(window.Roll()->Layout().ScrollX, 0);
  // One colour a track: the two tracks' notes are told apart.
  std::set<int> tracks;
  for (const auto& note : window.Roll()->Model().Notes()) tracks.insert(note.Track);
  EXPECT_EQ(tracks, std::set<int>({1, 2}));
  // The error row selects the stray "}"; a note selects its command.
  ASSERT_GE(window.Errors()->count(), 1);
  EXPECT_TRUE(window.Errors()->item(0)->text().startsWith(QStringLiteral("err(")));
  window.Errors()->setCurrentRow(0);
  EXPECT_EQ(window.Source()->textCursor().selectedText(), QStringLiteral("}"));
  EXPECT_EQ(window.Source()->textCursor().blockNumber(), 1);
  const auto& notes = window.Roll()->Model().Notes();
  const std::size_t d = std::find_if(notes.begin(), notes.end(), [](const auto& n) { return n.Pitch == 50; }) - notes.begin();
  ASSERT_LT(d, notes.size());
  QTest::mouseClick(window.Roll()->viewport(), Qt::LeftButton, {}, window.Roll()->CentreOf(d));
  EXPECT_EQ(window.Source()->textCursor().selectedText(), QStringLiteral("d"));
  // Edited and compiled again: the roll follows the text.
  window.Source()->setPlainText(QStringLiteral("o4 c d e f g\n"));
  window.Recompile();
  EXPECT_EQ(window.Roll()->Model().Notes().size(), 5u);
  EXPECT_EQ(window.Errors()->count(), 1);
  EXPECT_FALSE(window.Errors()->item(0)->text().startsWith(QStringLiteral("err(")));
}

}  // namespace
