#pragma once
// The timed loop shared by the compiler benchmarks: Reset, fill Lines,
// Compile into a scratch file, with a fixed seed so every pass does the same work.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/random.h"
#include "compiler/tsmf.h"

inline void CompileEachIteration(benchmark::State& state, const std::vector<std::string>& source) {
  const auto file = (std::filesystem::temp_directory_path() / "vlm_compile_bench.mid").string();
  std::int64_t errors = 0;
  vlm::TSmf smf([&errors](const std::string& text) { errors += text.rfind("err(", 0) == 0; });
  for (auto _ : state) {
    smf.Reset();
    vlm::Seed = 1;
    smf.Lines = source;
    smf.Compile(file);
    benchmark::DoNotOptimize(smf.TrackEvents[0].Count());
  }
  std::filesystem::remove(file);
  if (errors > 0) state.SkipWithError("the source has errors");
}
