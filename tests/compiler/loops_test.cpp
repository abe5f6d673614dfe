#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "tests/compiler/core_fixture.h"

namespace {

using vlmtest::CoreTest;
using Texts = std::vector<std::string>;

class Loops : public CoreTest {};

// ---- repeat loops ----

TEST_F(Loops, CountsNestingAndTheLastPassExit) {
  struct Case {
    const char* source;
    const char* played;
  };
  const Case cases[] = {
      {"[3 c d ]", "c d c d c d"},
      {"[3 c : d ]", "c d c d c"},
      {"[ c ]", "c c"},
      {"[0 c ]", "c"},
      {"[1 c ]", "c"},
      {"[2 [3 c ] d ]", "c c c d c c c d"},
      {"[2 [2 c : d ] e : f ] g", "c d c e f c d c e g"},
      {"[2 c\n:\nd ]e", "c d c e"},
  };
  for (const auto& c : cases) {
    Compile(c.source);
    EXPECT_TRUE(Errors().empty()) << c.source;
    EXPECT_EQ(Played(), c.played) << c.source;
    EXPECT_EQ(smf.LoopDepth, 0) << c.source;
  }
}

TEST_F(Loops, BodiesAcrossLines) {
  // A "[" that ends its line starts the body on the next line.
  Compile("c [2\nd\ne\n] f");
  EXPECT_EQ(Played(), "c d e d e f");
  Compile("[2c\n]");
  EXPECT_EQ(Played(), "c c");
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Loops, ReplayUsesTheLineAsCompiled) {
  Compile("[2 PTR+96 c ]");
  EXPECT_EQ(smf.Lines[0], "[2 {PTR}\\6+96 c ]");
  EXPECT_EQ(Ptr(), 384);
}

// A line left without being stored (a comment running on, the tenth error,
// the end directive, a track replay) keeps the text stored at the last jump
// back: edits made after that jump are lost. Long lines keep a record of
// those edits instead of a copy, short ones a copy: both must agree.
TEST_F(Loops, LineLeftUnstoredKeepsTheTextOfTheLastJump) {
  for (const std::size_t padding : {1, 5000}) {
    const std::string pad(padding, ' ');
    const vlmtest::MacroList a{{"A", "c d"}};
    Compile("A [2 c ] A" + pad + "{ x\n} e", a);
    EXPECT_EQ(smf.Lines[0], "{A}c d [2 c ] A" + pad + "{ x");
    Compile("A [2 c ] A" + pad + "zz zz zz zz zz zz zz zz zz zz\nc", a);
    EXPECT_EQ(smf.Lines[0], "{A}c d [2 c ] A" + pad + "zz zz zz zz zz zz zz zz zz zz");
    EXPECT_EQ(smf.Lines[1], "c");
    Compile("A [2 c ] A" + pad + "#end\nc", a);
    EXPECT_EQ(smf.Lines[0], "{A}c d [2 c ] A" + pad + "#end");
    // The section's second pass compiles the line from that stored text.
    Compile("_tr(1,2) c\nA [2 c ] A" + pad + "_tr(3) c", a);
    EXPECT_EQ(smf.Lines[1], "{A}c d [2 c ] {A}c d" + pad + "_tr(3) c");
    EXPECT_EQ(smf.TrackEvents[2].Count(), smf.TrackEvents[1].Count());
  }
}

TEST_F(Loops, ExitBeforeTheFirstCloseSearchesAhead) {
  // With a count of 0 or 1 the ":" comes before the loop's "]" was ever
  // reached: the "]" is looked for ahead, past nested loops and comments.
  struct Case {
    const char* source;
    const char* played;
  };
  const Case cases[] = {
      {"[1 c : d ] e", "c e"},
      {"[0 c : d ] e", "c e"},
      {"[1 c : [2 d ] f ] e", "c e"},
      {"[1 c : d ; ]\nf ] e", "c e"},
      {"[1 c : d {]} f ] e", "c e"},
      {"[1 c :\nd\n{ ]\n} f\n] e", "c e"},
      {"d [1 c : d ]", "d c"},
  };
  for (const auto& c : cases) {
    Compile(c.source);
    EXPECT_TRUE(Errors().empty()) << c.source;
    EXPECT_EQ(Played(), c.played) << c.source;
    EXPECT_EQ(smf.LoopDepth, 0) << c.source;
  }
  // Without any "]" the body goes on and the missing "]" is reported.
  Compile("[1 c : d");
  EXPECT_EQ(Played(), "c d");
  EXPECT_EQ(ErrorDetails(), Texts{"] が1つ足りません。"});
}

TEST_F(Loops, StrayBracketsAndColons) {
  Compile("c ] d : e");
  EXPECT_EQ(Played(), "c d e");
  EXPECT_EQ(ErrorDetails(), (Texts{"]が多い", "ループ外に:がある"}));
  Compile("[2 c\n[3 d");
  EXPECT_EQ(ErrorDetails(), Texts{"] が2つ足りません。"});
}

TEST_F(Loops, NestingBeyondTheStackIsRefused) {
  const std::string open(258, '[');
  std::string source;
  for (int i = 0; i < 258; ++i) source += "[1";
  source += " c ";
  source += std::string(258, ']');
  Compile(source);
  EXPECT_EQ(ErrorDetails(), (Texts{"ループのネストが深すぎます。", "]が多い"}));
  EXPECT_EQ(Played(), "c");
  EXPECT_EQ(smf.LoopDepth, 0);
}

TEST_F(Loops, EndlessWorkStopsWithAnErrorLine) {
  smf.MaxCompileSteps = 20000;
  Compile("[2147483647 r ]\nc");
  ASSERT_GE(Errors().size(), 1u);
  EXPECT_EQ(ErrorDetails()[0], "処理が多すぎるので、コンパイルを中止します。");
  EXPECT_EQ(smf.Lines.back(), " ");
  EXPECT_EQ(smf.Lines[1], "c");  // not compiled
  EXPECT_EQ(Played(), "");
}

// ---- IF ----

TEST_F(Loops, IfInsertsTheChosenBranchAndTakesItOutAgain) {
  smf.Vars[1] = 5;
  Compile("IF(~1>3, c, d) e");
  EXPECT_EQ(Played(), "c e");
  EXPECT_EQ(smf.Lines[0], "{IF}\\31(~1>3, c, d) e");
  EXPECT_EQ(smf.IfDepth, 0);
  smf.Vars[1] = 3;
  Compile("IF(~1>3, c, d) e");
  EXPECT_EQ(Played(), "d e");
  smf.Vars[1] = 2;
  Compile("IF(~1=>3, c) e");
  EXPECT_EQ(Played(), "e");
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Loops, ABranchEndingInACommandWordStaysApartFromTheEndMarker) {
  Compile("IF(1=1, GHOST_ON) c GHOST_OFF d");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Played(), "d");
  EXPECT_EQ(Ptr(), 192);
}

