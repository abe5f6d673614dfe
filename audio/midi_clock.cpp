#include "audio/midi_clock.h"

#include <cmath>

namespace vlm {

namespace {

constexpr std::int64_t ClocksPerQuarter = 24;
constexpr double SmpteClocksPerSecond = 48;  // 24 a quarter at 120 beats a minute

}  // namespace

ClockSchedule::ClockSchedule(const MidiSequence& sequence)
    : messages_(&sequence.messages), division_(sequence.division & 0x8000 ? 0 : sequence.division) {
  // Clock k is before the end while k × division < 24 × end tick.
  if (division_ == 0)
    count_ = static_cast<std::size_t>(std::ceil(sequence.lengthSeconds * SmpteClocksPerSecond));
  else
    count_ = static_cast<std::size_t>((ClocksPerQuarter * sequence.lengthTicks + division_ - 1) / division_);
}

// Worked from k each time, never by adding up spacings, so that no rounding
// builds up over a long file.
double ClockSchedule::Seconds(std::size_t clock) const {
  if (division_ == 0) return static_cast<double>(clock) / SmpteClocksPerSecond;
  const auto scaled = static_cast<std::int64_t>(clock) * division_;
  const std::int64_t tick = scaled / ClocksPerQuarter;
  const std::int64_t remainder = scaled % ClocksPerQuarter;
  const double seconds = messages_->Seconds(tick);
  if (remainder == 0) return seconds;
  return seconds + (messages_->Seconds(tick + 1) - seconds) * static_cast<double>(remainder) / ClocksPerQuarter;
}

std::size_t ClockSchedule::FirstAtOrAfter(double seconds) const {
  std::size_t low = 0, high = count_;
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    if (Seconds(middle) < seconds) low = middle + 1;
    else high = middle;
  }
  return low;
}

std::optional<ClockResume> ResumeClockAt(const ClockSchedule& schedule, double seconds) {
  const std::size_t first = schedule.FirstAtOrAfter(seconds);
  const std::size_t sixteenths = (first + ClocksPerSixteenth - 1) / ClocksPerSixteenth;
  if (sixteenths > MaxSongPosition) return std::nullopt;
  return ClockResume{static_cast<std::uint16_t>(sixteenths), sixteenths * ClocksPerSixteenth};
}

}  // namespace vlm
