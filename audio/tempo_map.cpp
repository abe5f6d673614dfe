#include "audio/tempo_map.h"

#include <algorithm>

namespace vlm {

namespace {
constexpr std::uint32_t DefaultMicrosPerQuarter = 500000;  // 120 beats per minute
}

TempoMap::TempoMap(std::uint16_t division) {
  if (division & 0x8000) {
    // 0xE8 = -24, 0xE7 = -25, 0xE3 = -29 (drop frame, 29.97), 0xE2 = -30.
    const int framesPerSecond = -static_cast<std::int8_t>(division >> 8);
    const double fps = framesPerSecond == 29 ? 30000.0 / 1001.0 : framesPerSecond;
    ticksPerSecond_ = fps * (division & 0xFF);
  } else {
    ticksPerQuarter_ = division;
  }
}

void TempoMap::AddChange(std::int64_t tick, std::uint32_t microsPerQuarter) {
  changes_.push_back({tick, microsPerQuarter, 0});
}

// Changes read from a file come in order already: they are then neither
// sorted (which takes a buffer) nor copied.
void TempoMap::Prepare() {
  const auto byTick = [](const Change& a, const Change& b) { return a.tick < b.tick; };
  if (!std::is_sorted(changes_.begin(), changes_.end(), byTick))
    std::stable_sort(changes_.begin(), changes_.end(), byTick);
  // Of several changes at one tick only the last counts.
  std::size_t kept = 0;
  for (const Change& c : changes_) {
    if (kept > 0 && changes_[kept - 1].tick == c.tick) --kept;
    changes_[kept++] = c;
  }
  changes_.resize(kept);
  std::int64_t tick = 0;
  double seconds = 0;
  std::uint32_t tempo = DefaultMicrosPerQuarter;
  for (Change& c : changes_) {
    seconds += static_cast<double>(c.tick - tick) * tempo / 1e6 / ticksPerQuarter_;
    c.seconds = seconds;
    tick = c.tick;
    tempo = c.microsPerQuarter;
  }
}

double TempoMap::Seconds(std::int64_t tick) const {
  if (ticksPerQuarter_ == 0) return static_cast<double>(tick) / ticksPerSecond_;
  // The last change at or before tick; before the first one the default tempo runs from tick 0.
  auto after = std::upper_bound(changes_.begin(), changes_.end(), tick,
                                [](std::int64_t t, const Change& c) { return t < c.tick; });
  if (after == changes_.begin()) return static_cast<double>(tick) * DefaultMicrosPerQuarter / 1e6 / ticksPerQuarter_;
  const Change& c = *(after - 1);
  return c.seconds + static_cast<double>(tick - c.tick) * c.microsPerQuarter / 1e6 / ticksPerQuarter_;
}

}  // namespace vlm
