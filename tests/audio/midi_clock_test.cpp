// When the beat clock's ticks fall, worked by hand from the files' tempos.
#include "audio/midi_clock.h"

#include <gtest/gtest.h>

#include "tests/audio/audio_support.h"

namespace {

using vlmtest::BuildSmf;
using vlmtest::TrackBytes;

// A tempo meta event of microsPerQuarter.
TrackBytes& Tempo(TrackBytes& track, std::uint32_t delta, std::uint32_t microsPerQuarter) {
  return track.Event(delta, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(microsPerQuarter >> 16),
                             static_cast<std::uint8_t>(microsPerQuarter >> 8),
                             static_cast<std::uint8_t>(microsPerQuarter)});
}

// One track: the tempo changes given (tick, tempo), then an end at endTick.
vlm::MidiSequence Sequence(std::uint16_t division, std::vector<std::pair<std::uint32_t, std::uint32_t>> tempos,
                           std::uint32_t endTick) {
  TrackBytes track;
  std::uint32_t at = 0;
  for (const auto& [tick, tempo] : tempos) {
    Tempo(track, tick - at, tempo);
    at = tick;
  }
  track.End(endTick - at);
  return vlm::ParseMidiFile(BuildSmf(0, division, {track}));
}

// ---- where the clocks fall ----

// 125 beats a minute is 480 ms a quarter: a clock every 20 ms, every 20 ticks
// at 480 ticks a quarter. Halved to 62.5 at the second quarter, every 40 ms.
TEST(ClockSchedule, FollowsTheTempoAndItsChanges) {
  const vlm::MidiSequence steady = Sequence(480, {{0, 480000}}, 4 * 480);
  const vlm::ClockSchedule clock(steady);
  EXPECT_EQ(clock.Count(), 96u);
  EXPECT_DOUBLE_EQ(clock.Seconds(0), 0);
  EXPECT_DOUBLE_EQ(clock.Seconds(1), 0.02);
  EXPECT_DOUBLE_EQ(clock.Seconds(95), 1.9);

  const vlm::MidiSequence changing = Sequence(480, {{0, 480000}, {480, 960000}}, 3 * 480);
  const vlm::ClockSchedule slower(changing);
  EXPECT_EQ(slower.Count(), 72u);
  EXPECT_DOUBLE_EQ(slower.Seconds(24), 0.48);
  EXPECT_DOUBLE_EQ(slower.Seconds(25), 0.52);
  EXPECT_DOUBLE_EQ(slower.Seconds(71), 0.48 + 47 * 0.04);
}

// 100 ticks a quarter: clock k is on tick 100k/24, between whole ticks for
// most k. At 120 beats a minute (the default) that is k/48 s; after a change
// to 60 at tick 50 (clock 12) the clocks are 1/24 s apart.
TEST(ClockSchedule, FallsBetweenWholeTicksWithoutDrifting) {
  const vlm::MidiSequence file = Sequence(100, {{50, 1000000}}, 200);
  const vlm::ClockSchedule clock(file);
  EXPECT_EQ(clock.Count(), 48u);
  EXPECT_NEAR(clock.Seconds(11), 11.0 / 48, 1e-12);
  EXPECT_NEAR(clock.Seconds(13), 0.25 + 1.0 / 24, 1e-12);

  // 25 ticks a quarter at 120: a thousand quarters on, clock 24000 is at
  // exactly 500 s, where adding up 1/48 s would have drifted.
  const vlm::MidiSequence odd = Sequence(25, {}, 25000);
  EXPECT_DOUBLE_EQ(vlm::ClockSchedule(odd).Seconds(24000), 500);
}

// A pass's clocks are those before its end: the clock on the end is the next
// pass's first. An end one tick later takes that clock in.
TEST(ClockSchedule, CountsTheClocksBeforeTheEnd) {
  EXPECT_EQ(vlm::ClockSchedule(Sequence(480, {}, 480)).Count(), 24u);
  EXPECT_EQ(vlm::ClockSchedule(Sequence(480, {}, 481)).Count(), 25u);
  EXPECT_EQ(vlm::ClockSchedule(Sequence(480, {}, 0)).Count(), 0u);
  // SMPTE time, 25 frames of 40 ticks: no quarter note, so 120 beats a minute.
  const vlm::MidiSequence smpte = vlm::ParseMidiFile(BuildSmf(0, 0xE728, {TrackBytes().End(1000)}));
  const vlm::ClockSchedule clock(smpte);
  EXPECT_EQ(clock.Count(), 48u);
  EXPECT_DOUBLE_EQ(clock.Seconds(24), 0.5);
}

// ---- resuming from a later position ----

// At 125 beats a minute a sixteenth is 6 clocks, 120 ms. A position inside a
// sixteenth resumes at the next one; one on a sixteenth resumes there. The
// pointer names 16383 sixteenths at most; past that there is no resuming.
TEST(ResumeClockAt, PlacesTheGearOnTheNextWholeSixteenthWithinThePointersRange) {
  const vlm::MidiSequence file = Sequence(480, {{0, 480000}}, 5000 * 480);
  const vlm::ClockSchedule clock(file);
  const auto inside = vlm::ResumeClockAt(clock, 0.13);
  ASSERT_TRUE(inside);
  EXPECT_EQ(inside->sixteenths, 2);
  EXPECT_EQ(inside->clock, 12u);
  const auto on = vlm::ResumeClockAt(clock, clock.Seconds(18));
  ASSERT_TRUE(on);
  EXPECT_EQ(on->sixteenths, 3);
  const auto last = vlm::ResumeClockAt(clock, clock.Seconds(16383 * 6));
  ASSERT_TRUE(last);
  EXPECT_EQ(last->sixteenths, 16383);
  EXPECT_FALSE(vlm::ResumeClockAt(clock, clock.Seconds(16383 * 6 + 1)));
}

}  // namespace
