#pragma once
// Converts absolute ticks into seconds for a MIDI file's time division and
// tempo changes. Internal to the SMF reader; exposed for its tests.

#include <cstdint>
#include <vector>

namespace vlm {

class TempoMap {
 public:
  // division: the header's division field. Top bit clear: ticks per quarter
  // note (tempo changes apply). Top bit set: SMPTE frames per second (as a
  // negative byte) and ticks per frame (tempo changes are ignored).
  explicit TempoMap(std::uint16_t division);

  // Microseconds per quarter note from tick on. Changes may come in any order;
  // of two at the same tick the later call wins.
  void AddChange(std::int64_t tick, std::uint32_t microsPerQuarter);
  // Orders the changes; once after the last AddChange, before Seconds. A
  // prepared map is only read, so threads may share it.
  void Prepare();

  // Seconds from tick 0 to tick.
  double Seconds(std::int64_t tick) const;
  // Room taken by the changes; Reserve sets it aside for count of them.
  std::size_t MemoryBytes() const { return changes_.capacity() * sizeof(Change); }
  void Reserve(std::size_t count) { changes_.reserve(count); }

 private:
  struct Change {
    std::int64_t tick;              // where the tempo takes effect
    std::uint32_t microsPerQuarter; // the tempo from there on
    double seconds;                 // time of tick, filled in by Prepare
  };
  double ticksPerQuarter_ = 0;  // 0 for SMPTE time
  double ticksPerSecond_ = 0;   // SMPTE time only
  std::vector<Change> changes_; // sorted by tick once prepared
};

}  // namespace vlm
