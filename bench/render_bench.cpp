// Rendering speed of a phrase to a WAV file, as a multiple of real time
// (the "realtime" counter: seconds of audio made per second of wall time).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/midi_sequence.h"
#include "audio/renderer.h"

namespace {

// A phrase as the generator makes it: program and tempo, then sixteen
// eighth notes four times over (16 s at 120 bpm), in one track of a format 1 file.
std::string WritePhrase(const std::string& dir) {
  std::vector<std::uint8_t> track{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xC0, 0x00};
  const int scale[] = {0, 2, 4, 5, 7, 9, 11, 12};
  for (int i = 0; i < 64; ++i) {
    const auto key = static_cast<std::uint8_t>(60 + scale[(i * 5) % 8]);
    // Delta times below 128 are one byte each: 47 ticks of sound, 1 of silence.
    track.insert(track.end(), {0x90, key, 100, 47, 0x80, key, 100, 1});
  }
  track.back() = 0;  // the last note's end is the end of the track
  track.insert(track.end(), {0xFF, 0x2F, 0x00});
  std::vector<std::uint8_t> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0, 96, 'M', 'T', 'r', 'k'};
  for (int shift = 24; shift >= 0; shift -= 8) file.push_back(static_cast<std::uint8_t>(track.size() >> shift));
  file.insert(file.end(), track.begin(), track.end());
  const std::string path = dir + "/phrase.mid";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return path;
}

// The whole job as the --wav option does it: SoundFont load, synthesis, file write.
void BM_RenderPhraseToWav(benchmark::State& state) {
  const std::string dir = std::filesystem::temp_directory_path() / "vlm_render_bench";
  std::filesystem::create_directories(dir);
  const std::string midi = WritePhrase(dir);
  double audioSeconds = 0;
  for (auto _ : state) audioSeconds += vlm::RenderMidiFile(midi, dir + "/phrase.wav").seconds;
  state.counters["realtime"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_RenderPhraseToWav)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reading and timing the phrase file, which every play does before sounding.
void BM_ReadPhrase(benchmark::State& state) {
  const std::string dir = std::filesystem::temp_directory_path() / "vlm_read_bench";
  std::filesystem::create_directories(dir);
  const std::string midi = WritePhrase(dir);
  for (auto _ : state) benchmark::DoNotOptimize(vlm::LoadMidiFile(midi));
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ReadPhrase)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
