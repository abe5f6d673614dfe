// Compile time of long generated sources: many short notes with chords,
// ties, dots and per-note parameters, and one note with a very long tie chain.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench_compile.h"

namespace {

// Notes in each of the six bar patterns below (chord members included).
constexpr std::int64_t NotesPerBar[6] = {6, 5, 3, 5, 8, 4};

// Bars taken in turn from six patterns, eight bars to a line, as a generated
// phrase would be. Notes receives the number of notes written.
std::vector<std::string> PhraseSource(std::int64_t Bars, std::int64_t& Notes) {
  static const char* const bar[] = {
      "c0e0g8 ^16 a16 b-8. >c16< ",  "d8,90 e8,,16 f+16 g16 a8& ",   "c0f0a4 ^8 r8 ",
      "l16 g f e d c4 ^16 l8 ",     "!e8 d8 c8 <b8> c0e0g0>c4^4< ", "v+4 n60,16 n62,16 n64,8 q12 e8 q14 ",
  };
  std::vector<std::string> lines{"t132 @0,0,0 y7,100 v90 o5 l8 q14"};
  std::string line;
  Notes = 0;
  for (std::int64_t i = 0; i < Bars; ++i) {
    line += bar[i % 6];
    Notes += NotesPerBar[i % 6];
    if (i % 8 == 7) {
      lines.push_back(line);
      line.clear();
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

void BM_CompilePhrase(benchmark::State& state) {
  std::int64_t notes = 0;
  const auto source = PhraseSource(state.range(0), notes);
  CompileEachIteration(state, source);
  state.SetItemsProcessed(state.iterations() * notes);
}
BENCHMARK(BM_CompilePhrase)->Arg(64)->Arg(1024)->Arg(8192)->Unit(benchmark::kMillisecond);

// One note followed by Ties "^16" parts: must stay linear.
void BM_CompileLongTie(benchmark::State& state) {
  std::string line = "c4";
  for (std::int64_t i = 0; i < state.range(0); ++i) line += " ^16";
  CompileEachIteration(state, {line});
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CompileLongTie)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

// The driver alone: lines of blanks, bars and rests, reported as lines per second.
void BM_DriverLines(benchmark::State& state) {
  const std::vector<std::string> source(static_cast<std::size_t>(state.range(0)), " r16 r16 | r8\t r4  r2 \"\" |");
  CompileEachIteration(state, source);
  state.counters["lines/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DriverLines)->Arg(200000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
