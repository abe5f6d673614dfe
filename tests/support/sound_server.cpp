#include "tests/support/sound_server.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

namespace vlmtest {

namespace {

bool WaitForFile(const std::string& path, int seconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  std::error_code ec;
  while (std::chrono::steady_clock::now() < until) {
    if (std::filesystem::exists(path, ec)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

}  // namespace

NullSinkSoundServer::~NullSinkSoundServer() {
  server_.reset();
  std::error_code ec;
  if (!runtimeDir_.empty()) std::filesystem::remove_all(runtimeDir_, ec);
}

bool NullSinkSoundServer::Start(int seconds) {
  char pattern[] = "/tmp/vlm-sound-server-XXXXXX";
  if (!::mkdtemp(pattern)) return false;
  runtimeDir_ = pattern;
  const std::string socket = runtimeDir_ + "/native";
  // No message bus, as for its clients: libdbus would otherwise launch one
  // through the X display.
  server_ = std::make_unique<BackgroundProcess>(
      std::vector<std::string>{"pulseaudio", "--daemonize=no", "-n", "--exit-idle-time=-1", "--use-pid-file=no", "-L",
                               "module-null-sink", "-L",
                               "module-native-protocol-unix auth-anonymous=1 socket=" + socket},
      std::vector<std::string>{"XDG_RUNTIME_DIR=" + runtimeDir_, "DBUS_SESSION_BUS_ADDRESS=disabled:"});
  if (!server_->Started() || !WaitForFile(socket, seconds)) return false;
  address_ = "unix:" + socket;
  return true;
}

}  // namespace vlmtest
