#pragma once
// MIDI beat clock for a sequence: when each Timing Clock of a pass is due, so
// that gear set to external sync (a drum machine, an arpeggiator, a DAW)
// follows the file's tempo, and where a play from a later position resumes.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "audio/midi_sequence.h"

namespace vlm {

// The system real-time and common messages of the beat clock.
inline constexpr std::uint8_t MidiTimingClock = 0xF8;
inline constexpr std::uint8_t MidiStart = 0xFA;
inline constexpr std::uint8_t MidiContinue = 0xFB;
inline constexpr std::uint8_t MidiStop = 0xFC;
inline constexpr std::uint8_t MidiSongPosition = 0xF2;  // then 14 bits of sixteenths, low 7 bits first

// Clocks per sixteenth note: a Song Position Pointer counts in these steps.
inline constexpr std::size_t ClocksPerSixteenth = 6;
// The largest position a Song Position Pointer can name.
inline constexpr std::uint16_t MaxSongPosition = 0x3FFF;

// The clocks of one pass of a sequence, 24 a quarter note. Clock k falls on
// tick k × division / 24 exactly: where the division is not a multiple of 24
// that tick is fractional, and its time is taken between its two whole ticks
// (the tempo only changes on whole ticks), so clocks never drift from the
// file. A file timed in SMPTE frames has no quarter note: its clock runs at
// MIDI's default 120 beats a minute. Reads the sequence's tempo map, which
// must outlive the schedule.
class ClockSchedule {
 public:
  explicit ClockSchedule(const MidiSequence& sequence);

  // Clocks of a pass: those before the end of the file. The first clock of
  // the next pass falls on that end, so a loop keeps the spacing across it.
  std::size_t Count() const { return count_; }
  // Seconds from the start of the file to clock k.
  double Seconds(std::size_t clock) const;
  // The first clock at or after `seconds` (Count() when none is).
  std::size_t FirstAtOrAfter(double seconds) const;

 private:
  const MessageList* messages_;  // the tempo map of the file
  std::uint16_t division_;       // ticks per quarter note; 0 for SMPTE time
  std::size_t count_;            // clocks of a pass
};

// Where a play that starts at `seconds` (after the start) resumes the beat
// clock: the Song Position Pointer to send before Continue, and the clock to
// send first. The position is rounded up to the next whole sixteenth, so the
// gear joins in step at the next sixteenth rather than late on the one
// already begun. Unset when that sixteenth is past what the pointer can name
// (MaxSongPosition): the gear is then left stopped rather than out of place.
struct ClockResume {
  std::uint16_t sixteenths = 0;  // the Song Position Pointer's value
  std::size_t clock = 0;         // the first clock to send; sixteenths × ClocksPerSixteenth
};
std::optional<ClockResume> ResumeClockAt(const ClockSchedule& schedule, double seconds);

}  // namespace vlm
