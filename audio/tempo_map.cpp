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
  prepared_ = false;
}

void TempoMap::Prepare() {
  std::stable_sort(changes_.begin(), changes_.end(),
                   [](const Change& a, const Change& b) { return a.tick < b.tick; });
  // Of several changes at one tick only the last counts.
  std::vector<Change> kept;
  for (const Change& c : changes_) {
    if (!kept.empty() && kept.back().tick == c.tick) kept.pop_back();
    kept.push_back(c);
  }
  changes_ = std::move(kept);
  std::int64_t tick = 0;
  double seconds = 0;
  std::uint32_t tempo = DefaultMicrosPerQuarter;
  for (Change& c : changes_) {
    seconds += static_cast<double>(c.tick - tick) * tempo / 1e6 / ticksPerQuarter_;
    c.seconds = seconds;
    tick = c.tick;
    tempo = c.microsPerQuarter;
  }
  prepared_ = true;
}

double TempoMap::Seconds(std::int64_t tick) {
  if (ticksPerQuarter_ == 0) return static_cast<double>(tick) / ticksPerSecond_;
  if (!prepared_) Prepare();
  // The last change at or before tick; before the first one the default tempo runs from tick 0.
  auto after = std::upper_bound(changes_.begin(), changes_.end(), tick,
                                [](std::int64_t t, const Change& c) { return t < c.tick; });
  if (after == changes_.begin()) return static_cast<double>(tick) * DefaultMicrosPerQuarter / 1e6 / ticksPerQuarter_;
  const Change& c = *(after - 1);
  return c.seconds + static_cast<double>(tick - c.tick) * c.microsPerQuarter / 1e6 / ticksPerQuarter_;
}

}  // namespace vlm
