// libFuzzer entry point of the compiler: arbitrary bytes are one MML source,
// split into lines at line feeds and compiled, the file kept in memory. The
// current directory holds a few small sources that `#include` can reach:
// a plain one, one that includes itself, a pair that include each other, and
// one that includes another twice.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "common/warning.h"
#include "compiler/mml_compiler.h"
#include "fuzz/scratch_dir.h"

namespace {

// The files `#include` finds in the current directory.
void WriteIncludableFiles(const std::filesystem::path& dir) {
  vlmfuzz::WriteWhole(dir / "inc.vlm", "_m(RUN,\"c d e\")\r\nt120 o5 l8 [2 RUN r4]\r\n");
  vlmfuzz::WriteWhole(dir / "self.vlm", "c4\n#include \"self.vlm\"\nd4\n");
  vlmfuzz::WriteWhole(dir / "ping.vlm", "e8\n#include \"pong.vlm\"\n");
  vlmfuzz::WriteWhole(dir / "pong.vlm", "f8\n#include \"ping.vlm\"\n");
  vlmfuzz::WriteWhole(dir / "twice.vlm", "#include \"inc.vlm\"\n#include \"inc.vlm\"\nRUN\n");
  // Shift-JIS text ("ド" in a comment), decoded as any included file is.
  vlmfuzz::WriteWhole(dir / "sjis.vlm", std::string("; \x83\x68\r\ng4 a4\r\n"));
}

// The one compiler of the process: building one makes 128 track stores and
// their settings, which cost a fresh compiler per input most of its run.
// What compiles carry over (variables, bends) is forgotten after each input,
// so that every input compiles as on a fresh compiler and a crash found after
// many inputs reproduces on its own.
vlm::MmlCompiler& Compiler() {
  static vlm::MmlCompiler compiler;
  return compiler;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const auto workDir = vlmfuzz::ScratchDir("cwd");
  WriteIncludableFiles(workDir);
  std::filesystem::current_path(workDir);
  static vlmfuzz::SilentWarnings warnings;
  vlm::SetWarningSink(&warnings);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vlm::CompileOptions options;
  options.Seed = 1;
  // A short source may ask for any amount of work ([2147483647 c]); the
  // compiler's work bound stops it. The bound is lowered so that such a
  // source ends well within the fuzzer's timeout even in the instrumented
  // build: what still times out is work the bound does not see, or steps
  // that have become too costly. The file's bytes stay in memory.
  options.MaxCompileSteps = 200'000;
  std::vector<std::string> lines;
  const char* text = reinterpret_cast<const char*>(data);
  std::size_t start = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] != '\n') continue;
    lines.emplace_back(text + start, i - start);
    start = i + 1;
  }
  if (start < size) lines.emplace_back(text + start, size - start);
  // A number too large to convert, or an include that cannot be read, ends a
  // compile by design: the result says so, nothing throws.
  Compiler().Compile(std::move(lines), options);
  Compiler().ForgetCarriedState();
  return 0;
}
