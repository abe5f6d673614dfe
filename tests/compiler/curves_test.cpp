#include <cstdio>

#include "tests/compiler/language_fixture.h"

namespace {

using vlmtest::BadArgument;
using vlmtest::ErrorLine;

using Events = std::vector<std::string>;

// Controller events of Values, one per step of Step ticks from First, skipping
// a value equal to the one before it.
Events ControllerSteps(int cc, const std::vector<int>& values, int first = -2, int step = 8) {
  Events events;
  char line[64];
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (k > 0 && values[k] == values[k - 1]) continue;
    std::snprintf(line, sizeof line, "%d: B0 %02X %02X", first + static_cast<int>(k) * step, cc, values[k]);
    events.push_back(line);
  }
  return events;
}

Events BendSteps(const std::vector<int>& values, int first = -2, int step = 8) {
  Events events;
  char line[64];
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (k > 0 && values[k] == values[k - 1]) continue;
    std::snprintf(line, sizeof line, "%d: E0 %02X %02X", first + static_cast<int>(k) * step,
                  values[k] & 127, (values[k] >> 7) & 127);
    events.push_back(line);
  }
  return events;
}

class Curves : public vlmtest::LanguageTest {};

TEST_F(Curves, RampOverOneQuarterNote) {
  Compile("ACTIVE_CC(7,0,127,4,0,1,0)");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Store(0), ControllerSteps(7, {0, 10, 21, 31, 42, 52, 63, 74, 84, 95, 105, 116, 127}));
  EXPECT_EQ(smf.Tracks[0].Velocity, 127);
  EXPECT_EQ(vlmtest::EventLines(last.smf, 0)[0], "0: B0 07 00");  // the file starts at 0
}

TEST_F(Curves, RampWithTwoCyclesWrapsBackToFrom) {
  Compile("ACTIVE_CC(7,0,127,4,0,2,0)");
  EXPECT_EQ(Store(0), ControllerSteps(7, {0, 21, 42, 63, 84, 105, 0, 21, 42, 63, 84, 105, 127}));
}

TEST_F(Curves, FallingRamp) {
  Compile("ACTIVE_CC(11,100,40,%32,0,1,0)");
  EXPECT_EQ(Store(0), ControllerSteps(11, {100, 85, 70, 55, 40}));
  EXPECT_EQ(smf.Tracks[0].Expression, 40);
}

TEST_F(Curves, SineHalfWave) {
  Compile("ACTIVE_CC(10,64,127,4,0,2,1)");
  EXPECT_EQ(Store(0), ControllerSteps(10, {64, 80, 95, 108, 118, 124, 126, 124, 118, 108, 95, 80, 64}));
  EXPECT_EQ(smf.Tracks[0].Pan, 64);
}

TEST_F(Curves, GrowingAndShrinkingSines) {
  Compile("ACTIVE_CC(1,0,60,4,0,2,2)");
  EXPECT_EQ(Store(0), ControllerSteps(1, {0, 3, 9, 17, 25, 33, 39, 43, 43, 38, 30, 16, 0}));
  Compile("ACTIVE_CC(1,0,60,4,0,2,3)");
  EXPECT_EQ(Store(0), ControllerSteps(1, {0, 17, 32, 44, 51, 55, 54, 50, 43, 33, 22, 11, 0}));
}

TEST_F(Curves, RandomValuesStayAroundTheLowerBound) {
  Compile("ACTIVE_CC(7,60,40,4,0,1,4)");
  const Events events = Store(0);
  ASSERT_GE(events.size(), 2u);
  for (const std::string& e : events) {
    const int value = std::stoi(e.substr(e.size() - 2), nullptr, 16);
    EXPECT_GE(value, 20) << e;
    EXPECT_LT(value, 60) << e;
  }
}

TEST_F(Curves, TriangleWritesOneValueBeyondTheBoundBeforeTurning) {
  Compile("ACTIVE_CC(7,0,120,%80,0,2,5)");
  EXPECT_EQ(Store(0), ControllerSteps(7, {0, 24, 48, 72, 96, 120, 127, 96, 72, 48, 24}));
}

TEST_F(Curves, AlternationOnEveryStep) {
  Compile("ACTIVE_CC(11,20,100,8,0,1,6)");
  EXPECT_EQ(Store(0), ControllerSteps(11, {20, 100, 20, 100, 20, 100, 20}));
}

TEST_F(Curves, StartAfterEndWritesNothingAndRemembersZero) {
  Compile("ACTIVE_CC(7,0,127,8,4,1,0)");
  EXPECT_TRUE(Store(0).empty());
  EXPECT_EQ(smf.Tracks[0].Velocity, 0);
  Compile("ACTIVE_PB(0,127,8,4,1,0)");
  EXPECT_TRUE(Store(0).empty());
  EXPECT_EQ(smf.Tracks[0].Bend, 0);
}

TEST_F(Curves, SpanShorterThanOneStepWritesOneEvent) {
  const std::pair<int, int> cases[] = {{0, 100}, {1, 10}, {2, 45}, {3, 45}, {5, 10}, {6, 10}};
  for (auto [mode, value] : cases) {
    Compile("ACTIVE_CC(7,10,100,%5,0,1," + std::to_string(mode) + ")");
    EXPECT_EQ(Store(0), ControllerSteps(7, {value})) << "mode " << mode;
  }
}

