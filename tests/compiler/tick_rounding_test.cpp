#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "compiler/tick_rounding.h"

namespace {

using vlm::GateTicks;
using vlm::HalfTicks;
using vlm::NoteValueTicks;
using vlm::RoundTicks;

// Lengths as musicians count them at the default 96 ticks a quarter, and the
// halves that round to the even neighbour.
TEST(TickRounding, KnownLengths) {
  EXPECT_EQ(NoteValueTicks(4, 96), 96);
  EXPECT_EQ(NoteValueTicks(3, 96), 128);
  EXPECT_EQ(NoteValueTicks(5, 96), 77);     // 76.8
  EXPECT_EQ(NoteValueTicks(256, 96), 2);    // 1.5 goes up to 2
  EXPECT_EQ(NoteValueTicks(768, 96), 0);    // 0.5 goes down to 0
  EXPECT_EQ(NoteValueTicks(7, 13), 7);      // 7.43
  EXPECT_EQ(HalfTicks(96), 48);
  EXPECT_EQ(HalfTicks(5), 2);               // 2.5
  EXPECT_EQ(HalfTicks(7), 4);               // 3.5
  EXPECT_EQ(HalfTicks(-5), -2);
  EXPECT_EQ(GateTicks(96, 14, 0), 84);
  EXPECT_EQ(GateTicks(1, 8, 0), 0);         // 0.5
  EXPECT_EQ(GateTicks(3, 8, 0), 2);         // 1.5
  EXPECT_EQ(GateTicks(24, 15, -3), 20);     // 22.5 - 3 = 19.5
  EXPECT_EQ(GateTicks(INT32_MAX, INT32_MAX, 0), INT32_MAX);
  EXPECT_EQ(GateTicks(INT32_MAX, INT32_MIN, 0), INT32_MIN);
}

// The integer forms against the double expressions they stand for, over
// every timebase the compiler accepts and far past the note values written.
TEST(TickRounding, NoteValuesRoundAsTheDoublesDo) {
  for (std::int32_t timebase = 13; timebase <= 1536; ++timebase)
    for (std::int32_t value = 1; value <= 2000; ++value)
      ASSERT_EQ(NoteValueTicks(value, timebase), RoundTicks(4.0 / value * timebase))
          << "value " << value << " timebase " << timebase;
  for (const std::int32_t value : {65535, 65536, 1 << 20, INT32_MAX})
    for (const std::int32_t timebase : {13, 96, 480, 1536})
      ASSERT_EQ(NoteValueTicks(value, timebase), RoundTicks(4.0 / value * timebase)) << value;
}

TEST(TickRounding, DotsAndGatesRoundAsTheDoublesDo) {
  std::vector<std::int64_t> ticks;
  for (std::int64_t t = -300; t <= 300; ++t) ticks.push_back(t);
  for (const std::int64_t t : {std::int64_t{INT32_MAX}, std::int64_t{INT32_MAX} - 1, std::int64_t{INT32_MIN},
                               std::int64_t{INT32_MAX} + 3})
    ticks.push_back(t);
  for (const std::int64_t t : ticks)
    ASSERT_EQ(HalfTicks(t), RoundTicks(static_cast<double>(t) / 2.0)) << t;

  const std::vector<std::int32_t> lengths = {0, 1, 2, 3, 7, 24, 95, 96, 97, 383, 1 << 20, (1 << 28) + 5, INT32_MAX};
  const std::vector<std::int32_t> offsets = {0, 1, -1, 5, -17, 1000, -(1 << 30), INT32_MAX, INT32_MIN};
  for (const std::int32_t length : lengths)
    for (std::int32_t gate = -40; gate <= 40; ++gate)
      for (const std::int32_t offset : offsets)
        ASSERT_EQ(GateTicks(length, gate, offset), RoundTicks(static_cast<double>(length) * gate / 16.0 + offset))
            << length << " " << gate << " " << offset;
  for (const std::int32_t gate : {1 << 16, INT32_MAX, INT32_MIN})
    for (const std::int32_t length : lengths)
      ASSERT_EQ(GateTicks(length, gate, 3), RoundTicks(static_cast<double>(length) * gate / 16.0 + 3)) << length;
}

}  // namespace
