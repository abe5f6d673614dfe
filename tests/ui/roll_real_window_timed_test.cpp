// One test on a real X server: Xvfb with openbox as the window manager, the
// program on Qt's xcb platform, and a real pointer click sent by xdotool on
// a note of the roll. The test starts the servers, runs itself on them as a
// child and stops them by their process ids.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/app_path.h"
#include "tests/support/background_process.h"
#include "tests/support/scripted_platform.h"
#include "tests/support/x_session.h"
#include "ui/desktop.h"
#include "ui/main_window.h"
#include "ui/piano_roll_widget.h"
#include "ui/roll_pane.h"

namespace {

constexpr const char* ChildVariable = "VLM_ROLL_REAL_WINDOW_CHILD";

// In the child: the program's window on the real display, a click by xdotool.
void ClickANoteOnTheDisplay() {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  std::filesystem::copy_file(std::string(VLM_BIN_DIR) + "/Scale.dat", dir.filePath("Scale.dat").toStdString());
  vlm::SetAppPathForTesting(dir.path().toStdString());
  vlm::test::ScriptedPlatform platform;
  vlm::ui::Desktop desktop(platform, nullptr);
  desktop.Start();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&desktop.Main()));
  auto* pattern = desktop.Main().findChild<QPlainTextEdit*>(QStringLiteral("memPatten"));
  pattern->setPlainText(QStringLiteral("l4o4q16c d+8 e"));
  desktop.Form.memPatten = "l4o4q16c d+8 e";
  desktop.Form.CompilePlay1Click();
  desktop.RefreshAll();
  vlm::ui::PianoRollWidget& roll = *desktop.Roll().Roll();
  ASSERT_EQ(roll.Model().Notes().size(), 12u);
  QTest::qWait(500);  // the window manager places the window
  std::size_t target = 0;
  while (roll.Model().Notes()[target].Pitch != 51) ++target;
  const QPoint at = roll.viewport()->mapToGlobal(roll.CentreOf(target));
  const std::string click = "xdotool mousemove --sync " + std::to_string(at.x()) + " " + std::to_string(at.y()) + " click 1";
  ASSERT_EQ(std::system(click.c_str()), 0);
  for (int i = 0; i < 100 && !pattern->textCursor().hasSelection(); ++i) QTest::qWait(30);
  EXPECT_EQ(pattern->textCursor().selectedText(), QStringLiteral("d+8"));
  EXPECT_EQ(roll.Highlighted().size(), 4u);
  vlm::SetAppPathForTesting("");
}

TEST(RollRealWindow, ARealClickOnANoteSelectsItsTextInThePatternBox) {
  if (std::getenv(ChildVariable)) {
    ClickANoteOnTheDisplay();
    return;
  }
  if (!vlmtest::HaveProgram("Xvfb") || !vlmtest::HaveProgram("openbox") || !vlmtest::HaveProgram("xdotool"))
    GTEST_SKIP() << "Xvfb, openbox and xdotool are needed";
  vlmtest::XSession x;
  ASSERT_TRUE(x.StartDisplay(15)) << "Xvfb did not start";
  EXPECT_TRUE(x.StartWindowManager(30)) << "openbox did not start";
  vlmtest::BackgroundProcess child({"/proc/self/exe", "--gtest_filter=RollRealWindow.*"},
                                   {"DISPLAY=" + x.Display(), "QT_QPA_PLATFORM=xcb", std::string(ChildVariable) + "=1"},
                                   vlmtest::Output::Shown);
  const int status = child.WaitForExit(std::chrono::seconds(60));
  EXPECT_EQ(status, 0) << "the test on the display failed (its report is above)";
}

}  // namespace
