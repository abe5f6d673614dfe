#pragma once
// The one process-wide random generator shared by the compiler, the phrase
// generator and the voice editor: a 32-bit linear congruential generator,
// so that a fixed seed reproduces the same draws everywhere.

#include <cstdint>

namespace vlm {

extern std::uint32_t Seed;  // generator state; any value is a valid seed

// Next draw in 0..N-1 for N > 0 (N is read as unsigned 32-bit); 0 for N = 0.
std::int32_t Random(std::int32_t N);

// Milliseconds since midnight UTC, the value the generator is seeded with.
std::uint32_t ClockSeed();

}  // namespace vlm
