#include "tests/ui/real_window/session.h"

#include <cstdlib>
#include <memory>

#include "tests/support/sound_server.h"
#include "tests/support/x_session.h"

namespace vlmtest {

namespace {

struct Session {
  XSession x;                 // the display and its window manager
  NullSinkSoundServer sound;  // declared last: stopped first
};
std::unique_ptr<Session> session;

// The X server, the window manager and the sound server, in that order; the
// environment then points this process's windows and sound at them.
bool StartHelpers(Session& s) {
  if (!s.x.StartDisplay(15)) return false;
  // Windows shown before the manager runs would never be activated.
  if (HaveProgram("openbox") && !s.x.StartWindowManager(15)) return false;
  if (!s.sound.Start(15)) return false;
  setenv("DISPLAY", s.x.Display().c_str(), 1);
  setenv("XDG_RUNTIME_DIR", s.sound.RuntimeDir().c_str(), 1);
  // The session has no message bus: without this the sound client would
  // have libdbus launch one through the X display (and leak its buffer).
  setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
  setenv("PULSE_SERVER", s.sound.Address().c_str(), 1);
  return true;
}

}  // namespace

bool StartRealSession() {
  if (!HaveProgram("Xvfb") || !HaveProgram("pulseaudio")) return false;
  session = std::make_unique<Session>();
  if (StartHelpers(*session)) return true;
  StopRealSession();
  return false;
}

void StopRealSession() { session.reset(); }

bool RealSessionReady() { return session != nullptr; }
std::string SoundServer() { return session ? session->sound.Address() : std::string(); }

}  // namespace vlmtest
