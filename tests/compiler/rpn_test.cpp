#include <algorithm>

#include "tests/compiler/language_fixture.h"

namespace {

using vlmtest::BadArgument;
using vlmtest::ErrorLine;

using Events = std::vector<std::string>;

class Rpn : public vlmtest::LanguageTest {
 protected:
  // Events at one time keep no guaranteed order: compare them sorted.
  Events Sorted(int track) const {
    Events events = Store(track);
    std::sort(events.begin(), events.end());
    return events;
  }
};

TEST_F(Rpn, BendRangeWritesSelectPairThenData) {
  Compile("PTR=480 BR=12");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Sorted(0), (Events{"478: B0 64 00", "478: B0 65 00", "479: B0 06 0C"}));
  EXPECT_EQ(last.lines[0], "{PTR}\\6=480 {BR}\\2=0,0,12");
}

TEST_F(Rpn, WritesAtOnePositionAreStaggeredBackwards) {
  Compile("PTR=480 NRPN=1,$20,64 ~1=5 NRPN=1,$21,80 VIB_RATE=3");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Sorted(0), (Events{"474: B0 62 08", "474: B0 63 01", "475: B0 06 03",
                               "476: B0 62 21", "476: B0 63 01", "477: B0 06 50",
                               "478: B0 62 20", "478: B0 63 01", "479: B0 06 40"}));
}

TEST_F(Rpn, AnotherPositionOrTrackStartsANewGroup) {
  Compile("PTR=96 RPN=0,0,1 _tr(1) PTR=96 RPN=0,0,2 _tr(0) c RPN=0,0,3");
  EXPECT_EQ(Sorted(1), (Events{"94: B0 64 00", "94: B0 65 00", "95: B0 06 02"}));
  const Events track0 = Sorted(0);
  EXPECT_NE(std::find(track0.begin(), track0.end(), "95: B0 06 01"), track0.end());
  EXPECT_NE(std::find(track0.begin(), track0.end(), "191: B0 06 03"), track0.end());
}

TEST_F(Rpn, DataValuesAreLimitedAndOptional) {
  Compile("RPN=0,0");
  EXPECT_EQ(Sorted(0), (Events{"-2: B0 64 00", "-2: B0 65 00"}));
  Compile("RPN=0,0,200");
  EXPECT_EQ(Sorted(0), (Events{"-1: B0 06 7F", "-2: B0 64 00", "-2: B0 65 00"}));
  Compile("RPN=0,0,1,300");
  EXPECT_EQ(Sorted(0), (Events{"-1: B0 06 01", "-1: B0 26 7F", "-2: B0 64 00", "-2: B0 65 00"}));
  for (const auto& e : vlmtest::EventLines(last.smf, 0)) EXPECT_EQ(e.substr(0, 3), "0: ");
}

TEST_F(Rpn, ParameterNumbersKeepTheirLowSevenBits) {
  Compile("CH=16 ~1=$1FF NRPN=$80,~1");
  EXPECT_EQ(Sorted(0), (Events{"-2: BF 62 7F", "-2: BF 63 00"}));
  EXPECT_TRUE(last.smf.valid);
}

TEST_F(Rpn, WordsWithoutValueWriteOnlyTheSelectPair) {
  Compile("CUT");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Sorted(0), (Events{"-2: B0 62 20", "-2: B0 63 01"}));
}

TEST_F(Rpn, ArgumentErrorsWriteNothingAndLeaveTheMemory) {
  const std::pair<const char*, const char*> cases[] = {
      {"RPN(0,0,12)", "RPN or NRPN"}, {"RPN=0", "RPN or NRPN"},
      {"RPN=0,0,1,2,3", "RPN or NRPN"}, {"NRPN", "RPN or NRPN"},
      {"RPN=,0,1", "NRPN or RPN"},     {"RPN=-1,0", "NRPN or RPN"},
  };
  for (auto [source, detail] : cases) {
    Compile(source);
    ASSERT_FALSE(Errors().empty()) << source;
    EXPECT_EQ(Errors()[0], ErrorLine(0, detail, BadArgument)) << source;
    EXPECT_TRUE(Store(0).empty()) << source;
    EXPECT_EQ(smf.LastRpnTime, -1) << source;
  }
}

}  // namespace
