#include <gtest/gtest.h>

#include <set>

#include "common/instr.h"
#include "common/random.h"

namespace {

TEST(Random, FollowsTheLinearCongruentialSequence) {
  vlm::RandomGenerator g{0};
  EXPECT_EQ(g.Random(100), 0);
  EXPECT_EQ(g.Seed, 1u);
  EXPECT_EQ(g.Random(100), 3);  // seed 134775814: (134775814 * 100) >> 32
  EXPECT_EQ(g.Seed, 134775814u);
  // N is read as unsigned: -1 is 4294967295, so the draw is the new seed
  // (0x80000001) less one.
  g.Seed = 0x80000000u;
  EXPECT_EQ(static_cast<std::uint32_t>(g.Random(-1)), 0x80000000u);
}

TEST(Random, StaysInRangeAndGivesZeroForZero) {
  vlm::RandomGenerator g{12345};
  for (int i = 0; i < 10000; ++i) {
    const int r = g.Random(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
  }
  EXPECT_EQ(g.Random(0), 0);
}

TEST(Random, SameSeedSameSequenceAndGeneratorsDoNotShareState) {
  vlm::RandomGenerator a{987654321}, b{987654321};
  std::vector<int> first;
  for (int i = 0; i < 20; ++i) first.push_back(a.Random(1000));
  vlm::RandomGenerator other{5};
  for (int i = 0; i < 20; ++i) {
    other.Random(1000);  // draws elsewhere leave b's sequence alone
    EXPECT_EQ(b.Random(1000), first[i]);
  }
  // A copy goes on from where its original stood.
  vlm::RandomGenerator copy = a;
  EXPECT_EQ(copy.Random(1000), a.Random(1000));
}

// Seeds drawn one after another differ, in their high bits too: a constant,
// or a clock read in milliseconds, gives the same value many times over.
TEST(Random, SystemSeedsDifferFromCallToCall) {
  std::set<std::uint32_t> seeds, highHalves;
  for (int i = 0; i < 16; ++i) {
    const std::uint32_t seed = vlm::SystemSeed();
    seeds.insert(seed);
    highHalves.insert(seed >> 16);
  }
  EXPECT_GE(seeds.size(), 15u);
  EXPECT_GE(highHalves.size(), 12u);
}

TEST(InStr, FindsFromAPositionWithOptionalCaseFolding) {
  EXPECT_EQ(vlm::InStr("abcabc", "CA", 2, true), 3);
  EXPECT_EQ(vlm::InStr("abcabc", "CA", 2, false), 0);
  EXPECT_EQ(vlm::InStr("abcabc", "abc", 2), 4);
  EXPECT_EQ(vlm::InStr("abc", "c", 4), 0);
  EXPECT_EQ(vlm::InStr("", "x", 1), 0);
}

}  // namespace
