// libFuzzer entry point: arbitrary bytes are one MML source, split into lines
// at line feeds, compiled by a fresh compiler into a scratch file. Relative
// include names resolve in an empty directory, so every run sees the same files.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/random.h"
#include "common/warning.h"
#include "compiler/tsmf.h"

namespace {

std::filesystem::path MakeScratchDir(const char* role) {
  std::string pattern = (std::filesystem::temp_directory_path() / "vlm-fuzz-").string() + role + "-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  return pattern;
}

std::filesystem::path WorkDir;    // current directory during the run: stays empty
std::filesystem::path OutputDir;  // holds the compiled file

void RemoveScratchDirs() {
  std::error_code ignored;
  std::filesystem::remove_all(WorkDir, ignored);
  std::filesystem::remove_all(OutputDir, ignored);
}

class SilentWarnings : public vlm::WarningSink {
 public:
  void ShowWarning(const std::string&) override {}
  void Beep() override {}
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  WorkDir = MakeScratchDir("cwd");
  OutputDir = MakeScratchDir("out");
  std::filesystem::current_path(WorkDir);
  std::atexit(RemoveScratchDirs);
  static SilentWarnings warnings;
  vlm::SetWarningSink(&warnings);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vlm::TSmf smf;
  // A short source may ask for any amount of work ([2147483647 c]); the
  // compiler's work bound stops it. The bound is lowered so that such a
  // source ends well within the fuzzer's timeout even in the instrumented
  // build: what still times out is work the bound does not see, or steps
  // that have become too costly.
  smf.MaxCompileSteps = 200'000;
  smf.Reset();
  vlm::Seed = 1;
  std::string line;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      smf.Lines.push_back(line);
      line.clear();
    } else {
      line += static_cast<char>(data[i]);
    }
  }
  if (!line.empty()) smf.Lines.push_back(line);
  try {
    smf.Compile((OutputDir / "out.mid").string());
  } catch (const vlm::CompileFailure&) {
    // A number too large to convert ends a compile by design.
  }
  return 0;
}
