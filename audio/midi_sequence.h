#pragma once
// What the players need of a Standard MIDI File: every message a synthesizer
// acts on, merged from all tracks into one list ordered by time, with each
// time converted to seconds through the file's tempo map.

#include <cstdint>
#include <iterator>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "audio/tempo_map.h"

namespace vlm {

// A file that cannot be read or is not a well-formed MIDI file. The text says
// which file, what is wrong and where (track and byte offset).
class SmfError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One message of a sequence, read from it; bytes stay valid while the
// sequence does.
struct TimedMessage {
  double seconds = 0;                   // from the start of the file, after the tempo map
  std::int64_t tick = 0;                // absolute time in the file's ticks
  int track = 0;                        // index of the track chunk it came from, from 0
  std::span<const std::uint8_t> bytes;  // a channel message (status and data bytes), or F0 + exclusive data
};

// The messages of a file, packed: 12 bytes each with a channel message's
// bytes inline, exclusive data in one pool, seconds worked out on reading.
// A file of 4-byte events (as the compiler writes them) takes three times
// its size, and no file more than seven (running status: 2 bytes an event).
class MessageList {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = TimedMessage;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = TimedMessage;
    Iterator() = default;
    Iterator(const MessageList* list, std::size_t at) : list_(list), at_(at) {}
    TimedMessage operator*() const { return (*list_)[at_]; }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    Iterator operator++(int) { return Iterator(list_, at_++); }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }

   private:
    const MessageList* list_ = nullptr;
    std::size_t at_ = 0;
  };

  std::size_t size() const { return packed_.size(); }
  bool empty() const { return packed_.empty(); }
  TimedMessage operator[](std::size_t at) const;
  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, size()); }
  // Bytes the list holds, its tempo map included.
  std::size_t MemoryBytes() const;
  // Seconds from the start to tick, through the file's tempo map.
  double Seconds(std::int64_t tick) const { return tempo_.Seconds(tick); }

 private:
  friend class SequenceBuilder;

  struct Packed {
    std::uint32_t tick;   // files with later messages are refused
    std::uint16_t track;  // a header counts at most 65535 tracks
    std::uint8_t size;    // bytes of a channel message (1..3); 0 for an exclusive message
    std::uint8_t unused;
    union {
      std::uint8_t bytes[4];   // a channel message
      std::uint32_t exclusive; // index into exclusiveStarts_
    };
  };
  static_assert(sizeof(Packed) == 12);

  std::vector<Packed> packed_;                  // ordered by time
  std::vector<std::uint8_t> exclusiveBytes_;    // F0 + data of every exclusive message, one after another
  std::vector<std::uint32_t> exclusiveStarts_;  // where each one begins, and the end of the last
  TempoMap tempo_{96};
};

struct MidiSequence {
  int format = 1;           // 0 or 1
  int trackCount = 0;       // track chunks read
  MessageList messages;     // ordered by time; equal times keep track order, then file order
  double lengthSeconds = 0; // time of the latest event of any track, end-of-track included
  std::int64_t lengthTicks = 0;  // the same time in the file's ticks
  std::uint16_t division = 96;   // the header's division field (see TempoMap)
};

// Reads a whole file (format 0 or 1) strictly: running status is accepted, but
// anything a careful reader would reject throws SmfError.
MidiSequence ParseMidiFile(const std::vector<std::uint8_t>& bytes);

// Loads and parses a file; errors name the file.
MidiSequence LoadMidiFile(const std::string& path);

}  // namespace vlm
