#include <gtest/gtest.h>

#include "tests/app/form_fixture.h"
#include "tests/app/generator_sim.h"

namespace vlmtest {
namespace {

std::array<int, 8> RhythmWeights(vlm::TForm1& f) {
  std::array<int, 8> w{};
  for (int j = 1; j <= 7; ++j) w[j] = f.Ryt(j).Position();
  return w;
}

TEST_F(FormTest, RhythmFollowsTheDrawOrderForAFixedSeed) {
  auto& f = Start();
  EXPECT_EQ(f.memRythm, "NNNNNNNNNNNNNNNN");
  for (std::uint32_t seed : {1u, 42u, 2024u, 4294967295u}) {
    form->Rng.Seed = seed;
    std::uint32_t after = 0;
    const std::string expected = SimulateRhythm(seed, 16, RhythmWeights(f), &after);
    f.MakeRythm1Click();
    EXPECT_EQ(f.memRythm, expected) << "seed " << seed;
    EXPECT_EQ(form->Rng.Seed, after) << "no draw more or less than the rules make";
  }
  f.speLength.SetValue(128);
  form->Rng.Seed = 7;
  f.MakeRythm1Click();
  EXPECT_EQ(f.memRythm, SimulateRhythm(7, 128, RhythmWeights(f)));
}

TEST_F(FormTest, RhythmNeverStartsWithATie) {
  auto& f = Start();
  f.speLength.SetValue(1);
  f.ryt3.SetPosition(100);
  for (std::uint32_t seed = 0; seed < 300; ++seed) {
    form->Rng.Seed = seed;
    f.MakeRythm1Click();
    ASSERT_EQ(f.memRythm.size(), 1u);
    ASSERT_NE(f.memRythm, "^") << "seed " << seed;
  }
}

TEST_F(FormTest, RhythmWithOnlyTheNoteWeightIsAllNotes) {
  auto& f = Start();
  for (int j = 2; j <= 7; ++j) f.Ryt(j).SetPosition(0);
  f.ryt1.SetPosition(0);  // stores 2, the bar's minimum
  EXPECT_EQ(f.ryt1.Position(), 2);
  f.speLength.SetValue(40);
  f.MakeRythm1Click();
  EXPECT_EQ(f.memRythm, std::string(40, 'N'));
}

TEST_F(FormTest, RhythmMostlyTiesAfterTheFirstStep) {
  auto& f = Start();
  for (int j = 1; j <= 7; ++j) f.Ryt(j).SetPosition(0);
  f.ryt3.SetPosition(100);
  f.speLength.SetValue(128);
  f.MakeRythm1Click();
  EXPECT_EQ(f.memRythm[0], 'N');
  const auto ties = std::count(f.memRythm.begin(), f.memRythm.end(), '^');
  EXPECT_EQ(ties + std::count(f.memRythm.begin(), f.memRythm.end(), 'N'), 128);
  EXPECT_GT(ties, 110);  // about 50 in 51
}

TEST_F(FormTest, RhythmLengthTextZeroGivesAnEmptyRhythm) {
  auto& f = Start();
  f.speLength.SetText("0");
  f.MakeRythm1Click();
  EXPECT_EQ(f.memRythm, "");
}

TEST_F(FormTest, RandomRhythmWeightsDrawInOrderAndKeepTheNoteWeight) {
  auto& f = Start();
  for (std::uint32_t seed : {3u, 500u, 81818u}) {
    form->Rng.Seed = seed;
    Lcg g{seed};
    std::array<int, 8> expected{};
    for (int j = 1; j <= 7; ++j) expected[j] = g.Next(100);
    expected[1] = std::max(expected[1], 2);
    f.btnRythmRndClick();
    EXPECT_EQ(RhythmWeights(f), expected) << "seed " << seed;
  }
  for (std::uint32_t seed = 0; seed < 200; ++seed) {
    form->Rng.Seed = seed;
    f.btnRythmRndClick();
    ASSERT_GE(f.ryt1.Position(), 2);
    for (int j = 1; j <= 7; ++j) ASSERT_LT(f.Ryt(j).Position(), 100);
  }
}

TEST_F(FormTest, GateHintsFollowTheirBars) {
  auto& f = Start();
  EXPECT_EQ(f.GateNormal.Hint, "16");
  EXPECT_EQ(f.GateMute.Hint, "4");
  f.GateNormal.SetPosition(40);
  f.GateMute.SetPosition(7);
  EXPECT_EQ(f.GateNormal.Hint, "32");
  EXPECT_EQ(f.GateMute.Hint, "7");
}

}  // namespace
}  // namespace vlmtest
