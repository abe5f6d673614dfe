#pragma once
// The quicksort that puts a track's events in order of time. Its order of
// events of equal time is part of the file format: it must not be replaced
// by std::sort or any other sort.

#include <cstdint>

namespace vlm {

// An event as the store keeps it and the sort moves it, one word: its time in
// the high half, offset by 2^31 so that unsigned order is the order of the
// signed times (differences are unchanged), and its four-byte body in the
// low half.
inline std::uint64_t SortWord(std::int32_t Time, std::uint32_t Body) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(Time) ^ 0x80000000u) << 32 | Body;
}
inline std::int32_t SortWordTime(std::uint64_t Word) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(Word >> 32) ^ 0x80000000u);
}
inline std::uint32_t SortWordBody(std::uint64_t Word) { return static_cast<std::uint32_t>(Word); }

// Words held in fixed chunks, the K-th at Chunks[K >> ChunkShift] at
// K & (ChunkWords - 1): a store grows by chunks without moving its events,
// and is sorted where it lies.
struct ChunkedWords {
  static constexpr int ChunkShift = 12;
  static constexpr std::int32_t ChunkWords = 1 << ChunkShift;  // 32 KiB

  std::uint64_t* const* Chunks;
  std::uint64_t& operator[](std::int32_t K) const { return Chunks[K >> ChunkShift][K & (ChunkWords - 1)]; }
};

// Sorts Words[0..Count) by time with a Hoare-style quicksort: middle pivot,
// both scans stopping at equal times, times compared as their difference
// wrapped to 32 bits. Events of equal time end in the order its steps give.
// Tags, when given (Count entries), is moved as the words are: afterwards
// Tags[K] is the tag of the event that ended at K. The words move the same
// with or without it.
//
// The steps have a budget of some 4 n log2 n events passed: an input built
// against the middle pivot, or times wrapped past 2^31 ticks, would take
// quadratic time, minutes for a few hundred thousand events. Past it a
// stable sort by time finishes the work, and the result is false.
bool QuicksortByTime(ChunkedWords Words, std::int32_t Count, std::uint32_t* Tags = nullptr);

}  // namespace vlm
