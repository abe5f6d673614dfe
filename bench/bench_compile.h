#pragma once
// The timed loop shared by the compiler benchmarks: one compiler compiling
// the source again and again into a scratch file, with a fixed seed so every
// pass does the same work.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "compiler/mml_compiler.h"

inline void CompileEachIteration(benchmark::State& state, const std::vector<std::string>& source) {
  vlm::CompileOptions options;
  options.Seed = 1;
  options.OutputFile = (std::filesystem::temp_directory_path() / "vlm_compile_bench.mid").string();
  vlm::MmlCompiler compiler;
  bool errors = false;
  for (auto _ : state) {
    const vlm::CompileResult result = compiler.Compile(source, options);
    errors = errors || result.HasErrors() || result.Failed();
    benchmark::DoNotOptimize(result.EventCount);
  }
  std::filesystem::remove(options.OutputFile);
  if (errors) state.SkipWithError("the source has errors");
}
