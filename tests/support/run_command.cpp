#include "tests/support/run_command.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace vlmtest {

CommandRun RunCommand(const std::string& dir, const std::string& command) {
  CommandRun run;
  const std::string errFile = dir + "/stderr.txt";
  std::FILE* pipe = ::popen(("cd '" + dir + "' && " + command + " 2>'" + errFile + "'").c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  const int raw = ::pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream err(errFile, std::ios::binary);
  run.err.assign(std::istreambuf_iterator<char>(err), {});
  std::remove(errFile.c_str());
  return run;
}

}  // namespace vlmtest
