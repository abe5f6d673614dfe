#pragma once
// What the players need of a Standard MIDI File: every message a synthesizer
// acts on, merged from all tracks into one list ordered by time, with each
// time already converted to seconds through the file's tempo map.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vlm {

// A file that cannot be read or is not a well-formed MIDI file. The text says
// which file, what is wrong and where (track and byte offset).
class SmfError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TimedMessage {
  double seconds = 0;               // from the start of the file, after the tempo map
  std::int64_t tick = 0;            // absolute time in the file's ticks
  int track = 0;                    // index of the track chunk it came from, from 0
  std::vector<std::uint8_t> bytes;  // a channel message (status and data bytes), or F0 + exclusive data
};

struct MidiSequence {
  int format = 1;                      // 0 or 1
  int trackCount = 0;                  // track chunks read
  std::vector<TimedMessage> messages;  // ordered by time; equal times keep track order, then file order
  double lengthSeconds = 0;            // time of the latest event of any track, end-of-track included
};

// Reads a whole file (format 0 or 1) strictly: running status is accepted, but
// anything a careful reader would reject throws SmfError.
MidiSequence ParseMidiFile(const std::vector<std::uint8_t>& bytes);

// Loads and parses a file; errors name the file.
MidiSequence LoadMidiFile(const std::string& path);

}  // namespace vlm
