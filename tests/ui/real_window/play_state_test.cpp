// The desktop program in a real window on a virtual X display, playing
// through FluidSynth into a real sound server: the status bar and the
// controls follow the sound, and a missing server is one box per run.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "audio/fluid_output.h"
#include "common/app_path.h"
#include "tests/support/background_process.h"
#include "tests/support/smf_dump.h"
#include "tests/ui/real_window/session.h"
#include "ui/desktop.h"
#include "ui/main_window.h"
#include "ui/play_status.h"
#include "ui/qt_platform.h"

namespace {

// Lets the event loop run until `done` holds, at most `ms` milliseconds.
bool WaitUntil(const std::function<bool()>& done, int ms) {
  for (int waited = 0; waited < ms && !done(); waited += 20) QTest::qWait(20);
  return done();
}

// Seconds of an "m:ss" pair of captures.
int Seconds(const QRegularExpressionMatch& m, int first) {
  return m.captured(first).toInt() * 60 + m.captured(first + 1).toInt();
}

// Seconds from the start to the latest event of a MIDI file, read with the
// tests' own reader, tempo changes taken in order of time (120 beats a
// minute until the first).
double FileSeconds(const std::string& path) {
  const vlmtest::SmfFile file = vlmtest::ParseSmf(vlmtest::ReadFileBytes(path));
  EXPECT_TRUE(file.valid) << file.error;
  std::vector<std::pair<std::int64_t, double>> tempos;  // (tick, microseconds a quarter)
  std::int64_t last = 0;
  for (const auto& track : file.tracks) {
    for (const auto& event : track) {
      last = std::max(last, event.time);
      const auto& b = event.bytes;
      if (b.size() == 6 && b[0] == 0xFF && b[1] == 0x51 && b[2] == 3)
        tempos.push_back({event.time, static_cast<double>(b[3] << 16 | b[4] << 8 | b[5])});
    }
  }
  std::stable_sort(tempos.begin(), tempos.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  double seconds = 0, quarter = 500000;
  std::int64_t at = 0;
  for (const auto& [tick, micros] : tempos) {
    if (tick >= last) break;
    seconds += static_cast<double>(tick - at) * quarter / file.division / 1e6;
    at = tick;
    quarter = micros;
  }
  return seconds + static_cast<double>(last - at) * quarter / file.division / 1e6;
}

class RealWindowTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  vlm::ui::QtPlatform platform;
  std::unique_ptr<vlm::MediaPlayer> player;
  std::unique_ptr<vlm::ui::Desktop> desktop;

  void SetUp() override {
    if (!vlmtest::RealSessionReady()) GTEST_SKIP() << "needs Xvfb and pulseaudio";
    ASSERT_TRUE(dir.isValid());
    std::filesystem::copy_file(std::string(VLM_BIN_DIR) + "/Scale.dat",
                               QDir(dir.path()).filePath(QStringLiteral("Scale.dat")).toStdString());
    vlm::SetAppPathForTesting(dir.path().toStdString());
    vlm::SetWarningSink(&platform);
    setenv(vlm::AudioDriverVariable, "pulseaudio", 1);
  }
  void TearDown() override {
    if (desktop) platform.SetOwner(nullptr);
    desktop.reset();
    player.reset();
    vlm::SetWarningSink(nullptr);
    vlm::SetAppPathForTesting("");
    unsetenv(vlm::AudioDriverVariable);
  }

  void StartProgram() {
    player = vlm::MakeFluidSynthPlayer();
    desktop = std::make_unique<vlm::ui::Desktop>(platform, player.get());
    platform.SetOwner(&desktop->Main());
    desktop->Start();
    desktop->Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&desktop->Main()));
  }
  QAction* Action(const char* name) const { return desktop->Main().findChild<QAction*>(QString::fromLatin1(name)); }
};

