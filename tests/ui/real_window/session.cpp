#include "tests/ui/real_window/session.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "tests/support/window_manager.h"
#include "tests/ui/real_window/background_process.h"

namespace vlmtest {

namespace {

struct Session {
  std::string runtimeDir;  // the sound server's socket and state
  std::string server;      // "unix:" + socket path
  std::unique_ptr<BackgroundProcess> x, windowManager, sound;
};
std::unique_ptr<Session> session;

bool WaitForFile(const std::string& path, int seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  std::error_code ec;
  while (std::chrono::steady_clock::now() < end) {
    if (std::filesystem::exists(path, ec)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// The X server, the window manager and the sound server, in that order.
bool StartHelpers(Session& s) {
  // Xvfb picks a free display and writes its number to descriptor 3.
  s.x = std::make_unique<BackgroundProcess>(
      std::vector<std::string>{"Xvfb", "-displayfd", "3", "-screen", "0", "1280x800x24", "-nolisten", "tcp"}, 3);
  const auto display = s.x->ReadLine(15);
  if (!display) return false;
  setenv("DISPLAY", (":" + *display).c_str(), 1);
  setenv("XDG_RUNTIME_DIR", s.runtimeDir.c_str(), 1);
  // The session has no message bus: without this the sound client would
  // have libdbus launch one through the X display (and leak its buffer).
  setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
  if (HaveProgram("openbox")) {
    s.windowManager = std::make_unique<BackgroundProcess>(std::vector<std::string>{"openbox"});
    // Windows shown before the manager runs would never be activated.
    if (!vlmtest::WaitForWindowManager(":" + *display, 15)) return false;
  }
  const std::string socket = s.runtimeDir + "/native";
  s.sound = std::make_unique<BackgroundProcess>(std::vector<std::string>{
      "pulseaudio", "--daemonize=no", "-n", "--exit-idle-time=-1", "--use-pid-file=no", "-L", "module-null-sink",
      "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket});
  if (!WaitForFile(socket, 15)) return false;
  s.server = "unix:" + socket;
  setenv("PULSE_SERVER", s.server.c_str(), 1);
  return true;
}

}  // namespace

bool StartRealSession() {
  if (!HaveProgram("Xvfb") || !HaveProgram("pulseaudio")) return false;
  char pattern[] = "/tmp/vlm-real-window-XXXXXX";
  if (!mkdtemp(pattern)) return false;
  session = std::make_unique<Session>();
  session->runtimeDir = pattern;
  if (StartHelpers(*session)) return true;
  StopRealSession();
  return false;
}

void StopRealSession() {
  if (!session) return;
  session->sound.reset();
  session->windowManager.reset();
  session->x.reset();
  std::error_code ec;
  std::filesystem::remove_all(session->runtimeDir, ec);
  session.reset();
}

bool RealSessionReady() { return session != nullptr; }
std::string SoundServer() { return session ? session->server : std::string(); }

}  // namespace vlmtest
