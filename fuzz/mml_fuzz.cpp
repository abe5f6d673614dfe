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
#include "fuzz/checks.h"
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

// A compile with a map gives the same file, messages and compiled lines as
// one without, and a map with one origin per note-on and per error line,
// each inside the text it names.
std::string CheckSourceMap(const std::vector<std::string>& source, const vlm::CompileResult& plain,
                           const vlm::CompileResult& mapped) {
  if (mapped.MidiBytes != plain.MidiBytes) return "the source map changed the MIDI file";
  if (mapped.Messages != plain.Messages) return "the source map changed the messages";
  if (mapped.Lines != plain.Lines) return "the source map changed the compiled lines";
  if (mapped.Failed()) return {};
  if (!mapped.Map) return "a compile asked for a map gave none";
  const vlm::SourceMap& map = *mapped.Map;
  if (static_cast<std::int64_t>(map.Notes.size()) != mapped.NoteCount) return "the map's notes are not the file's note-ons";
  if (static_cast<std::int64_t>(map.Errors.size()) != mapped.ErrorLines) return "the map's errors are not the error lines";
  auto inside = [&](const vlm::SourceOrigin& at) {
    if (at.File < 0 || static_cast<std::size_t>(at.File) >= map.Files.size() || at.Line < 0 || at.Column < 0) return false;
    if (at.File != 0 || at.Line == 0) return true;  // included files are not at hand here
    return static_cast<std::size_t>(at.Line) <= source.size() &&
           static_cast<std::size_t>(at.Column) <= source[static_cast<std::size_t>(at.Line) - 1].size() + 1;
  };
  for (const auto& note : map.Notes)
    if (!inside(note.At())) return "a note's origin lies outside the text it names";
  for (const auto& error : map.Errors)
    if (!inside(error)) return "an error's origin lies outside the text it names";
  return {};
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
  // that have become too costly. The events' sort is such work, bounded by
  // its own budget in n log n of the events a step can add several of (a
  // chord); traced comparison by comparison it runs some 70 times slower
  // than in a release build, so the bound keeps stores to some 130,000
  // events. The file's bytes stay in memory.
  options.MaxCompileSteps = 100'000;
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
  // compile by design: the result says so, nothing throws. The same source
  // is compiled again with a source map, which must change nothing else.
  const vlm::CompileResult plain = Compiler().Compile(lines, options);
  Compiler().ForgetCarriedState();
  options.SourceMap = true;
  const vlm::CompileResult mapped = Compiler().Compile(lines, options);
  Compiler().ForgetCarriedState();
  vlmfuzz::AbortIfBroken(CheckSourceMap(lines, plain, mapped));
  return 0;
}