TEST_F(Loops, IfOperators) {
  struct Case {
    const char* condition;
    bool holds;
  };
  const Case cases[] = {
      {"2>1", true},   {"1>1", false},  {"1>=1", true},  {"1=>1", true},  {"0>=1", false},
      {"1<2", true},   {"2<2", false},  {"2<=2", true},  {"2=<2", true},  {"3<=2", false},
      {"-1=-1", true}, {"$10=16", true}, {"-5<3", true}, {"+7>6", true},
  };
  for (const auto& c : cases) {
    Compile(std::string("IF(") + c.condition + ",c,d)");
    EXPECT_TRUE(Errors().empty()) << c.condition;
    EXPECT_EQ(Played(), c.holds ? "c" : "d") << c.condition;
  }
}

TEST_F(Loops, IfErrors) {
  struct Case {
    const char* source;
    int error;
    const char* detail;
  };
  const Case cases[] = {
      {"IF c", 4, "IF"},
      {"IF(x>1,c)", 4, "IF条件式左辺"},
      {"IF(1,c)", 4, "IF条件式の演算子がない"},
      {"IF(1>x,c)", 4, "IF条件式右辺"},
      {"IF(1==1,c)", 0, "IF"},
      {"IF(1<>2,c)", 0, "IF"},
  };
  const char* const texts[] = {"原因不明のエラー", "", "", "", "引数が不正です"};
  for (const auto& k : cases) {
    Compile(k.source);
    ASSERT_EQ(Errors().size(), 1u) << k.source;
    EXPECT_EQ(ErrorDetails()[0], k.detail) << k.source;
    EXPECT_NE(Errors()[0].find(texts[k.error]), std::string::npos) << k.source;
  }
  Compile("IF c");
  EXPECT_EQ(Played(), "c");
  // One argument that is not the marker does nothing.
  Compile("IF(5) IF(*IF*) c");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Played(), "c");
  EXPECT_EQ(smf.Lines[0], "{IF}\\31(5) {IF}\\31(*IF*) c");
}

TEST_F(Loops, IfInsideALoopDecidesOnEveryPass) {
  Compile("~1=1 [2 IF(~1>0, c, d) ~1=0 ]");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Played(), "c d");
  EXPECT_EQ(smf.Lines[0], "~1=1 [2 {IF}\\31(~1>0, c, d) ~1=0 ]");
}

