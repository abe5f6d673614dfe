#pragma once
// A sound server of the test's own (pulseaudio) whose only output is a null
// sink, "null", that a recorder can listen to through "null.monitor". It
// keeps its socket and state in a fresh folder, removed with the server;
// the server is stopped by its process id.

#include <memory>
#include <string>

#include "tests/support/background_process.h"

namespace vlmtest {

class NullSinkSoundServer {
 public:
  ~NullSinkSoundServer();
  // Starts the server and waits at most seconds for its socket. False when
  // pulseaudio is missing or did not come up.
  bool Start(int seconds);
  // The folder that holds its socket (the XDG_RUNTIME_DIR of its clients).
  const std::string& RuntimeDir() const { return runtimeDir_; }
  // Its address for clients and recorders, "unix:/…/native".
  const std::string& Address() const { return address_; }

 private:
  std::string runtimeDir_;
  std::string address_;
  std::unique_ptr<BackgroundProcess> server_;
};

}  // namespace vlmtest
