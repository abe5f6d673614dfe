#include "common/random.h"

#include <chrono>

namespace vlm {

std::uint32_t Seed = 0;

std::int32_t Random(std::int32_t N) {
  Seed = Seed * 134775813u + 1u;
  const std::uint64_t product =
      static_cast<std::uint64_t>(Seed) * static_cast<std::uint32_t>(N);
  return static_cast<std::int32_t>(product >> 32);
}

std::uint32_t ClockSeed() {
  using namespace std::chrono;
  const auto now = system_clock::now().time_since_epoch();
  const auto msToday = duration_cast<milliseconds>(now).count() % (24LL * 60 * 60 * 1000);
  return static_cast<std::uint32_t>(msToday);
}

}  // namespace vlm
