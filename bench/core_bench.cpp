// Compile time of the language core: many command words (macro lookups and
// system commands), loops that replay their body, and selections and
// divisions that rewrite the line on every pass; and the event store alone,
// with short events and with long ones.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench_compile.h"
#include "compiler/tivent.h"

namespace {

// Lines of controller words and notes: every word is a macro lookup followed
// by a system command.
void BM_CommandWords(benchmark::State& state) {
  const std::vector<std::string> source(static_cast<std::size_t>(state.range(0)),
                                        "V=100 P=64 REV=40 CHO=10 E=127 M=0 Q=2 DLY=0 c d e f");
  CompileEachIteration(state, source);
  state.SetItemsProcessed(state.iterations() * state.range(0) * 8);
}
BENCHMARK(BM_CommandWords)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// One loop replayed Passes times: must stay linear in the passes.
void BM_LoopReplay(benchmark::State& state) {
  CompileEachIteration(state, {"[" + std::to_string(state.range(0)) + " c d e f : g a ]"});
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoopReplay)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A selection and a division inside a loop: the text is inserted and taken
// out again on every pass.
void BM_SelectionsInALoop(benchmark::State& state) {
  CompileEachIteration(state, {"[" + std::to_string(state.range(0)) + " SEL(?,c,d,\"e f\") DIV(4,c,d,e) IF(1<2,g) ]"});
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SelectionsInALoop)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Events added in a song's order (a controller a tick early, a chord, its
// note-off a tick before the next notes), then sorted: the store's part of
// every compile.
void BM_EventStore(benchmark::State& state) {
  const std::uint8_t controller[3] = {0xB0, 7, 100}, noteOn[3] = {0x90, 60, 100}, noteOff[3] = {0x80, 60, 0};
  for (auto _ : state) {
    vlm::Tivent store;
    for (std::int32_t time = 0; time < state.range(0) / 4 * 48; time += 48) {
      store.Add(time - 1, controller, 3);
      store.Add(time, noteOn, 3);
      store.Add(time, noteOn, 3);
      store.Add(time + 47, noteOff, 3);
    }
    store.Sort();
    benchmark::DoNotOptimize(store.Count());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EventStore)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Tempo changes, events kept apart from the short ones: must stay linear in
// their number (a song with a tempo curve has tens of thousands).
void BM_LongEvents(benchmark::State& state) {
  const std::uint8_t tempo[6] = {0xFF, 0x51, 3, 0x07, 0xA1, 0x20};
  for (auto _ : state) {
    vlm::Tivent store;
    for (std::int32_t time = 0; time < state.range(0); ++time) store.Add(time, tempo, 6);
    benchmark::DoNotOptimize(store.Count());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LongEvents)->Arg(10000)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
