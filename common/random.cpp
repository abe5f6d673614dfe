#include "common/random.h"

#include <sys/random.h>

#include <chrono>

namespace vlm {

std::uint32_t ClockSeed() {
  using namespace std::chrono;
  const auto now = system_clock::now().time_since_epoch();
  const auto msToday = duration_cast<milliseconds>(now).count() % (24LL * 60 * 60 * 1000);
  return static_cast<std::uint32_t>(msToday);
}

std::uint32_t SystemSeed() {
  std::uint32_t seed = 0;
  if (::getrandom(&seed, sizeof seed, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof seed)) return seed;
  const auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  return static_cast<std::uint32_t>(ticks ^ (ticks >> 32));
}

}  // namespace vlm
