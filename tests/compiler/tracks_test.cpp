#include "tests/compiler/language_fixture.h"

namespace {

using vlmtest::BadArgument;
using vlmtest::ErrorLine;
using vlmtest::SyntaxError;

using Notes = std::vector<std::string>;

class Tracks : public vlmtest::LanguageTest {};

TEST_F(Tracks, SingleTrackSelectsWithoutSection) {
  Compile("_tr(3) c");
  EXPECT_EQ(smf.CurTrack, 3);
  EXPECT_EQ(smf.TrackStackDepth, 0);
  EXPECT_EQ(NoteOns(3), (Notes{"0: 48"}));
  EXPECT_EQ(last.lines.size(), 1u);
}

TEST_F(Tracks, SectionIsCompiledOncePerListedTrack) {
  Compile("c _tr(1,2)e_tr(0) d");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(NoteOns(0), (Notes{"0: 48", "96: 50"}));
  EXPECT_EQ(NoteOns(1), (Notes{"0: 52"}));
  EXPECT_EQ(NoteOns(2), (Notes{"0: 52"}));
  EXPECT_EQ(smf.CurTrack, 0);
}

TEST_F(Tracks, PassesRunInListOrderAndRangesDownward) {
  const std::string pass = " ~1*10 ~2=trk ~1+~2 _tr(0)";
  Compile("~1=0 _tr(5,1-3)" + pass);
  EXPECT_EQ(Var(1), 5321);
  Compile("~1=0 _tr(1,2,3)" + pass);
  EXPECT_EQ(Var(1), 123);
  Compile("~3=1 ~4=3 ~1=0 _tr(~3-~4)" + pass);
  EXPECT_EQ(Var(1), 321);
}

TEST_F(Tracks, SectionWithoutClosingRunsToTheEndOfTheSource) {
  Compile("_tr(1,2)\nc d");
  EXPECT_TRUE(Errors().empty());
  ASSERT_EQ(last.lines.size(), 3u);
  EXPECT_EQ(last.lines[2], "_tr(0)");
  EXPECT_EQ(NoteOns(1), (Notes{"0: 48", "96: 50"}));
  EXPECT_EQ(NoteOns(2), (Notes{"0: 48", "96: 50"}));
  EXPECT_EQ(smf.CurTrack, 0);
}

TEST_F(Tracks, SectionSpanningLines) {
  Compile("c _tr(1,2) d\ne\n_tr(0) f");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(NoteOns(0), (Notes{"0: 48", "96: 53"}));
  EXPECT_EQ(NoteOns(1), (Notes{"0: 50", "96: 52"}));
  EXPECT_EQ(NoteOns(2), (Notes{"0: 50", "96: 52"}));
}

TEST_F(Tracks, SectionEndingOnItsLineReplaysTheLineAsRewritten) {
  // The macro before _tr lengthens the line; the replay column was measured there.
  Compile("REV=10 _tr(1,2)c_tr(0)d");
  EXPECT_TRUE(Errors().empty()) << Errors()[0];
  EXPECT_EQ(NoteOns(1), (Notes{"0: 48"}));
  EXPECT_EQ(NoteOns(2), (Notes{"0: 48"}));
  EXPECT_EQ(NoteOns(0), (Notes{"0: 50"}));
}

TEST_F(Tracks, SelectionErrors) {
  for (const char* source : {"_tr", "_tr()", "_tr(2-1)", "_tr(126-130)", "_tr(128)", "_tr(x)",
                             "_tr(1-x)", "_tr(0-127,0-127)"}) {
    Compile(std::string("_tr(4) ") + source);
    ASSERT_FALSE(Errors().empty()) << source;
    EXPECT_EQ(Errors()[0], ErrorLine(0, "_tr", BadArgument, 4)) << source;
    EXPECT_EQ(smf.CurTrack, 4) << source;
    EXPECT_EQ(smf.TrackStackDepth, 0) << source;
  }
  Compile("_tr(0-127,0) ~1+1");  // 129 entries fill the stack exactly
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Tracks, TrGivesEachTextItsTrack) {
  Compile("TR(cde,,g)");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(NoteOns(0), (Notes{"0: 48", "96: 50", "192: 52"}));
  EXPECT_EQ(NoteOns(1), (Notes{}));
  EXPECT_EQ(NoteOns(2), (Notes{"0: 55"}));
  Compile("TR(,d)");
  EXPECT_EQ(last.lines[0], "{TR}_tr(0)_tr(1)d|");
  EXPECT_EQ(NoteOns(1), (Notes{"0: 50"}));
  Compile("TR");
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], ErrorLine(0, "TR", BadArgument));
}

