#include "tests/support/x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "tests/support/run_command.h"

namespace vlmtest {

namespace {

using Clock = std::chrono::steady_clock;

// The first line written to fd, or "" when none came (or it was closed)
// within seconds.
std::string ReadLine(int fd, int seconds) {
  const auto until = Clock::now() + std::chrono::seconds(seconds);
  std::string line;
  pollfd wait{fd, POLLIN, 0};
  while (Clock::now() < until) {
    if (::poll(&wait, 1, 100) <= 0) continue;
    char c;
    if (::read(fd, &c, 1) != 1) return "";
    if (c == '\n') return line;
    line += c;
  }
  return "";
}

// Waits until the window manager has marked the root window of display (the
// EWMH check window, read with xprop); false at once when it has ended.
bool WaitForWindowManager(BackgroundProcess& manager, const std::string& display, int seconds) {
  const auto until = Clock::now() + std::chrono::seconds(seconds);
  // Each look is bounded, so that one stuck call cannot use up the wait.
  const std::string command = "DISPLAY='" + display + "' timeout 5 xprop -root _NET_SUPPORTING_WM_CHECK";
  while (Clock::now() < until && manager.Running()) {
    if (RunCommand("/", command).out.find("window id") != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

}  // namespace

bool XSession::StartDisplay(int seconds) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return false;
  server_ = std::make_unique<BackgroundProcess>(
      std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                               "-nolisten", "tcp"},
      std::vector<std::string>{}, Output::Dropped, fds[1]);
  // Only the server keeps the write end: its end of file means it is gone.
  ::close(fds[1]);
  const std::string number = server_->Started() ? ReadLine(fds[0], seconds) : "";
  ::close(fds[0]);
  if (number.empty()) {
    server_.reset();
    return false;
  }
  display_ = ":" + number;
  return true;
}

// Once in a few hundred starts on a loaded machine openbox ends at once
// without a word; it is started again, up to three times within the wait,
// and each early end is told with its exit status.
bool XSession::StartWindowManager(int seconds) {
  if (display_.empty()) return false;
  const auto until = Clock::now() + std::chrono::seconds(seconds);
  for (int attempt = 1; attempt <= 3 && Clock::now() < until; ++attempt) {
    // Its errors reach the test's output: they tell why it did not start.
    windowManager_ = std::make_unique<BackgroundProcess>(std::vector<std::string>{"openbox", "--sm-disable"},
                                                         std::vector<std::string>{"DISPLAY=" + display_},
                                                         Output::ErrorsShown);
    const auto left = std::chrono::duration_cast<std::chrono::seconds>(until - Clock::now()).count();
    if (WaitForWindowManager(*windowManager_, display_, static_cast<int>(std::max<long long>(left, 1)))) return true;
    if (windowManager_->Running()) return false;  // it runs but never took the display: no second try
    std::fprintf(stderr, "openbox ended at once (exit status %d), attempt %d\n",
                 windowManager_->WaitForExit(std::chrono::seconds(1)), attempt);
  }
  return false;
}

}  // namespace vlmtest
