#pragma once
// Runs one of our programs the way a user's shell would, for end-to-end tests.

#include <string>

namespace vlmtest {

struct CommandRun {
  int status = -1;  // exit status; -1 when the command did not exit normally
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs a shell command line inside dir and collects both output streams.
CommandRun RunCommand(const std::string& dir, const std::string& command);

// True in a build with AddressSanitizer: its shadow memory needs terabytes of
// address space, so a program run under an address-space limit (prlimit
// --as) fails in the sanitizer before it runs at all.
constexpr bool AddressSanitized() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return true;
#else
  return false;
#endif
#else
  return false;
#endif
}

}  // namespace vlmtest