TEST_F(RealWindowTest, TheStatusBarAndControlsFollowTheSoundThatPlays) {
  const std::string recording = QDir(dir.path()).filePath(QStringLiteral("heard.raw")).toStdString();
  vlmtest::BackgroundProcess recorder({"parec", "--server=" + vlmtest::SoundServer(), "--device=null.monitor",
                                       "--raw", "--format=s16le", "--rate=44100", "--channels=2",
                                       "--latency-msec=20", recording});
  ASSERT_TRUE(recorder.Started());
  StartProgram();
  QLabel* status = desktop->Main().Playing().Label();
  QTest::keyClick(&desktop->Main(), Qt::Key_F5);

  // The length shown is the phrase file's, in whole seconds. The default
  // phrase is 16 sixteenths at 120 beats a minute (2 s), played four times
  // after the reset's quarter rest of 0.5 s; rests at its end end the file
  // earlier, so the drawn phrase decides how much.
  const QRegularExpression shown(QStringLiteral("^演奏中 (\\d+):(\\d\\d) / (\\d+):(\\d\\d)$"));
  ASSERT_TRUE(WaitUntil([&] { return shown.match(status->text()).hasMatch(); }, 5000)) << status->text().toStdString();
  const QRegularExpressionMatch first = shown.match(status->text());
  const double fileSeconds = FileSeconds(desktop->Form.PhraseFileName);
  EXPECT_EQ(Seconds(first, 3), static_cast<int>(fileSeconds)) << fileSeconds;
  EXPECT_GT(fileSeconds, 6.0);
  EXPECT_LE(fileSeconds, 8.5);
  EXPECT_TRUE(Action("MakePlay1")->isChecked());
  EXPECT_TRUE(Action("ToolButton2")->isChecked());
  EXPECT_TRUE(Action("Stop1")->isEnabled());
  // The time runs on by itself while the sound plays.
  ASSERT_TRUE(WaitUntil([&] {
    const QRegularExpressionMatch now = shown.match(status->text());
    return now.hasMatch() && Seconds(now, 1) >= Seconds(first, 1) + 2;
  }, 4000)) << status->text().toStdString();

  Action("ToolButton6")->trigger();
  EXPECT_TRUE(status->text().isEmpty());
  EXPECT_FALSE(Action("ToolButton2")->isChecked());
  EXPECT_FALSE(Action("Stop1")->isEnabled());
  recorder.Stop();

  std::ifstream in(recording, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  int peak = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto sample = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[i]) |
                                                  (static_cast<unsigned char>(bytes[i + 1]) << 8));
    peak = std::max(peak, std::abs(static_cast<int>(sample)));
  }
  // The server's buffers hold back the start of the sound, so only part of
  // what played reaches the recording before the stop (4 bytes a frame); on
  // a loaded machine a fifth of a second may be all of it.
  EXPECT_GT(bytes.size(), 44100u * 4 / 10);
  EXPECT_GT(peak, 1000);
}

// No sound server: the first F5 tells it in a box, the next ones in the
// status bar; the phrase is drawn and compiled each time all the same.
TEST_F(RealWindowTest, AMissingSoundServerIsOneBoxThenTheStatusBar) {
  const std::string server = vlmtest::SoundServer();
  setenv("PULSE_SERVER", ("unix:" + dir.path().toStdString() + "/no-server").c_str(), 1);
  int boxes = 0;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&boxes] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      ++boxes;
      box->accept();
    }
  });
  closer.start(50);
  StartProgram();
  // Each press waits for a box it raised to be closed, so that no F5 goes to the box.
  // F5 is a shortcut, which only the active window receives: after a box
  // closes, the window manager may not have given the main window back yet.
  const auto press = [&] {
    desktop->Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&desktop->Main(), 5000));
    QTest::keyClick(&desktop->Main(), Qt::Key_F5);
    ASSERT_TRUE(WaitUntil([] { return QApplication::activeModalWidget() == nullptr; }, 5000));
  };
  press();
  const std::string firstPattern = desktop->Form.memPatten;
  for (int k = 0; k < 3; ++k) press();
  QTest::qWait(200);
  setenv("PULSE_SERVER", server.c_str(), 1);
  EXPECT_EQ(boxes, 1);
  EXPECT_TRUE(desktop->Main().statusBar()->currentMessage().startsWith(QStringLiteral("音が出ません: ")))
      << desktop->Main().statusBar()->currentMessage().toStdString();
  EXPECT_NE(desktop->Form.memPatten, firstPattern);
  EXPECT_FALSE(Action("ToolButton2")->isChecked());  // pressed, but nothing sounds
  EXPECT_FALSE(Action("Stop1")->isEnabled());
}

}  // namespace
