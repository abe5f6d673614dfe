// Compile time of realistic songs: 16 tracks of bars that use notes, chords,
// loops, macros with arguments, variables and controller curves, at 10, 100
// and 1000 times one size, once as lines of a few bars and once as a single
// line. The time per source byte must stay flat as the song grows.
//
// song_bench --write SIZE FILE [--one-line] writes the song of that size to
// FILE, compiles it once in-process and prints its notes and events (used by
// song_scaling.sh to time the whole vlmc process on a large song).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "compiler/mml_compiler.h"

namespace {

constexpr int SongTracks = 16;
constexpr int BarsPerSize = 4;  // bars of each track per unit of size
constexpr int BarsPerLine = 4;

// Bar patterns taken in turn; each is one 4/4 bar at l8 in octave 4 or 5.
const char* const Bars[] = {
    "c d e f g a b >c< ",                            // plain notes
    "[2 c16 d16 e16 f16 : g16 a16 ] b4 ",            // loop with a break
    "ARP(c,e,g) ARP(d,f,a) ",                        // macro with arguments
    "~1+1 ~2=~1%12 ~3=~2+60 n~3,8 e f g4 a4 b8 ",    // variables
    "ACE(100,40,%96,0,1,0) c4 e4 g4 >c4< ",          // controller curve over the bar
    "c0e0g4 d0f0a4 e0g0b4 r4 ",                      // chords and a rest
    "l16 c d e f g a b >c< l8 c d e f ",              // length changes
    "[3 ARP(e,g,b) : ] r8 r8 ",                      // loop over a macro
};
constexpr int BarKinds = sizeof Bars / sizeof Bars[0];

// One song: a header line, then each track's bars. OneLine joins everything
// into a single line (nothing in it depends on line breaks).
std::vector<std::string> SongSource(std::int64_t Size, bool OneLine) {
  std::vector<std::string> lines{"t132 _m(ARP,\"?1 ?2 ?3 >?1<\") ~1=0"};
  for (int t = 0; t < SongTracks; ++t) {
    lines.push_back("_tr(" + std::to_string(t) + ") CH=" + std::to_string(t + 1) + " @" +
                    std::to_string(t * 5) + " v96 o4 l8 q14");
    std::string line;
    const std::int64_t bars = Size * BarsPerSize;
    for (std::int64_t b = 0; b < bars; ++b) {
      line += Bars[(b + t) % BarKinds];
      if (b % BarsPerLine == BarsPerLine - 1) {
        lines.push_back(line);
        line.clear();
      }
    }
    if (!line.empty()) lines.push_back(line);
  }
  if (!OneLine) return lines;
  std::string all;
  for (const auto& l : lines) all += l + " ";
  return {all};
}

std::int64_t SourceBytes(const std::vector<std::string>& Lines) {
  std::int64_t n = 0;
  for (const auto& l : Lines) n += static_cast<std::int64_t>(l.size()) + 1;
  return n;
}

// A song of size 1000 as one line is some 3 MB long and dispatches some
// 10 million characters: both bounds are raised so that only speed is measured.
vlm::CompileOptions Unbound(const std::string& OutputFile) {
  vlm::CompileOptions options;
  options.Seed = 1;
  options.OutputFile = OutputFile;
  options.MaxCompileSteps = INT64_MAX;
  options.MaxLineLength = SIZE_MAX;
  return options;
}

void BM_CompileSong(benchmark::State& state, bool OneLine) {
  const auto source = SongSource(state.range(0), OneLine);
  const auto options = Unbound((std::filesystem::temp_directory_path() / "vlm_song_bench.mid").string());
  vlm::MmlCompiler compiler;
  bool errors = false;
  std::int64_t notes = 0;
  for (auto _ : state) {
    const vlm::CompileResult result = compiler.Compile(source, options);
    errors = errors || result.HasErrors() || result.Failed();
    notes = result.NoteCount;
  }
  std::filesystem::remove(options.OutputFile);
  if (errors) state.SkipWithError("the song has errors");
  const auto bytes = SourceBytes(source);
  state.SetItemsProcessed(state.iterations() * notes);
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["notes"] = static_cast<double>(notes);
  // Time per source byte: flat when the compile is linear in the source.
  state.counters["ns_per_byte"] =
      benchmark::Counter(static_cast<double>(state.iterations() * bytes),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.SetComplexityN(bytes);
}

void BM_SongLines(benchmark::State& state) { BM_CompileSong(state, false); }
BENCHMARK(BM_SongLines)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_SongOneLine(benchmark::State& state) { BM_CompileSong(state, true); }
BENCHMARK(BM_SongOneLine)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity();

// --write SIZE FILE [--one-line]: see the top of this file.
int WriteSong(int argc, char** argv) {
  const std::int64_t size = std::atoll(argv[2]);
  const bool oneLine = argc > 4 && std::strcmp(argv[4], "--one-line") == 0;
  const auto source = SongSource(size, oneLine);
  {
    std::ofstream out(argv[3], std::ios::binary);
    for (const auto& l : source) out << l << '\n';
    if (!out) return 2;
  }
  const auto scratch = (std::filesystem::temp_directory_path() / "vlm_song_write.mid").string();
  const vlm::CompileResult result = vlm::CompileMml(source, Unbound(scratch));
  std::filesystem::remove(scratch);
  const std::int64_t errors = result.ErrorLines + (result.Failed() ? 1 : 0);
  std::printf("bytes=%lld notes=%lld events=%lld errors=%lld\n", static_cast<long long>(SourceBytes(source)),
              static_cast<long long>(result.NoteCount), static_cast<long long>(result.EventCount),
              static_cast<long long>(errors));
  return errors > 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "--write") == 0) return WriteSong(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
