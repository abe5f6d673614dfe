#pragma once
// The desktop session the real-window tests run in: a virtual X display
// with a window manager, and a sound server whose only output is a null
// sink that a recorder can listen to.

#include <string>

namespace vlmtest {

// Starts the session and points DISPLAY and PULSE_SERVER at it; false (and
// nothing set) where Xvfb or pulseaudio is missing.
bool StartRealSession();
void StopRealSession();
bool RealSessionReady();
// The sound server's address ("unix:/…/native"), for recorders.
std::string SoundServer();

}  // namespace vlmtest
