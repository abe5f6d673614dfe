#pragma once
// The quicksort that puts a track's events in order of time. Its order of
// events of equal time is part of the file format: it must not be replaced
// by std::sort or any other sort.

#include <cstdint>

namespace vlm {

// An event as the sort moves it: its time in the high half, offset by 2^31 so
// that unsigned order is the order of the signed times (differences are
// unchanged), and its four-byte body in the low half.
inline std::uint64_t SortWord(std::int32_t Time, std::uint32_t Body) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(Time) ^ 0x80000000u) << 32 | Body;
}
inline std::int32_t SortWordTime(std::uint64_t Word) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(Word >> 32) ^ 0x80000000u);
}

// Sorts Words[0..Count) by time with a Hoare-style quicksort: middle pivot,
// both scans stopping at equal times, times compared as their difference
// wrapped to 32 bits. Events of equal time end in the order its steps give.
void QuicksortByTime(std::uint64_t* Words, std::int32_t Count);

}  // namespace vlm
