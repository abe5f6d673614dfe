#include <gtest/gtest.h>

#include "tests/app/form_fixture.h"
#include "tests/app/generator_sim.h"

namespace vlmtest {
namespace {

PatternSimulation SimulationOf(vlm::TForm1& f, std::uint32_t seed) {
  PatternSimulation sim{Lcg{seed}};
  sim.low = std::min(f.speOlow.Value(), f.speOhigh.Value());
  sim.high = std::max(f.speOlow.Value(), f.speOhigh.Value());
  sim.gateNormal = f.GateNormal.Position();
  sim.gateMute = f.GateMute.Position();
  sim.onpu = f.speOnpu.Value();
  for (int k = 1; k <= 12; ++k) sim.scale[k] = f.Scl(k).Position();
  return sim;
}

// Only pitch class C sounds and every note is in octave 4, so the pattern's
// shape can be written down directly.
void OnlyCInOctaveFour(vlm::TForm1& f) {
  for (int k = 2; k <= 12; ++k) f.Scl(k).SetPosition(0);
  f.Scl(1).SetPosition(100);
  f.speOlow.SetValue(4);
  f.speOhigh.SetValue(4);
}

TEST_F(FormTest, PatternFollowsTheDrawOrderForAFixedSeed) {
  auto& f = Start();
  f.memRythm = "NrmdBW^NmmdW";
  f.speLength.SetValue(30);
  for (std::uint32_t seed : {1u, 99u, 31337u, 4000000000u}) {
    auto sim = SimulationOf(f, seed);
    const std::string expected = sim.Build(f.memRythm, 30);
    form->Rng.Seed = seed;
    f.MakePattern1Click();
    EXPECT_EQ(f.memPatten, expected) << "seed " << seed;
    EXPECT_EQ(form->Rng.Seed, sim.g.state);
  }
  EXPECT_TRUE(warnings.warnings.empty());
}

TEST_F(FormTest, PatternExampleComesOutOfTheDraws) {
  auto& f = Start();
  for (int k = 1; k <= 12; ++k) f.Scl(k).SetPosition(k == 1 || k == 8 ? 100 : 0);  // C and G
  f.speOlow.SetValue(4);
  f.speOhigh.SetValue(5);
  f.speLength.SetValue(4);
  f.memRythm = "NrN^";
  // The first seed whose draws give octave 5 and C, then octave 4 and G.
  std::uint32_t seed = 0;
  for (;; ++seed) {
    auto sim = SimulationOf(f, seed);
    if (sim.Build(f.memRythm, 4) == "l16o5q16cro4g^") break;
    ASSERT_LT(seed, 100000u);
  }
  form->Rng.Seed = seed;
  f.MakePattern1Click();
  EXPECT_EQ(f.memPatten, "l16o5q16cro4g^");
}

TEST_F(FormTest, PatternRepeatsAShortRhythmAndCutsALongOne) {
  auto& f = Start();
  OnlyCInOctaveFour(f);
  f.memRythm = "Nr";
  f.speLength.SetValue(5);
  f.MakePattern1Click();
  EXPECT_EQ(f.memPatten, "l16o4q16crcrc");
  f.memRythm = "N^^rrrrrrrrr";
  f.speLength.SetValue(3);
  f.MakePattern1Click();
  EXPECT_EQ(f.memPatten, "l16o4q16c^^");
}

TEST_F(FormTest, PatternWritesOctaveAndGateOnlyWhenTheyChange) {
  auto& f = Start();
  OnlyCInOctaveFour(f);
  f.memRythm = "mNWBNN";
  f.speLength.SetValue(6);
  f.MakePattern1Click();
  EXPECT_EQ(f.memPatten, "l16o4q4cq16cc0cACB(0,64,,0,,0)ccc");
}

TEST_F(FormTest, SplitStepsUseTwiceOrThriceTheBasicValue) {
  auto& f = Start();
  OnlyCInOctaveFour(f);
  f.speOnpu.SetText("8");
  f.memRythm = "d";
  f.speLength.SetValue(1);
  bool sawPair = false, sawTriplet = false;
  for (std::uint32_t seed = 0; seed < 50; ++seed) {
    form->Rng.Seed = seed;
    Lcg g{seed};
    const bool triplet = g.Next(100) <= 30;
    f.MakePattern1Click();
    EXPECT_EQ(f.memPatten, triplet ? "l8o4q16c24c24c24" : "l8o4q16c16c16") << "seed " << seed;
    (triplet ? sawTriplet : sawPair) = true;
  }
  EXPECT_TRUE(sawPair && sawTriplet);
}

TEST_F(FormTest, ChordNotesCarryAnOctaveOnlyWhenItDiffers) {
  auto& f = Start();
  f.memRythm = "W";
  f.speLength.SetValue(1);
  for (std::uint32_t seed = 0; seed < 40; ++seed) {
    form->Rng.Seed = seed;
    f.MakePattern1Click();
    auto sim = SimulationOf(f, seed);
    EXPECT_EQ(f.memPatten, sim.Build("W", 1));
    const auto zero = f.memPatten.find('0');
    ASSERT_NE(zero, std::string::npos);
    EXPECT_EQ(f.memPatten.find('q', zero), std::string::npos) << f.memPatten;
  }
}

TEST_F(FormTest, EmptyRhythmIsDrawnBeforeThePattern) {
  auto& f = Start();
  f.memRythm.clear();
  f.speLength.SetValue(8);
  form->Rng.Seed = 5;
  std::uint32_t afterRhythm = 0;
  const std::string rhythm = SimulateRhythm(5, 8, {0, 80, 10, 60, 20, 8, 8, 8}, &afterRhythm);
  auto sim = SimulationOf(f, afterRhythm);
  const std::string expected = sim.Build(rhythm, 8);
  f.MakePattern1Click();
  EXPECT_EQ(f.memRythm, rhythm);
  EXPECT_EQ(f.memPatten, expected);
}

TEST_F(FormTest, UnknownRhythmCharactersRestWithOneWarning) {
  auto& f = Start();
  OnlyCInOctaveFour(f);
  f.memRythm = "Nx\nN";
  f.speLength.SetValue(4);
  f.MakePattern1Click();
  EXPECT_EQ(f.memPatten, "l16o4q16crrc");
  EXPECT_EQ(warnings.warnings, std::vector<std::string>{"Rythm窓に指定エラーがあります。"});
}

TEST_F(FormTest, AllWeightsZeroWarnsForEveryNote) {
  auto& f = Start();
  for (int k = 1; k <= 12; ++k) f.Scl(k).SetPosition(0);
  f.speOlow.SetValue(4);
  f.speOhigh.SetValue(4);
  f.memRythm = "NNr";
  f.speLength.SetValue(3);
  f.MakePattern1Click();
  EXPECT_EQ(f.memPatten, "l16o4q16rrr");
  EXPECT_EQ(warnings.warnings, std::vector<std::string>(2, "RetNoteNo Error!"));
}

TEST_F(FormTest, LowestOctaveAboveHighestDrawsFromTheSwappedRange) {
  auto& f = Start();
  f.speOlow.SetValue(0);
  f.speOhigh.SetValue(3);
  f.speOlow.SetValue(7);  // only the highest octave is guarded
  ASSERT_EQ(f.speOhigh.Value(), 3);
  f.memRythm = "N";
  f.speLength.SetValue(64);
  f.MakePattern1Click();
  auto sim = SimulationOf(f, 1);
  EXPECT_EQ(sim.low, 3);
  EXPECT_EQ(sim.high, 7);
  EXPECT_EQ(f.memPatten, sim.Build("N", 64));
  for (char o : {'3', '7'}) EXPECT_NE(f.memPatten.find(std::string("o") + o), std::string::npos);
}

TEST_F(FormTest, EqualOctavesWriteTheOctaveOnce) {
  auto& f = Start();
  f.speOlow.SetValue(5);
  f.speOhigh.SetValue(5);
  f.memRythm = "NmdBW";
  f.speLength.SetValue(20);
  f.MakePattern1Click();
  EXPECT_EQ(std::count(f.memPatten.begin(), f.memPatten.end(), 'o'), 1);
}

}  // namespace
}  // namespace vlmtest
