#include "tests/ui/real_window/background_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

extern char** environ;

namespace vlmtest {

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv, std::optional<int> readyFd) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int fds[2] = {-1, -1};
  if (readyFd && pipe2(fds, O_CLOEXEC) == 0) {
    // dup2 clears close-on-exec on the copy, which is all the child keeps.
    posix_spawn_file_actions_adddup2(&actions, fds[1], *readyFd);
  }
  // Keeps the helper's chatter out of the test's output.
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  if (fds[1] >= 0) close(fds[1]);
  readEnd_ = fds[0];
}

BackgroundProcess::~BackgroundProcess() {
  Stop();
  if (readEnd_ >= 0) close(readEnd_);
}

void BackgroundProcess::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  // A helper that ignores SIGTERM for two seconds is killed.
  for (int waited = 0; waited < 200; ++waited) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::optional<std::string> BackgroundProcess::ReadLine(int seconds) {
  if (readEnd_ < 0) return std::nullopt;
  std::string line;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    pollfd p{readEnd_, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char c;
    if (read(readEnd_, &c, 1) != 1) return std::nullopt;
    if (c == '\n') return line;
    line += c;
  }
  return std::nullopt;
}

bool HaveProgram(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace vlmtest
