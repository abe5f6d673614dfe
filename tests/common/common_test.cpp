#include <gtest/gtest.h>

#include "common/instr.h"
#include "common/random.h"

namespace {

TEST(Random, FollowsTheLinearCongruentialSequence) {
  vlm::Seed = 0;
  EXPECT_EQ(vlm::Random(100), 0);
  EXPECT_EQ(vlm::Seed, 1u);
  EXPECT_EQ(vlm::Random(100), 3);  // seed 134775814: (134775814 * 100) >> 32
  EXPECT_EQ(vlm::Seed, 134775814u);
}

TEST(Random, StaysInRangeAndGivesZeroForZero) {
  vlm::Seed = 12345;
  for (int i = 0; i < 10000; ++i) {
    const int r = vlm::Random(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
  }
  EXPECT_EQ(vlm::Random(0), 0);
}

TEST(Random, SameSeedSameSequence) {
  vlm::Seed = 987654321;
  std::vector<int> first;
  for (int i = 0; i < 20; ++i) first.push_back(vlm::Random(1000));
  vlm::Seed = 987654321;
  for (int i = 0; i < 20; ++i) EXPECT_EQ(vlm::Random(1000), first[i]);
}

TEST(InStr, FindsFromAPositionWithOptionalCaseFolding) {
  EXPECT_EQ(vlm::InStr("abcabc", "CA", 2, true), 3);
  EXPECT_EQ(vlm::InStr("abcabc", "CA", 2, false), 0);
  EXPECT_EQ(vlm::InStr("abcabc", "abc", 2), 4);
  EXPECT_EQ(vlm::InStr("abc", "c", 4), 0);
  EXPECT_EQ(vlm::InStr("", "x", 1), 0);
}

}  // namespace
