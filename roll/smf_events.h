#pragma once
// The parts of a Standard MIDI File a piano roll draws: notes paired from
// their note-on and note-off, pitch-bend changes, tempo changes and the
// time signature. A small reader of its own, so that the roll needs neither
// the synthesizer library nor the toolkit.

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace vlm::roll {

// Bytes that are no well-formed MIDI file; the text says what and where.
class SmfReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct SmfNote {
  std::int32_t Chunk = 0;         // track chunk, from 0
  std::int32_t Channel = 0;       // 0..15
  std::int32_t Pitch = 0;         // MIDI note number
  std::int32_t Velocity = 0;      // of the note-on, 1..127
  std::int64_t StartTick = 0;     // note-on
  std::int64_t LengthTicks = 0;   // note-on to its note-off: the length as played
  std::int32_t OnIndex = 0;       // place among all note-ons of the file, in file order
};

struct SmfBend {
  std::int32_t Chunk = 0;
  std::int32_t Channel = 0;
  std::int64_t Tick = 0;
  std::int32_t Value = 0;  // -8192..8191, 0 the centre
};

struct SmfTempo {
  std::int64_t Tick = 0;
  std::int32_t MicrosPerQuarter = 500000;
};

struct SmfEvents {
  std::int32_t Timebase = 96;            // ticks per quarter note
  std::vector<SmfNote> Notes;            // by start tick, then file order
  std::vector<SmfBend> Bends;            // by chunk and channel, then tick
  std::vector<SmfTempo> Tempos;          // by tick; the first at tick 0
  std::int32_t BeatsPerBar = 4;          // time signature numerator
  std::int32_t BeatUnit = 4;             // its denominator (4: a quarter note)
  std::int64_t EndTick = 0;              // latest event of any chunk
};

// Reads format 0 or 1 with ticks per quarter note. A note-on without a
// note-off ends at its chunk's end; a note-off without a note-on is ignored.
// Throws SmfReadError.
SmfEvents ReadSmfEvents(std::string_view bytes);

}  // namespace vlm::roll
