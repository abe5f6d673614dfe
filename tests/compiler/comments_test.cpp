#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/compiler/language_fixture.h"

namespace {

using vlmtest::BadArgument;
using vlmtest::ErrorLine;
using vlmtest::SyntaxError;
using vlmtest::UnknownError;

class Comments : public vlmtest::LanguageTest {};

TEST_F(Comments, LineAndBraceComments) {
  Compile("c ; d e\n{ ; } e");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(NoteOns(0), (std::vector<std::string>{"0: 48", "96: 52"}));
}

TEST_F(Comments, BraceCommentAcrossLinesResumesAfterTheBrace) {
  Compile("c {\nd\n e } e\nf");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(NoteOns(0), (std::vector<std::string>{"0: 48", "96: 52", "192: 53"}));
  EXPECT_EQ(last.lines[1], "d");
}

TEST_F(Comments, UnclosedBraceIsReportedOnTheLastLine) {
  Compile("c\n{ d\ne");
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], ErrorLine(2, "}がない", SyntaxError, 0, 96, 1));
  EXPECT_EQ(NoteOns(0), (std::vector<std::string>{"0: 48"}));
}

TEST_F(Comments, SkipModeLetsOnlyCommentsUnderscoresAndDirectivesThrough) {
  Compile("_skipon c d ; _skipoff\n#timebase 480 e {_skipoff} f _skipoff g");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(smf.Timebase, 480);
  EXPECT_EQ(NoteOns(0), (std::vector<std::string>{"0: 55"}));
  Compile("_skipon }");  // a "}" outside a comment still has no handler
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], ErrorLine(0, "}", "解読不能文字です"));
}

TEST_F(Comments, PrintJoinsItsArguments) {
  Compile("~1=42 _print(\"a, b\",~1, x)");
  EXPECT_EQ(sink[1], "\"a,b\"42x");  // the reader drops blanks after a comma, quoted or not
  Compile("_print _print()");
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], ErrorLine(0, "_print", BadArgument));
  EXPECT_EQ(sink[2], "");  // the empty pair of parentheses is one empty argument
}

TEST_F(Comments, OneLetterMacroSwitchIsPerTrack) {
  Compile("_smon _tr(1) _smon _smoff");
  EXPECT_EQ(smf.Tracks[0].OneLetterMacros, 1);
  EXPECT_EQ(smf.Tracks[1].OneLetterMacros, 0);
}

TEST_F(Comments, OneUnderscoreCarriesOneCommandOfEachGroup) {
  Compile("_smonTITLE(\"Song\")");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(smf.Tracks[0].OneLetterMacros, 1);
  EXPECT_EQ(Store(0), (std::vector<std::string>{"-1: FF 03 06 22 53 6F 6E 67 22"}));
}

TEST_F(Comments, TextMetaEvents) {
  Compile("c _COPYRIGHT(c) _INST_NAME(p) _TITLE(t)");
  auto events = Store(0);
  std::sort(events.begin(), events.end());
  EXPECT_EQ(events, (std::vector<std::string>{"0: 90 30 64", "83: 80 30 64", "95: FF 02 01 63",
                                              "95: FF 03 01 74", "95: FF 04 01 70"}));
  Compile("_TITLE(a,b) _COPYRIGHT");
  ASSERT_EQ(Errors().size(), 2u);
  EXPECT_EQ(Errors()[0], ErrorLine(0, "_", BadArgument));
}

TEST_F(Comments, CurveStep) {
  Compile("_ac(16) _tr(1) _ac(%1000) _tr(2) _ac(%0) _ac() _ac(1,2) _ac");
  EXPECT_EQ(smf.CurveStep[0], 24);
  EXPECT_EQ(smf.CurveStep[1], 192);  // at most two quarter notes
  EXPECT_EQ(smf.CurveStep[2], 96);   // the empty length is the default length
  ASSERT_EQ(Errors().size(), 4u);
  EXPECT_EQ(Errors()[0], ErrorLine(0, "%", BadArgument, 2));
  EXPECT_EQ(Errors()[1], ErrorLine(0, "_ac", BadArgument, 2));
  EXPECT_EQ(Errors()[3], ErrorLine(0, "_ac", BadArgument, 2));
}

TEST_F(Comments, UnderscoreWithoutKeywordConsumesOnlyItself) {
  Compile("_c");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(NoteOns(0), (std::vector<std::string>{"0: 48"}));
}

