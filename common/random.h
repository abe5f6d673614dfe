#pragma once
// A 32-bit linear congruential generator as a value: whoever draws owns one
// (the compiler its own, the main window one shared with the voice editor),
// so that a fixed seed reproduces the same draws and no module changes
// another's sequence behind its back.

#include <cstdint>

namespace vlm {

struct RandomGenerator {
  std::uint32_t Seed = 0;  // generator state; any value is a valid seed

  // Next draw in 0..N-1 for N > 0 (N is read as unsigned 32-bit); 0 for N = 0.
  // Inline: every note of a compile draws three times.
  std::int32_t Random(std::int32_t N) {
    Seed = Seed * 134775813u + 1u;
    const std::uint64_t product = static_cast<std::uint64_t>(Seed) * static_cast<std::uint32_t>(N);
    return static_cast<std::int32_t>(product >> 32);
  }
};

// Milliseconds since midnight UTC, the value a generator is seeded with when
// no seed is given.
std::uint32_t ClockSeed();

// 32 bits from the kernel's random source, for seeds nobody gave. Without
// one to give (early boot, a sandbox that forbids the call) the clock's
// nanoseconds stand in. Not std::random_device: it asks the processor
// first, which costs a virtual machine some 16 us of every start-up, the
// call 1 us.
std::uint32_t SystemSeed();

}  // namespace vlm
