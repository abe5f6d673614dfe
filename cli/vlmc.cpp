// vlmc: compiles an MML source file into a Standard MIDI File, and on request
// renders that file to a WAV file.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "audio/renderer.h"
#include "cli/source_map_json.h"
#include "common/same_file.h"
#include "common/text_file.h"
#include "compiler/mml_compiler.h"

namespace {

constexpr const char* kHelp =
    "usage: vlmc SOURCE [-o OUT.mid] [--dump-source FILE] [--wav OUT.wav] [--seed N]\n"
    "            [--source-map FILE]\n"
    "\n"
    "Compiles the MML source SOURCE into a Standard MIDI File.\n"
    "\n"
    "  -o OUT.mid           where to write the MIDI file\n"
    "                       (default: SOURCE with its extension replaced by .mid)\n"
    "  --dump-source FILE   write the source lines as the compile left them\n"
    "                       (macro expansions included), one per line\n"
    "  --source-map FILE    write, one JSON object a line, every note-on of the file\n"
    "                       in file order with the place in the text that made it:\n"
    "                       track, tick, note, file, line and column (from 1, in\n"
    "                       characters)\n"
    "  --wav OUT.wav        also render the MIDI file to a WAV file\n"
    "  --seed N             seed the random generator with N (0..4294967295)\n"
    "                       instead of the clock: the same seed gives the same file\n"
    "  -h, --help           show this text\n"
    "\n"
    "SOURCE is 8-bit text with LF or CR LF line ends, a regular file or - for\n"
    "standard input (then -o is needed), of at most 256 MiB. A source that is not\n"
    "valid UTF-8 is read as Windows Shift-JIS (code page 932). No output may be\n"
    "the same file as the source or as another output.\n"
    "\n"
    "Standard output carries the compiler's messages and nothing else, one per\n"
    "line: \"Compile Start\", error lines beginning with \"err(\", and \"ok\" once\n"
    "the file is written. An error line reads\n"
    "  err(LINE)\"DETAIL\":TEXT\"> _tr<TRACK> ptr=TICKS<BAR>小節目\n"
    "where LINE is the 0-based line of the compiled source (see --dump-source).\n"
    "\n"
    "Exit status: 0 no error line, 1 at least one error line (the file is still\n"
    "written), 2 usage error, unreadable source, unwritable output, or a compile\n"
    "ended by a failure or by a lack of memory.\n";

int UsageError(const std::string& text) {
  std::cerr << "vlmc: " << text << "\n" << kHelp;
  return 2;
}

bool ParseSeed(const char* text, std::uint32_t& seed) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || text[0] == '-' || value > 0xFFFFFFFFULL) return false;
  seed = static_cast<std::uint32_t>(value);
  return true;
}

std::string DefaultOutput(const std::string& source) {
  const auto slash = source.find_last_of('/');
  const auto dot = source.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash) && dot != slash + 1)
    return source.substr(0, dot) + ".mid";
  return source + ".mid";
}

}  // namespace

int Run(int argc, char** argv) {
  std::string source, output, dump, wav, sourceMap;
  bool seeded = false;
  std::uint32_t seed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "-h" || a == "--help") {
      std::cout << kHelp;
      return 0;
    } else if (a == "-o" || a == "--dump-source" || a == "--wav" || a == "--seed" ||
               a == "--source-map") {
      if (!hasValue) return UsageError(a + " needs a value");
      const char* value = argv[++i];
      if (a != "--seed" && *value == '\0') return UsageError(a + " needs a file name");
      if (a == "-o") output = value;
      if (a == "--dump-source") dump = value;
      if (a == "--wav") wav = value;
      if (a == "--source-map") sourceMap = value;
      if (a == "--seed" && !(seeded = ParseSeed(value, seed)))
        return UsageError("--seed wants a number from 0 to 4294967295");
    } else if (a.size() > 1 && a[0] == '-') {
      return UsageError("unknown option " + a);
    } else if (source.empty()) {
      source = a;
    } else {
      return UsageError("only one SOURCE, please");
    }
  }
  if (source.empty()) return UsageError("no SOURCE given");
  if (source == "-" && output.empty()) return UsageError("standard input as SOURCE needs -o");
  const bool outputGiven = !output.empty();
  if (!outputGiven) output = DefaultOutput(source);
  // Checked before anything is read or written: an output must not replace
  // the source or another output.
  if (const auto conflict = vlm::SameFileConflict({{"SOURCE", source == "-" ? "" : source},
                                                   {outputGiven ? "-o" : "the MIDI file", output},
                                                   {"--dump-source", dump},
                                                   {"--wav", wav},
                                                   {"--source-map", sourceMap}})) {
    std::cerr << "vlmc: " << *conflict << "; nothing was written\n";
    return 2;
  }

  std::string why;
  auto lines = vlm::ReadSourceLines(source, &why);
  if (!lines) {
    std::cerr << "vlmc: cannot read " << why << "\n";
    return 2;
  }

  vlm::CompileOptions options;
  if (seeded) options.Seed = seed;
  options.OutputFile = output;
  options.SourceMap = !sourceMap.empty();
  const vlm::CompileResult result = vlm::CompileMml(std::move(*lines), options);
  for (const auto& message : result.Messages) std::cout << message << "\n";
  std::cout.flush();
  if (result.Failed()) {
    std::cerr << "原因不明のエラーが発生しました。\n" << "vlmc: " << source << ": " << *result.Failure << "\n";
    return 2;
  }
  if (!dump.empty()) {
    std::string text;
    for (const auto& line : result.Lines) text += line + "\n";
    if (const auto failure = vlm::WriteFileAtomically(dump, text)) {
      std::cerr << "vlmc: cannot write " << *failure << "\n";
      return 2;
    }
  }
  if (!sourceMap.empty()) {
    if (const auto failure = vlm::WriteFileAtomically(sourceMap, vlm::SourceMapJsonLines(*result.Map, source))) {
      std::cerr << "vlmc: cannot write " << *failure << "\n";
      return 2;
    }
  }
  if (!wav.empty()) {
    try {
      const vlm::RenderResult rendered = vlm::RenderMidiFile(output, wav);
      std::cerr << "vlmc: wrote " << wav << " (" << std::fixed << std::setprecision(1) << rendered.seconds
                << " s)\n";
    } catch (const vlm::MediaError& e) {
      std::cerr << "vlmc: " << e.what() << "\n";
      return 2;
    }
  }
  return result.HasErrors() ? 1 : 0;
}

// Memory running out anywhere in a run ends it with a message, not an abort.
int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::cout.flush();
    std::cerr << "vlmc: out of memory: the source needs more than this machine (or its limits) can give\n";
    return 2;
  }
}
