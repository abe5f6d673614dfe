#pragma once
// A virtual X display (Xvfb) with a window manager (openbox) for the tests
// that show real windows. Both are stopped by their process ids when the
// session ends, the window manager first.

#include <memory>
#include <string>

#include "tests/support/background_process.h"

namespace vlmtest {

class XSession {
 public:
  // Starts Xvfb on a display it picks itself (a free one; it writes the
  // number to a pipe once it accepts clients). False when Xvfb is missing
  // or not ready within seconds.
  bool StartDisplay(int seconds);
  // Starts openbox on the display and waits until it manages the screen: a
  // window mapped before that may never be shown nor given the keyboard.
  // False when openbox is missing or not ready within seconds.
  bool StartWindowManager(int seconds);
  // ":N", once StartDisplay succeeded.
  const std::string& Display() const { return display_; }

 private:
  std::string display_;
  std::unique_ptr<BackgroundProcess> server_;         // Xvfb
  std::unique_ptr<BackgroundProcess> windowManager_;  // declared after the server: stopped before it
};

}  // namespace vlmtest