TEST_F(Loops, IfWrittenAsItsSystemCommandInALoop) {
  smf.Vars[1] = 2;
  Compile("[3 \\31(~1>0, c, d) \\31(~1=2, e) ]");
  EXPECT_EQ(Played(), "c e c e c e");
  EXPECT_EQ(smf.Lines[0], "[3 \\31(~1>0, c, d) \\31(~1=2, e) ]");
}

TEST_F(Loops, NestedIfsUnwindInOrder) {
  smf.Vars[1] = 1;
  Compile("IF(~1=1, \"c IF(~1=1, d, e) f\", g) a");
  EXPECT_EQ(Played(), "c d f a");
  EXPECT_EQ(smf.IfDepth, 0);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Loops, IfNestingBeyondTheStackIsRefused) {
  // A branch that holds the IF again: each level nests one deeper.
  Compile("NEST c", {{"NEST", "\\31(1=1,NEST)"}});
  EXPECT_EQ(ErrorDetails(), Texts{"IFのネストが深すぎます。"});
  EXPECT_EQ(smf.IfDepth, 0);
  EXPECT_EQ(smf.Lines[0], "{NEST}\\31(1=1,NEST) c");
  EXPECT_EQ(Played(), "c");
}

// ---- slash chords ----

class SlashChords : public CoreTest {
 protected:
  // All events of track 0, sorted as text: notes that start together may
  // come in any order from the unstable sort of the store.
  Texts SortedEvents() {
    Texts events = Events();
    std::sort(events.begin(), events.end());
    return events;
  }
};

TEST_F(SlashChords, NotesStartTogetherAndTimeMovesByTheChordLength) {
  Compile("/ceg/2 d");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(SortedEvents(), (Texts{"0: 90 30 64", "0: 90 34 64", "0: 90 37 64", "167: 80 30 64",
                                   "167: 80 34 64", "167: 80 37 64", "192: 90 32 64", "275: 80 32 64"}));
  EXPECT_EQ(smf.Tracks[0].Length, 96);
}

TEST_F(SlashChords, StrumStepAndOwnLengths) {
  Compile("DLY=12 /ceg/2 d");
  EXPECT_EQ(SortedEvents(), (Texts{"0: 90 30 64", "12: 90 34 64", "167: 80 30 64", "179: 80 34 64",
                                   "191: 80 37 64", "192: 90 32 64", "24: 90 37 64", "275: 80 32 64"}));
  Compile("/c4e8/2 d");
  EXPECT_EQ(SortedEvents(), (Texts{"0: 90 30 64", "0: 90 34 64", "192: 90 32 64", "275: 80 32 64",
                                   "41: 80 34 64", "83: 80 30 64"}));
}

TEST_F(SlashChords, BlanksOctavesAndErrors) {
  Compile("/c e/4");
  const Texts spaced = SortedEvents();
  Compile("/ce/4");
  EXPECT_EQ(SortedEvents(), spaced);
  // Octave shifts inside stay in force.
  Compile("/c>e/4 c");
  EXPECT_EQ(Events().back(), "179: 80 3C 64");
  Compile("/ ce/4");
  ASSERT_GE(Errors().size(), 1u);
  EXPECT_EQ(ErrorDetails()[0], "/の中には音符か<>しか置けません。");
  EXPECT_EQ(smf.Tracks[0].Length, 96);
  Compile("/ce c");
  EXPECT_EQ(ErrorDetails(), Texts{"/が同行上にみつかりません。"});
  EXPECT_EQ(Played(), "c e c");
}

// ---- the example source ----

TEST(CoreExample, CompilesCleanlyWithItsLoopsMacrosAndSelections) {
  std::ifstream in(std::string(VLM_SOURCE_DIR) + "/examples/core.vlm");
  ASSERT_TRUE(in);
  const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto r = vlmtest::CompileSource(source, std::nullopt);  // the source seeds itself
  EXPECT_TRUE(r.Errors().empty());
  ASSERT_TRUE(r.smf.valid) << r.smf.error;
  Texts ons;
  for (const auto& e : r.Events())
    if (e.find(": 9") != std::string::npos) ons.push_back(e);
  // 11 + 8 notes in the first loop, 4 x 4 in the second, 10 + 1 in the third, a chord of three.
  ASSERT_EQ(ons.size(), 49u);
  EXPECT_EQ(ons.front(), "0: 90 3C 60");
  EXPECT_EQ(ons.back().substr(0, 6), "2352: ");
}

}  // namespace
