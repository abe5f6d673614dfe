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

}  // namespace vlmtest