TEST_F(Tracks, TrInALoopCompilesItsTextsOncePerPass) {
  Compile("[3 TR(c,d)]");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(NoteOns(0), (Notes{"0: 48", "96: 48", "192: 48"}));
  EXPECT_EQ(NoteOns(1), (Notes{"0: 50", "96: 50", "192: 50"}));
}

TEST_F(Tracks, TrlAlignsAllTracksAfterItsTexts) {
  Compile("TRL(c4,c2) ~1=ptr _tr(9) ~2=ptr");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Var(1), 192);
  EXPECT_EQ(Var(2), 192);
  EXPECT_NE(last.lines[0].find("{-->}{TRL}_tr(0)c4|{TRL}_tr(1)c2||\\8|"), std::string::npos);
  Compile("PLAY(,c)");
  EXPECT_EQ(NoteOns(1), (Notes{"0: 48"}));
}

TEST_F(Tracks, TrnCountsTracksFromItsFirstArgument) {
  Compile("TRN(4,c,d)");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(last.lines[0], "{TRN}_tr(0){-->}{TRN}_tr(4)c|{TRN}_tr(5)d||");
  EXPECT_EQ(NoteOns(4), (Notes{"0: 48"}));
  EXPECT_EQ(NoteOns(5), (Notes{"0: 50"}));
  Compile("TRNL(4,c2,,d) ~1=ptr");
  EXPECT_NE(last.lines[0].find("{-->}{TRNL}_tr(4)c2|{TRNL}_tr(6)d||\\8|"), std::string::npos);
  EXPECT_EQ(Var(1), 192);
}

TEST_F(Tracks, TrnErrors) {
  Compile("TRN(x,c)");
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], ErrorLine(0, "TRNの1つめの引数が不正", SyntaxError));
  Compile("TRNL(,c)");
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], ErrorLine(0, "TRNLの1つめの引数が不正", SyntaxError));
  Compile("TRN");
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], ErrorLine(0, "TRN", BadArgument));
  // Tracks past 127 are refused by the generated _tr, even past the int32 range.
  for (const char* source : {"TRN(127,c,d)", "TRN(2147483647,c,d)"}) {
    Compile(source);
    EXPECT_FALSE(last.failed) << source;
    ASSERT_FALSE(Errors().empty()) << source;
    EXPECT_EQ(Errors().back().rfind("err(0)\"_tr\":", 0), 0u) << source;
  }
}

TEST_F(Tracks, LastPtrMovesEveryTrackToTheLatest) {
  Compile("c _tr(5) PTR=480 LAST_PTR ~1=ptr _tr(127) ~2=ptr LAST_PTR(x)");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Var(1), 480);
  EXPECT_EQ(Var(2), 480);
  Compile("LAST_PTR(1,2)");
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], ErrorLine(0, "LAST_PTR", BadArgument));

  smf.ptr.fill(-5);
  std::vector<std::string> lines{""};
  smf.Begin(lines);
  smf.LastPtrCommand();
  for (std::int32_t p : smf.ptr) EXPECT_EQ(p, 0);
}

TEST_F(Tracks, StrummedChord) {
  Compile("l8 DLY=10 CD_(4,c,e,g) ~1=ptr ~2=l");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Store(0), (Notes{"0: 90 30 64", "10: 90 34 64", "20: 90 37 64", "83: 80 30 64",
                             "93: 80 34 64", "103: 80 37 64"}));
  EXPECT_EQ(Var(1), 96);
  EXPECT_EQ(Var(2), 48);
  EXPECT_EQ(last.lines[0].find("\\26"), std::string::npos);  // the command replaced itself
}

TEST_F(Tracks, StrummedChordErrors) {
  for (const char* source : {"CD_(4)", "CD_(0,c)", "CD_"}) {
    Compile(source);
    ASSERT_EQ(Errors().size(), 1u) << source;
    EXPECT_EQ(Errors()[0], ErrorLine(0, "CD_", BadArgument)) << source;
    EXPECT_TRUE(NoteOns(0).empty());
  }
}

}  // namespace
