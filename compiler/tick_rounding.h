#pragma once
// Tick arithmetic of note lengths. Every result is the double expression
// rounded half to even (RoundTicks), bit for bit; the integer forms below
// give the same value without a division and a library call per note where
// that is provably so, and fall back to the doubles elsewhere.

#include <cmath>
#include <cstdint>

namespace vlm {

// Rounds half to even, the rounding of every tick computation from note values.
inline std::int32_t RoundTicks(double value) {
  const double r = std::nearbyint(value);  // default rounding mode: half to even
  if (!(r >= -2147483648.0)) return INT32_MIN;
  if (r > 2147483647.0) return INT32_MAX;
  return static_cast<std::int32_t>(r);
}

// Y / 16 rounded half to even, for any Y (an arithmetic shift floors).
inline std::int64_t SixteenthsRounded(std::int64_t Y) {
  const std::int64_t floor = Y >> 4;
  const std::int64_t rest = Y & 15;
  return floor + (rest > 8 || (rest == 8 && (floor & 1) != 0));
}

// RoundTicks(4.0 / Value * Timebase): the ticks of note value Value (a
// quarter is 4). The quotient 4 * Timebase / Value is a multiple of 1 / Value,
// so unless it lies exactly halfway between two integers it lies at least
// 1 / (2 * Value) from such a point, far beyond the doubles' error at these
// magnitudes, and both round alike. A halfway quotient is left to the doubles,
// whose own rounding of 4.0 / Value decides it.
inline std::int32_t NoteValueTicks(std::int32_t Value, std::int32_t Timebase) {
  constexpr std::int32_t Bound = 1 << 20;  // Timebase and Value both below: the argument above holds
  if (Value <= 0 || Value >= Bound || Timebase <= 0 || Timebase >= Bound) return RoundTicks(4.0 / Value * Timebase);
  const auto whole = static_cast<std::uint32_t>(4 * Timebase);
  const auto value = static_cast<std::uint32_t>(Value);
  const std::uint32_t quotient = whole / value;
  const std::uint32_t twiceRest = 2 * (whole % value);
  if (twiceRest == value) return RoundTicks(4.0 / Value * Timebase);
  return static_cast<std::int32_t>(quotient + (twiceRest > value));
}

// RoundTicks(static_cast<double>(Ticks) / 2.0): the part a dot adds.
inline std::int32_t HalfTicks(std::int64_t Ticks) {
  if (Ticks < INT32_MIN || Ticks > INT32_MAX) return RoundTicks(static_cast<double>(Ticks) / 2.0);
  return static_cast<std::int32_t>(SixteenthsRounded(8 * Ticks));
}

// RoundTicks(static_cast<double>(Length) * Gate / 16.0 + Offset): the sounding
// part of a note of Length ticks. Below 2^44 the product, its sixteenth and
// the sum all hold exactly in a double, so the integers give the same value.
inline std::int32_t GateTicks(std::int32_t Length, std::int32_t Gate, std::int32_t Offset) {
  const std::int64_t product = static_cast<std::int64_t>(Length) * Gate;
  constexpr std::int64_t Exact = std::int64_t{1} << 44;
  if (product <= -Exact || product >= Exact) return RoundTicks(static_cast<double>(Length) * Gate / 16.0 + Offset);
  const std::int64_t r = SixteenthsRounded(product + 16 * static_cast<std::int64_t>(Offset));
  return r < INT32_MIN ? INT32_MIN : r > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(r);
}

}  // namespace vlm
