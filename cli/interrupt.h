#pragma once
// Ctrl+C for the command-line programs: while a guard lives, SIGINT only
// raises a flag that long work polls, so it can stop cleanly (the sound
// silenced, the files finished so far accounted for).

#include <csignal>

namespace vlmcli {

// Installs the handler for its lifetime (the flag cleared) and puts the
// previous one back.
class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction previous_ {};
};

// Whether Ctrl+C came since the guard was installed.
bool Interrupted();

}  // namespace vlmcli
