#pragma once
// Batches of phrases for corpora: phrase after phrase drawn with consecutive
// seeds, each written as SEED.mid and SEED.vlm (and SEED.wav) into one
// folder with a manifest of one JSON object per phrase, in seed order.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace vlmcli {

// Count seeds from First on; First + Count never passes 2^32.
struct SeedRange {
  std::uint64_t First = 0;
  std::uint64_t Count = 0;
};

// The part-th of parts equal parts of range (part from 1), in order: the
// sizes differ by at most one, and the parts together are the range.
SeedRange ShardOf(const SeedRange& range, std::uint64_t part, std::uint64_t parts);

// "K/M" with 1 <= K <= M; nothing when text is no such pair.
std::optional<std::pair<std::uint64_t, std::uint64_t>> ParseShard(const std::string& text);

struct BatchOptions {
  SeedRange Seeds;
  unsigned Jobs = 1;               // worker threads
  bool Wav = false;                // also SEED.wav
  std::string OutDir;              // made when missing
  std::string SettingsFile;        // absolute, or empty for the start values
  std::string ScaleFile;           // absolute, or empty for the usual Scale.dat
  std::optional<std::int32_t> Steps;
  bool Quiet = false;
};

// The manifest's name inside OutDir.
inline constexpr const char* ManifestName = "manifest.jsonl";

// Writes the batch; progress goes to progress when it is a terminal (null:
// none). Returns the exit status: 0 every phrase compiled cleanly, 1 some
// with errors, 2 a failure (named on standard error), 130 Ctrl+C. The
// manifest lists the phrases finished before a stop, so that what was
// written is never unaccounted for.
int RunBatch(const BatchOptions& options, std::FILE* progress);

}  // namespace vlmcli
