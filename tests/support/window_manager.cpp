#include "tests/support/window_manager.h"

#include <chrono>
#include <thread>

#include "tests/support/run_command.h"

namespace vlmtest {

bool WaitForWindowManager(const std::string& display, int seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  const std::string command = "DISPLAY='" + display + "' xprop -root _NET_SUPPORTING_WM_CHECK";
  while (std::chrono::steady_clock::now() < end) {
    if (RunCommand("/", command).out.find("window id") != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

}  // namespace vlmtest
