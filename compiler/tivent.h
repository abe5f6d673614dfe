#pragma once
// One track's event store: complete SMF event bodies (no delta time), each
// stamped with an absolute tick time that may be negative.

#include <cstdint>
#include <vector>

namespace vlm {

struct TiventRec {
  std::int32_t Time;  // absolute ticks; negative before the start of the piece
  std::int32_t Pos;   // offset of the first byte in Stream
  std::int32_t Len;   // number of bytes
};

class Tivent {
 public:
  static constexpr std::int32_t MaxEventBytes = 256;  // the SMF writer's buffer size

  // Appends one event. Out of memory, or an event longer than MaxEventBytes,
  // beeps and shows "Tivent write error! Out Of Memory"; the event is dropped.
  void Add(std::int32_t Time, const std::uint8_t* Data, std::int32_t Len);

  // Copies event Index (current order) into Buffer (MaxEventBytes long).
  void GetEvent(std::int32_t Index, std::int32_t& Time, std::uint8_t* Buffer,
                std::int32_t& Len) const;

  // Unstable quicksort by Time; its order of equal times is part of the file format.
  void Sort();
  std::int32_t Count() const { return static_cast<std::int32_t>(Items.size()); }
  // Bytes of all events together (for sizing the file buffer).
  std::size_t ByteCount() const { return Stream.size(); }
  void Clear();

 private:
  std::vector<std::uint8_t> Stream;  // event bytes back to back, in order of addition
  std::vector<TiventRec> Items;      // one record per event; sorted by Sort
};

}  // namespace vlm
