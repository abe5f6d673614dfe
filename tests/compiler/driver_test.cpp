#include <gtest/gtest.h>

#include "tests/support/compile_harness.h"

namespace {

using vlmtest::CompileSource;

TEST(Driver, EmptySourceWritesAHeaderOnlyFile) {
  const auto r = CompileSource("");
  EXPECT_EQ(r.messages, (std::vector<std::string>{"Compile Start", "ok"}));
  const std::vector<std::uint8_t> header = {0x4D, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 1, 0, 0, 0, 0x60};
  EXPECT_EQ(r.bytes, header);
}

TEST(Driver, SeparatorsCompileToNothing) {
  const auto r = CompileSource(" \t\"|| \"");
  EXPECT_TRUE(r.Errors().empty());
  EXPECT_TRUE(r.smf.valid);
  EXPECT_TRUE(r.smf.tracks.empty());
}

TEST(Driver, CharacterWithoutHandlerIsErrorTwo) {
  const auto r = CompileSource("}");
  ASSERT_EQ(r.Errors().size(), 1u);
  EXPECT_EQ(r.Errors()[0], "err(0)\"}\":解読不能文字です\"> _tr<0> ptr=0<0>小節目");
}

TEST(Driver, UpperCaseWordThatIsNoMacroReportsEachCharacter) {
  // T120 is one word, no macro; T, 1, 2, 0 have no handler.
  const auto r = CompileSource("T120");
  EXPECT_EQ(r.Errors().size(), 4u);
}

TEST(Driver, TenthErrorStopsTheCompileAndAppendsALine) {
  const auto nine = CompileSource("}}}}}}}}}");
  EXPECT_EQ(nine.Errors().size(), 9u);
  EXPECT_EQ(nine.lines.size(), 1u);

  const auto ten = CompileSource("}}}}}}}}}}}}\n}}");
  EXPECT_EQ(ten.Errors().size(), 10u);
  ASSERT_EQ(ten.messages.size(), 1u + 10u + 1u + 1u);
  EXPECT_EQ(ten.messages[11], "エラー数が１０個を超えたので、コンパイルを中止します。");
  EXPECT_EQ(ten.messages.back(), "ok");
  ASSERT_EQ(ten.lines.size(), 3u);
  EXPECT_EQ(ten.lines[2], " ");
  EXPECT_TRUE(ten.smf.valid);
}

TEST(Driver, ErrorLineShowsTrackPointerAndPosition) {
  std::vector<std::string> sink;
  vlm::TSmf smf([&](const std::string& t) { sink.push_back(t); });
  for (auto [ptr, position] : {std::pair{95, 0}, {96, 1}, {-1, 0}}) {
    sink.clear();
    smf.ptr[0] = ptr;
    std::vector<std::string> lines{"", "", "", ""};
    smf.Begin(lines);
    smf.MoveTo(3, 1, vlm::Leaving::Keep);
    smf.ReportError(4, "x");
    ASSERT_EQ(sink.size(), 1u);
    EXPECT_EQ(sink[0], "err(3)\"x\":引数が不正です\"> _tr<0> ptr=" + std::to_string(ptr) + "<" +
                           std::to_string(position) + ">小節目");
  }
  smf.Timebase = 0;
  sink.clear();
  smf.ReportError(0, "");
  EXPECT_NE(sink[0].find("<0>小節目"), std::string::npos);
}

TEST(Driver, ResetKeepsVariablesAndBendButClearsTheRest) {
  std::vector<std::string> sink;
  vlm::TSmf smf([&](const std::string& t) { sink.push_back(t); });
  smf.Vars[7] = 42;
  smf.Tracks[3].Bend = 1000;
  smf.Tracks[3].Velocity = 1;
  smf.ptr[3] = 500;
  smf.Timebase = 480;
  smf.Reset();
  EXPECT_EQ(smf.Vars[7], 42);
  EXPECT_EQ(smf.Tracks[3].Bend, 1000);
  EXPECT_EQ(smf.Tracks[3].Velocity, 100);
  EXPECT_EQ(smf.Tracks[3].Length, 96);
  EXPECT_EQ(smf.ptr[3], 0);
  EXPECT_EQ(smf.Timebase, 96);
  EXPECT_EQ(smf.CurveStep[3], 8);
  EXPECT_EQ(smf.Macros.Find("PTR"), "\\6");
  EXPECT_EQ(smf.Macros.Find("*"), "");
  EXPECT_EQ(smf.Macros.Items().size(), 83u);
}

TEST(Driver, AbortedCompileStillWritesTheFile) {
  std::vector<std::string> sink;
  vlm::TSmf smf([&](const std::string& t) { sink.push_back(t); });
  // A note and the blanks after it are one step: the f of the second line
  // passes the bound.
  smf.MaxCompileSteps = 3;
  smf.Lines = {"c d", "e f", "g"};
  smf.CompileLines();
  EXPECT_EQ(smf.Lines, (std::vector<std::string>{"c d", "e f", "g", " "}));
  ASSERT_EQ(sink.size(), 1u);
  EXPECT_EQ(sink[0].substr(0, sink[0].find(':')), "err(1)\"処理が多すぎるので、コンパイルを中止します。\"");
  EXPECT_EQ(smf.LineNo(), 4);
  EXPECT_EQ(smf.TrackEvents[0].Count(), 6);  // c, d and e, on and off
}

TEST(Driver, UnwritableOutputFailsTheCompile) {
  std::vector<std::string> sink;
  vlm::TSmf smf([&](const std::string& t) { sink.push_back(t); });
  EXPECT_THROW(smf.Compile("/nonexistent-dir/x.mid"), vlm::CompileFailure);
  EXPECT_NE(sink.back(), "ok");
}

}  // namespace