TEST_F(Curves, FlatRampHoldsItsValue) {
  // From equal to To leaves the ramp nothing to divide: it holds the value.
  Compile("ACTIVE_CC(7,50,50,%24,0,1,0)");
  EXPECT_EQ(Store(0), ControllerSteps(7, {50, 50, 50, 50}));
  Compile("ACTIVE_PB(64,64,%24,0,1,0)");
  EXPECT_EQ(Store(0), BendSteps({8192, 8192, 8192, 8192}));
}

TEST_F(Curves, CurveLiesOverTheNotesFromItsStart) {
  Compile("c _ac(%24) ACV(0,120,%48,%24,1,0) ~1=ptr");
  EXPECT_TRUE(Errors().empty());
  const Events cc = ControllerSteps(7, {0, 120}, 96 + 24 - 2, 24);
  const Events store = Store(0);
  EXPECT_EQ(Events(store.begin() + 2, store.end()), cc);
  EXPECT_EQ(Var(1), 96);  // the position does not move
}

TEST_F(Curves, RelativeControllerContinuesFromTheCurve) {
  Compile("ACREV(0,100,4,0,1,0) REV+10 ~1=REV ACCHO(0,30,4,0,1,0) ~2=CHO ACM(0,5,4,0,1,0) ~3=M");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Var(1), 110);
  EXPECT_EQ(Var(2), 30);
  EXPECT_EQ(Var(3), 5);
}

TEST_F(Curves, DebugOutput) {
  Compile("ACTIVE_CC(7,0,127,%16,0,1,0,1)");
  EXPECT_EQ(sink, (std::vector<std::string>{"Compile Start", "--ACTIVE_CC = 7--", "0", "63", "127", "ok"}));
  Compile("ACTIVE_PB(0,1,%8,0,1,0,1)");
  EXPECT_EQ(sink, (std::vector<std::string>{"Compile Start", "--ACTIVE_PB--", "0", "128", "ok"}));
  Compile("ACTIVE_CC(7,0,127,4,0,1,9,1)");  // the header comes before the mode check
  ASSERT_EQ(sink.size(), 4u);
  EXPECT_EQ(sink[1], "--ACTIVE_CC = 7--");
}

TEST_F(Curves, ControllerCurveErrors) {
  const std::pair<const char*, const char*> cases[] = {
      {"ACTIVE_CC(7,0,127)", "ACTIVE_CC"},
      {"ACTIVE_CC(7,0,127,4,0,1,0,0,0)", "ACTIVE_CC"},
      {"ACTIVE_CC(128,0,127,4,0,1,0)", "ACTIVE_CC CC#の値が不正"},
      {"ACTIVE_CC(x,0,127,4,0,1,0)", "ACTIVE_CC CC#の値が不正"},
      {"ACTIVE_CC(7,0,127,4,0,1,9)", "ACTIVE_CC Modeの番号が不正"},
      {"ACTIVE_CC(7,0,127,4,0,1,)", "ACTIVE_CC Modeの番号が不正"},
      {"ACTIVE_PB(0,127,4)", "Active B"},
      {"ACTIVE_PB(0,127,4,0,1,7)", "Active B Mode No"},
  };
  for (auto [source, detail] : cases) {
    Compile(source);
    ASSERT_EQ(Errors().size(), 1u) << source;
    EXPECT_EQ(Errors()[0], ErrorLine(0, detail, BadArgument)) << source;
    EXPECT_TRUE(Store(0).empty()) << source;
  }
}

TEST_F(Curves, BendRampInStepsOf672) {
  Compile("ACB(64,127,4,0,1,0)");
  std::vector<int> values;
  for (int k = 0; k <= 12; ++k) values.push_back(8192 + 672 * k);
  EXPECT_EQ(Store(0), BendSteps(values));
  EXPECT_EQ(smf.Tracks[0].Bend, 128);
}

TEST_F(Curves, BendDefaultsForEmptyArguments) {
  Compile("l2 ACB(0,64,,0,,0)");  // End: the default length; Cycles: 1
  const Events events = Store(0);
  ASSERT_EQ(events.size(), 25u);
  EXPECT_EQ(events.front(), "-2: E0 00 00");
  EXPECT_EQ(events[1], "6: E0 55 02");  // 8192 / 24 = 341.3
  EXPECT_EQ(events.back(), "190: E0 00 40");
  EXPECT_EQ(smf.Tracks[0].Bend, 64);
}

TEST_F(Curves, BendSines) {
  Compile("ACB(64,127,4,0,4,1)");
  EXPECT_EQ(Store(0), BendSteps({8192, 10207, 11683, 12223, 11683, 10208, 8192, 6177, 4701, 4161,
                                 4700, 6176, 8192}));
  Compile("ACB(64,127,4,0,2,3)");
  EXPECT_EQ(Store(0), BendSteps({8192, 9322, 10207, 10805, 11101, 11112, 10879, 10463, 9937, 9380,
                                 8864, 8452, 8192}));
}

TEST_F(Curves, BendTriangleFoldsNegativeValuesAndLimitsTo14Bits) {
  Compile("ACB(0,127,4,0,3,5)");
  EXPECT_EQ(Store(0), BendSteps({0, 4064, 8128, 12192, 16256, 16383, 12192, 8128, 4064, 0, 4064,
                                 4064, 8128}));
  EXPECT_TRUE(last.smf.valid);
}

TEST_F(Curves, HugeCurveIsStoppedInsteadOfRunningForEver) {
  Compile("_ac(%1) ACTIVE_CC(7,0,127,%2147483647,0,1,4) c");
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_NE(Errors()[0].find("処理が多すぎる"), std::string::npos);
  EXPECT_TRUE(Store(0).empty());
}

}  // namespace
