#include "cli/interrupt.h"

namespace vlmcli {

namespace {
volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) { interrupted = 1; }
}  // namespace

InterruptGuard::InterruptGuard() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  interrupted = 0;
  sigaction(SIGINT, &action, &previous_);
}

InterruptGuard::~InterruptGuard() { sigaction(SIGINT, &previous_, nullptr); }

bool Interrupted() { return interrupted != 0; }

}  // namespace vlmcli