TEST_F(Comments, Timebase) {
  Compile("#timebase 480\nc");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(last.smf.division, 480);
  EXPECT_EQ(smf.Tracks[0].Length, 96);  // the reset length stays until a length command
  EXPECT_EQ(smf.ptr[0], 96);
  // "=480" after a refused timebase is compiled as four characters without handler.
  const std::pair<const char*, std::size_t> refused[] = {
      {"#timebase 12", 1}, {"#timebase 1537", 1}, {"#timebase =480", 5}, {"#timebase", 1}};
  for (auto [source, errors] : refused) {
    Compile(source);
    ASSERT_EQ(Errors().size(), errors) << source;
    EXPECT_EQ(Errors()[0], ErrorLine(0, "timebase", BadArgument)) << source;
    EXPECT_EQ(smf.Timebase, 96);
  }
}

TEST_F(Comments, OctaveDirection) {
  Compile("#octave_up_down 1 c < c");
  EXPECT_EQ(smf.OctaveSwap, 1);
  EXPECT_EQ(NoteOns(0), (std::vector<std::string>{"0: 48", "96: 60"}));
  Compile("#octave_up_down 2");
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], ErrorLine(0, "octave_up_down", BadArgument));
  EXPECT_EQ(smf.OctaveSwap, 0);
}

TEST_F(Comments, EndDirectiveStopsTheSource) {
  Compile("c\nd #end e\nf");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(NoteOns(0), (std::vector<std::string>{"0: 48", "96: 50"}));
  ASSERT_EQ(last.lines.size(), 4u);
  EXPECT_EQ(last.lines[3], " ");
  EXPECT_EQ(last.lines[2], "f");
  EXPECT_EQ(sink.back(), "ok");
}

TEST_F(Comments, RandomizeReproducesTheDraws) {
  Compile("#randomize 0", 12345);
  ASSERT_EQ(sink.size(), 3u);
  ASSERT_EQ(sink[1].rfind("#randomize = ", 0), 0u);
  const std::string seed = sink[1].substr(13);
  EXPECT_NE(seed, "0");

  const std::string draws = " ~1=rnd(1000000) ~2=rnd(1000000) ~3=rnd(1000000)";
  Compile("#randomize " + seed + draws, 1);
  const std::array<std::int32_t, 3> first = {Var(1), Var(2), Var(3)};
  Compile("#randomize " + seed + draws, 2);
  EXPECT_EQ((std::array<std::int32_t, 3>{Var(1), Var(2), Var(3)}), first);
  Compile("#randomize -5" + draws, 3);
  EXPECT_EQ(sink[1], "#randomize = -5");
  EXPECT_NE((std::array<std::int32_t, 3>{Var(1), Var(2), Var(3)}), first);

  Compile("#randomize x");
  ASSERT_EQ(Errors().size(), 2u);
  EXPECT_EQ(Errors()[0], ErrorLine(0, "randomize", SyntaxError));
}

TEST_F(Comments, HashWithoutKeywordConsumesOnlyItself) {
  Compile("#c");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(NoteOns(0), (std::vector<std::string>{"0: 48"}));
}

class Include : public vlmtest::LanguageTest {
 protected:
  std::string dir = vlmtest::ScratchDir();
  ~Include() override { std::filesystem::remove_all(dir); }

  std::string File(const std::string& name, const std::string& text) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
};

TEST_F(Include, LinesGoAfterTheCurrentLineAndCompileNext) {
  const std::string path = File("two.vlm", "e\r\nf\n");
  std::string source;
  for (int i = 0; i < 10; ++i) source += i == 5 ? "c #include \"" + path + "\" d\n" : "\n";
  Compile(source + "g");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(sink[1], "include = " + path);
  ASSERT_EQ(last.lines.size(), 13u);
  EXPECT_EQ(last.lines[6], "e");
  EXPECT_EQ(last.lines[7], "f");
  EXPECT_EQ(last.lines[5], "c {#include \"" + path + "\"} d");  // the directive is done
  EXPECT_EQ(NoteOns(0), (std::vector<std::string>{"0: 48", "96: 50", "192: 52", "288: 53", "384: 55"}));
}

TEST_F(Include, ShiftJisFileIsDecodedLikeAnyMmlFile) {
  const std::string path = File("sjis.vlm", "_print(\"\x82\xa0\")");
  Compile("#include \"" + path + "\"");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(sink[2], "\"あ\"");
  EXPECT_EQ(last.lines[1], "_print(\"あ\")");
}

TEST_F(Include, DirectiveErrors) {
  Compile("#include x");
  ASSERT_FALSE(Errors().empty());
  EXPECT_EQ(Errors()[0], ErrorLine(0, "include", SyntaxError));
  Compile("#include \"x");
  ASSERT_FALSE(Errors().empty());
  EXPECT_EQ(Errors()[0], ErrorLine(0, "include が \" で終わっていない", SyntaxError));
  for (const std::string& name : {dir + "/missing.vlm", dir, std::string("/dev/zero"), std::string()}) {
    Compile("#include \"" + name + "\"");
    ASSERT_EQ(Errors().size(), 1u) << name;
    EXPECT_EQ(Errors()[0], ErrorLine(0, "指定されたファイル\"" + name + "\"が開けません", UnknownError));
    EXPECT_EQ(last.lines.size(), 1u);
  }
}

