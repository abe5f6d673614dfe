#pragma once
// The one process-wide random generator shared by the compiler, the phrase
// generator and the voice editor: a 32-bit linear congruential generator,
// so that a fixed seed reproduces the same draws everywhere.

#include <cstdint>

namespace vlm {

extern std::uint32_t Seed;  // generator state; any value is a valid seed

// Next draw in 0..N-1 for N > 0 (N is read as unsigned 32-bit); 0 for N = 0.
// Inline: every note of a compile draws three times.
inline std::int32_t Random(std::int32_t N) {
  Seed = Seed * 134775813u + 1u;
  const std::uint64_t product = static_cast<std::uint64_t>(Seed) * static_cast<std::uint32_t>(N);
  return static_cast<std::int32_t>(product >> 32);
}

// Milliseconds since midnight UTC, the value the generator is seeded with.
std::uint32_t ClockSeed();

}  // namespace vlm
