#pragma once
// Real-window tests start a window manager on their virtual display; a
// window mapped before it runs may never be managed (nor shown, nor given
// the keyboard), so the tests wait for it first.

#include <string>

namespace vlmtest {

// Waits until a window manager has marked the root window of display (the
// EWMH check window, read with xprop); false after seconds.
bool WaitForWindowManager(const std::string& display, int seconds);

}  // namespace vlmtest
