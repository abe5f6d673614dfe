#include "tests/support/background_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace vlmtest {

namespace {

using Clock = std::chrono::steady_clock;

// The exit status waitpid reported, or -1 for a process ended by a signal.
int ExitStatus(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

}  // namespace

// Everything the child needs is made before the fork: in a process with
// threads, the child may call nothing that allocates (a lock another thread
// held at the fork is never released there). A close-on-exec pipe tells the
// parent whether the exec failed: it reads the child's errno, or nothing.
BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                                     Output output, int keepFd) {
  if (argv.empty()) return;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<char*> environment;
  for (char** e = environ; *e; ++e) {
    bool overridden = false;
    for (const auto& own : env) overridden = overridden || std::strncmp(*e, own.c_str(), own.find('=') + 1) == 0;
    if (!overridden) environment.push_back(*e);
  }
  for (const auto& entry : env) environment.push_back(const_cast<char*>(entry.c_str()));
  environment.push_back(nullptr);
  int failure[2];
  if (::pipe2(failure, O_CLOEXEC) != 0) return;
  pid_ = ::fork();
  if (pid_ == 0) {
    if (keepFd >= 0) ::fcntl(keepFd, F_SETFD, 0);
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);  // the copies made by dup2 stay open
    ::dup2(null, STDIN_FILENO);
    if (output != Output::Shown) ::dup2(null, STDOUT_FILENO);
    if (output == Output::Dropped) ::dup2(null, STDERR_FILENO);
    ::execvpe(args[0], args.data(), environment.data());
    const int error = errno;
    [[maybe_unused]] const auto written = ::write(failure[1], &error, sizeof error);
    ::_exit(127);
  }
  ::close(failure[1]);
  if (pid_ > 0) {
    int error = 0;
    ssize_t got;
    while ((got = ::read(failure[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    if (got > 0) {  // the program could not be run
      ::waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }
  ::close(failure[0]);
}

BackgroundProcess::~BackgroundProcess() { Stop(); }

bool BackgroundProcess::Running() {
  if (pid_ <= 0 || ended_) return false;
  int status = 0;
  const pid_t reaped = ::waitpid(pid_, &status, WNOHANG);
  if (reaped == 0) return true;
  ended_ = true;
  status_ = reaped == pid_ ? ExitStatus(status) : -1;
  return false;
}

int BackgroundProcess::WaitForExit(std::chrono::seconds timeout) {
  const auto until = Clock::now() + timeout;
  while (Running()) {
    if (Clock::now() > until) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
      ended_ = true;
      status_ = -1;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return status_;
}

void BackgroundProcess::Stop() {
  if (!Running()) return;
  ::kill(pid_, SIGTERM);
  WaitForExit(std::chrono::seconds(5));
}

void BackgroundProcess::Signal(int signal) {
  if (Running()) ::kill(pid_, signal);
}

bool HaveProgram(const std::string& name) {
  return std::system(("command -v '" + name + "' >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace vlmtest
