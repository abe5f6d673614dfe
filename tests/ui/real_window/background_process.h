#pragma once
// A helper program (X server, window manager, sound server, recorder) that a
// test starts and stops by its process id.

#include <csignal>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vlmtest {

class BackgroundProcess {
 public:
  // Starts argv[0] (searched in PATH) with the test's environment. When
  // `readyFd` is given, the child's descriptor of that number is the write
  // end of a pipe whose first line ReadLine returns (Xvfb's -displayfd).
  explicit BackgroundProcess(const std::vector<std::string>& argv, std::optional<int> readyFd = std::nullopt);
  ~BackgroundProcess();  // SIGTERM, then waits for the process to end
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  // The first line written to the ready pipe, waiting at most `seconds`.
  std::optional<std::string> ReadLine(int seconds);
  // Stops the process now (as the destructor does).
  void Stop();

 private:
  pid_t pid_ = -1;
  int readEnd_ = -1;
};

// Whether a program of that name is in PATH.
bool HaveProgram(const std::string& name);

}  // namespace vlmtest
