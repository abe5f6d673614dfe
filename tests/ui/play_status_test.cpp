// The play state the main window shows, read from a player whose position
// and length the test sets.
#include "ui/play_status.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTest>
#include <cmath>
#include <limits>

namespace {

class ClockPlayer : public vlm::MediaPlayer {
 public:
  Mode mode = Mode::NotOpen;
  double position = 0, length = 0;
  void Close() override { mode = Mode::NotOpen; }
  void SetFileName(const std::string&) override {}
  void Open() override { mode = Mode::Stopped; }
  void Play() override { mode = Mode::Playing; }
  Mode GetMode() const override { return mode; }
  void Stop() override { mode = Mode::Stopped; }
  double PositionSeconds() const override { return position; }
  double LengthSeconds() const override { return length; }
};

TEST(ClockText, MinutesAndTwoDigitSeconds) {
  EXPECT_EQ(vlm::ui::ClockText(0), QStringLiteral("0:00"));
  EXPECT_EQ(vlm::ui::ClockText(3.99), QStringLiteral("0:03"));
  EXPECT_EQ(vlm::ui::ClockText(65.5), QStringLiteral("1:05"));
  EXPECT_EQ(vlm::ui::ClockText(3600), QStringLiteral("60:00"));
  EXPECT_EQ(vlm::ui::ClockText(-2), QStringLiteral("0:00"));
  EXPECT_EQ(vlm::ui::ClockText(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("0:00"));
}

class PlayStatusTest : public ::testing::Test {
 protected:
  ClockPlayer player;
  QMainWindow window;
  vlm::ui::PlayStatus status{[this] { return &player; }, window.statusBar(), &window};
  QAction* f5 = new QAction(QStringLiteral("F5"), &window);
  QAction* f5Button = new QAction(QStringLiteral("button"), &window);
  QAction* song = new QAction(QStringLiteral("song"), &window);
  QAction* stop = new QAction(QStringLiteral("stop"), &window);

  void SetUp() override {
    // The command a control runs is connected first, as the main window
    // does, so the sound starts before the status reads it.
    QObject::connect(f5, &QAction::triggered, [this] { player.Play(); });
    status.AddPlayControl(f5, 0);
    status.AddPlayControl(f5Button, 0);
    status.AddPlayControl(song, 1);
    status.AddStopControl(stop);
    status.Update();
  }
};

TEST_F(PlayStatusTest, QuietBeforeAnythingPlays) {
  EXPECT_TRUE(status.Label()->text().isEmpty());
  EXPECT_FALSE(stop->isEnabled());
  EXPECT_FALSE(f5->isChecked());
}

// While the sound runs, the timer follows its position; when it ends, the
// controls and the status bar go quiet.
TEST_F(PlayStatusTest, ShowsElapsedAndTotalTimeAndTheControlThatStartedIt) {
  player.length = 75.2;
  player.position = 3.4;
  f5->trigger();
  EXPECT_EQ(status.Label()->text(), QStringLiteral("演奏中 0:03 / 1:15"));
  EXPECT_TRUE(f5->isChecked());
  EXPECT_TRUE(f5Button->isChecked());
  EXPECT_FALSE(song->isChecked());
  EXPECT_TRUE(stop->isEnabled());

  player.position = 61;
  QTest::qWait(vlm::ui::PlayStatus::kIntervalMs * 3);
  EXPECT_EQ(status.Label()->text(), QStringLiteral("演奏中 1:01 / 1:15"));

  player.Stop();
  QTest::qWait(vlm::ui::PlayStatus::kIntervalMs * 3);
  EXPECT_TRUE(status.Label()->text().isEmpty());
  EXPECT_FALSE(f5->isChecked());
  EXPECT_FALSE(stop->isEnabled());
}

// A control pressed while nothing comes to sound (no device) is not left checked.
TEST_F(PlayStatusTest, AControlThatStartedNothingIsNotChecked) {
  song->trigger();
  EXPECT_FALSE(song->isChecked());
  EXPECT_FALSE(stop->isEnabled());
}

}  // namespace
