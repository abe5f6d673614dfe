#pragma once
// A helper program (X server, window manager, sound server, recorder, a test
// program run on a display) that a test starts and stops by its process id.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace vlmtest {

// Where the helper's output goes.
enum class Output {
  Dropped,      // standard output and standard error to /dev/null
  ErrorsShown,  // standard output to /dev/null, standard error the test's
  Shown,        // both the test's
};

class BackgroundProcess {
 public:
  // Starts argv[0] (searched in PATH) with the test's environment, where the
  // entries of env ("NAME=value") replace or add to it; standard input is
  // /dev/null. keepFd, when not -1, stays open in the helper (descriptors
  // made with close-on-exec are otherwise closed there).
  explicit BackgroundProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
                             Output output = Output::Dropped, int keepFd = -1);
  ~BackgroundProcess();  // Stop()
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  // Whether the program was found and started (false when it could not run).
  bool Started() const { return pid_ > 0; }
  // Whether it still runs; an ended one is reaped, so that its id is never
  // signalled after.
  bool Running();
  // Waits at most timeout for it to end by itself, then kills it: its exit
  // status, or -1 when it was killed, ended by a signal or never started.
  int WaitForExit(std::chrono::seconds timeout);
  // SIGTERM, then SIGKILL after five seconds; waits until it has ended.
  void Stop();
  // Sends the signal while it runs (as Ctrl+C sends SIGINT).
  void Signal(int signal);

 private:
  pid_t pid_ = -1;
  bool ended_ = false;  // reaped
  int status_ = -1;     // exit status once reaped and it exited normally
};

// Whether a program of that name is in PATH.
bool HaveProgram(const std::string& name);

}  // namespace vlmtest
