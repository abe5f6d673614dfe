// One test on a real X server: Xvfb with openbox as the window manager, the
// program on Qt's xcb platform, and a real pointer click sent by xdotool on
// a note of the roll. The test starts the servers, runs itself on them as a
// child and stops them by their process ids.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/app_path.h"
#include "tests/support/scripted_platform.h"
#include "tests/support/window_manager.h"
#include "ui/desktop.h"
#include "ui/main_window.h"
#include "ui/piano_roll_widget.h"
#include "ui/roll_pane.h"

namespace {

constexpr const char* ChildVariable = "VLM_ROLL_REAL_WINDOW_CHILD";

// Starts argv with extra environment entries, its output dropped unless
// shown; the child's id, or -1.
// Everything the child needs is made before the fork: in a process with
// threads the child may call nothing that allocates.
pid_t Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment, bool shown = false) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (char** e = environ; *e; ++e) {
    bool overridden = false;
    for (const std::string& own : environment)
      overridden = overridden || std::strncmp(*e, own.c_str(), own.find('=') + 1) == 0;
    if (!overridden) env.push_back(*e);
  }
  for (const std::string& entry : environment) env.push_back(const_cast<char*>(entry.c_str()));
  env.push_back(nullptr);
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (!shown) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
  }
  execvpe(args[0], args.data(), env.data());
  _exit(127);
}

// Waits for pid at most timeout; kills it when it takes longer. Its exit status, or -1.
int WaitFor(pid_t pid, std::chrono::seconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  WaitFor(pid, std::chrono::seconds(5));
}

bool OnPath(const char* program) { return std::system((std::string("command -v ") + program + " >/dev/null").c_str()) == 0; }

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
  if (!OnPath("Xvfb") || !OnPath("openbox") || !OnPath("xdotool")) GTEST_SKIP() << "Xvfb, openbox and xdotool are needed";
  // Xvfb picks a free display and writes its number to the pipe.
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  const pid_t xvfb = Start({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", "1280x1024x24",
                            "-nolisten", "tcp"},
                           {});
  close(pipeFds[1]);
  std::string number;
  char c;
  while (read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
  close(pipeFds[0]);
  ASSERT_FALSE(number.empty()) << "Xvfb did not start";
  const std::string display = "DISPLAY=:" + number;
  const pid_t openbox = Start({"openbox"}, {display});
  EXPECT_TRUE(vlmtest::WaitForWindowManager(display.substr(display.find('=') + 1), 30)) << "openbox did not start";
  const pid_t child = Start({"/proc/self/exe", "--gtest_filter=RollRealWindow.*"},
                            {display, "QT_QPA_PLATFORM=xcb", std::string(ChildVariable) + "=1"}, true);
  const int status = WaitFor(child, std::chrono::seconds(60));
  Stop(openbox);
  Stop(xvfb);
  EXPECT_EQ(status, 0) << "the test on the display failed (its report is above)";
}

}  // namespace
