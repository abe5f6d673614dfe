// The main job as a user feels it: from starting vorlumi3-cli to the phrase
// file written (start-up, scale presets, rhythm, pattern, assembly, compile,
// file write, exit). Target: under 20 ms.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Runs the program with its output thrown away; false when it could not run
// or ended with a failure status (2 and above).
bool RunQuietly(std::vector<std::string> args) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned != 0 || waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) < 2;
}

void BM_StartToPhraseFile(benchmark::State& state) {
  const std::string dir = std::filesystem::temp_directory_path() / "vlm_main_job_bench";
  std::filesystem::create_directories(dir);
  const std::string phrase = dir + "/vorlumi3.mid";
  for (auto _ : state) {
    std::filesystem::remove(phrase);
    if (!RunQuietly({VLM_CLI, "--out", phrase}) || !std::filesystem::exists(phrase)) {
      state.SkipWithError("vorlumi3-cli wrote no phrase file");
      break;
    }
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_StartToPhraseFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