TEST_F(Include, FileIncludingItselfIsInsertedOnce) {
  const std::string self = dir + "/self.vlm";
  File("self.vlm", "c\n#include \"" + self + "\"\nd");
  Compile("#include \"" + self + "\"\ne");
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], ErrorLine(2, "指定されたファイル\"" + self + "\"は既にインクルードされています",
                                   UnknownError, 0, 96, 1));
  EXPECT_EQ(NoteOns(0), (std::vector<std::string>{"0: 48", "96: 50", "192: 52"}));

  // Through another file, and written with another path to the same file.
  const std::string a = dir + "/a.vlm";
  File("a.vlm", "c\n#include \"" + dir + "/b.vlm\"");
  File("b.vlm", "d\n#include \"" + dir + "/./a.vlm\"\n#include \"" + dir + "/leaf.vlm\"");
  File("leaf.vlm", "e");
  Compile("#include \"" + a + "\"\n#include \"" + a + "\"");
  ASSERT_EQ(Errors().size(), 2u);
  EXPECT_EQ(NoteOns(0), (std::vector<std::string>{"0: 48", "96: 50", "192: 52", "288: 48", "384: 50", "480: 52"}));
}

// Each level includes the one below twice: 2^25 copies of the bottom file's
// thousand empty lines, which compile at no cost of their own. Only counting
// the included lines ends it, and every include must cost its own lines.
TEST_F(Include, IncludeTreeEndsWithTheWorkBound) {
  File("c0.vlm", std::string(999, '\n'));
  for (int level = 1; level <= 25; ++level) {
    const std::string below = dir + "/c" + std::to_string(level - 1) + ".vlm";
    File("c" + std::to_string(level) + ".vlm", "#include \"" + below + "\"\n#include \"" + below + "\"\n");
  }
  smf.MaxCompileSteps = 200'000;
  Compile("c\n#include \"" + dir + "/c25.vlm\"\nd");
  ASSERT_EQ(Errors().size(), 1u);
  const std::string error = Errors()[0];
  const std::string detail = ")\"処理が多すぎるので、コンパイルを中止します。\":";
  ASSERT_NE(error.find(detail), std::string::npos) << error;
  const std::size_t at = std::stoul(error.substr(4));  // the include that passed the bound
  ASSERT_LT(at, last.lines.size());
  EXPECT_EQ(last.lines[at].rfind("#include", 0), 0u) << last.lines[at];
  EXPECT_EQ(last.lines.back(), " ");
  EXPECT_LT(last.lines.size(), 201'000u);
  EXPECT_EQ(NoteOns(0), (std::vector<std::string>{"0: 48"}));  // the d after the tree is never reached
}

// Only the inclusions that hold the current line are open: a file may be
// included again once its earlier inclusion is done, but not from inside it,
// however many inclusions were opened and closed in between.
TEST_F(Include, RefusalFollowsTheOpenInclusionsOnly) {
  const std::string x = dir + "/x.vlm";
  const std::string y = dir + "/y.vlm";
  File("y.vlm", "c");
  File("x.vlm", "#include \"" + y + "\"\n#include \"" + y + "\"\nd\n#include \"" + x + "\"\ne");
  Compile("#include \"" + x + "\"\n#include \"" + y + "\"\n#include \"" + x + "\"");
  ASSERT_EQ(Errors().size(), 2u);
  const std::string refused = "指定されたファイル\"" + x + "\"は既にインクルードされています";
  EXPECT_EQ(ErrorLine(6, refused, UnknownError, 0, 288, 3), Errors()[0]);
  EXPECT_EQ(ErrorLine(16, refused, UnknownError, 0, 768, 8), Errors()[1]);
  // x: c c d e; then y: c; then x again: c c d e.
  EXPECT_EQ(NoteOns(0), (std::vector<std::string>{"0: 48", "96: 48", "192: 50", "288: 52", "384: 48", "480: 48",
                                                  "576: 48", "672: 50", "768: 52"}));
}

TEST_F(Include, LoopReplaysTheInsertedLinesInsteadOfInsertingAgain) {
  const std::string path = File("x.vlm", "c");
  Compile("[3\n#include \"" + path + "\"\n]");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(NoteOns(0), (std::vector<std::string>{"0: 48", "96: 48", "192: 48"}));
  EXPECT_EQ(last.lines.size(), 4u);
}

}  // namespace
