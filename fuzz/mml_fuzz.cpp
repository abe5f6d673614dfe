// libFuzzer entry point of the compiler: arbitrary bytes are one MML source,
// split into lines at line feeds and compiled into a scratch file. The
// current directory holds a few small sources that `#include` can reach:
// a plain one, one that includes itself, a pair that include each other, and
// one that includes another twice.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/random.h"
#include "compiler/tsmf.h"
#include "fuzz/scratch_dir.h"

namespace {

std::filesystem::path OutputFile;  // every compile writes here

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

// The one compiler of the process. Building a compiler makes 128 track
// stores and their settings, and Reset sets them all again: a fresh compiler
// per input cost both, at some 120 inputs a second. The two things Reset
// keeps on purpose (variables and each track's last bend) are cleared
// here, so that every input compiles as on a fresh compiler and a crash found
// after many inputs reproduces on its own. The reset comes after each
// compile, so that what a compile allocates is freed within its own run:
// libFuzzer then sees no growth to check for leaks.
vlm::TSmf& Compiler() {
  static vlm::TSmf smf;
  return smf;
}

void ResetCompiler(vlm::TSmf& smf) {
  smf.Reset();
  smf.Vars.fill(0);
  for (auto& track : smf.Tracks) track.Bend = 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const auto workDir = vlmfuzz::ScratchDir("cwd");
  WriteIncludableFiles(workDir);
  std::filesystem::current_path(workDir);
  OutputFile = vlmfuzz::ScratchDir("out") / "out.mid";
  static vlmfuzz::SilentWarnings warnings;
  vlm::SetWarningSink(&warnings);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vlm::TSmf& smf = Compiler();
  vlm::Seed = 1;
  // A short source may ask for any amount of work ([2147483647 c]); the
  // compiler's work bound stops it. The bound is lowered so that such a
  // source ends well within the fuzzer's timeout even in the instrumented
  // build: what still times out is work the bound does not see, or steps
  // that have become too costly.
  smf.MaxCompileSteps = 200'000;
  const char* text = reinterpret_cast<const char*>(data);
  std::size_t start = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] != '\n') continue;
    smf.Lines.emplace_back(text + start, i - start);
    start = i + 1;
  }
  if (start < size) smf.Lines.emplace_back(text + start, size - start);
  try {
    smf.Compile(OutputFile.string());
  } catch (const vlm::CompileFailure&) {
    // A number too large to convert, or an include that cannot be read, ends
    // a compile by design.
  }
  ResetCompiler(smf);
  return 0;
}
