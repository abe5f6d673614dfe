// Compile time of many includes: N lines that each include the same one-line
// file. Each include must cost its own lines, so the time grows linearly
// with N; 100,000 includes should take well under a second.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_compile.h"

namespace {

void BM_ManyIncludes(benchmark::State& state) {
  const auto file = std::filesystem::temp_directory_path() / "vlm_include_bench.vlm";
  std::ofstream(file) << "c\n";
  const std::vector<std::string> source(static_cast<std::size_t>(state.range(0)),
                                        "#include \"" + file.string() + "\"");
  CompileEachIteration(state, source);
  std::filesystem::remove(file);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ManyIncludes)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
