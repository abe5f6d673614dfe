#include <gtest/gtest.h>

#include <algorithm>

#include "compiler/builtin_table.h"
#include "compiler/tmacro.h"
#include "tests/compiler/core_fixture.h"

namespace {

using vlmtest::CoreTest;

// ---- the macro table ----

TEST(Tmacro, AddReplacesInPlaceAndKeepsOrder) {
  vlm::Tmacro table;
  table.Add("A", "1");
  table.Add("\"K\"", "\"2\"");  // one pair of quotes is stripped from each
  table.Add("C", "3");
  table.Add("A", "4");
  // The built-in words come first, the source's own after them.
  const auto items = table.Items();
  ASSERT_EQ(items.size(), vlm::BuiltinWordCount + 3);
  EXPECT_EQ(items[vlm::BuiltinWordCount].Name, "A");
  EXPECT_EQ(items[vlm::BuiltinWordCount].Value, "4");
  EXPECT_EQ(items[vlm::BuiltinWordCount + 1].Name, "K");
  EXPECT_EQ(items[vlm::BuiltinWordCount + 2].Name, "C");
  EXPECT_EQ(table.Find("K"), "2");
  EXPECT_EQ(table.Find("k"), "");  // names compare byte for byte
  EXPECT_EQ(table.Find("Z"), "");
  table.Clear();
  EXPECT_EQ(table.Items().size(), vlm::BuiltinWordCount);
  EXPECT_EQ(table.Find("A"), "");
  table.Add("A", "5");  // the name index starts afresh after Clear
  EXPECT_EQ(table.Find("A"), "5");
}

// Every word of the table is found by its own name, with its own
// replacement, on a table never filled: the lookup is checked row by row
// against the table as written.
TEST(Tmacro, EveryBuiltinWordIsFoundWithoutBeingAdded) {
  const vlm::Tmacro table;
  for (std::size_t row = 0; row < vlm::BuiltinWordCount; ++row) {
    const std::string name(vlm::BuiltinCommands[row].Name);
    EXPECT_EQ(vlm::FindBuiltin(name), static_cast<int>(row)) << name;
    EXPECT_EQ(table.Find(name), vlm::BuiltinCommands[row].Replacement) << name;
  }
  // Near misses: prefixes, longer words, other case, the terminating row.
  for (const char* name : {"", "*", "PT", "PTRS", "ptr", "Ptr", "DR_", "DR_VARX", "AAA", "ZZZ", "RESET_"})
    EXPECT_EQ(vlm::FindBuiltin(name), -1) << name;
  EXPECT_EQ(table.Find("PTRS"), "");
}

TEST(Tmacro, ADefinitionHidesABuiltinWordUntilCleared) {
  vlm::Tmacro table;
  table.Add("\"PTR\"", "c");
  table.Add("MINE", "d");
  table.Add("TR", "");  // an empty value hides the word too: it no longer expands
  EXPECT_EQ(table.Find("PTR"), "c");
  EXPECT_EQ(table.Find("TR"), "");
  EXPECT_EQ(table.Find("TRL"), "_tr(0)\\9");  // a longer word is a word of its own
  auto items = table.Items();
  ASSERT_EQ(items.size(), vlm::BuiltinWordCount + 1);
  EXPECT_EQ(items[6].Name, "PTR");  // the redefined word keeps its row
  EXPECT_EQ(items[6].Value, "c");
  EXPECT_EQ(items[27].Name, "TR");
  EXPECT_EQ(items[27].Value, "");
  EXPECT_EQ(items.back().Name, "MINE");
  table.Add("PTR", "e");
  EXPECT_EQ(table.Find("PTR"), "e");
  EXPECT_EQ(table.Items().size(), vlm::BuiltinWordCount + 1);
  table.Clear();
  EXPECT_EQ(table.Find("PTR"), "\\6");
  EXPECT_EQ(table.Find("TR"), "_tr(0)\\7");
  EXPECT_EQ(table.Find("MINE"), "");
}

TEST_F(CoreTest, ResetRegistersTheBuiltinWordsInTableOrder) {
  smf.Macros.Add("PTR", "c");
  smf.Macros.Add("MINE", "c");
  smf.Reset();
  const auto items = smf.Macros.Items();
  ASSERT_EQ(items.size(), 83u);
  for (std::size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].Name, vlm::BuiltinCommands[i].Name);
    EXPECT_EQ(items[i].Value, vlm::BuiltinCommands[i].Replacement);
  }
  EXPECT_EQ(vlm::BuiltinCommands[83].Name, "*");
  EXPECT_EQ(smf.Macros.Find("T"), "\\3");
  EXPECT_EQ(smf.Macros.Find("*"), "");
  EXPECT_EQ(smf.Macros.Find("MINE"), "");
}

// ---- expansion in the line being compiled ----

TEST_F(CoreTest, ExpansionWritesTheBracedNameIntoTheCompiledLine) {
  Compile("PTR=96");
  EXPECT_EQ(smf.Lines[0], "{PTR}\\6=96");
  EXPECT_EQ(Ptr(), 96);
  EXPECT_EQ(smf.LastMacro, "PTR");

  OnLine("BR=12");
  smf.ExpandMacro();
  EXPECT_EQ(smf.Line().str(), "{BR}\\2=0,0,12");
  EXPECT_EQ(smf.Col, 5);  // on the first character of the value

  OnLine("ACV(0,127,1,0,1,0)");  // a curve word: its missing seventh point is dropped silently
  smf.ExpandMacro();
  EXPECT_EQ(smf.Line().str(), "{ACV}\\10(7,0,127,1,0,1,0,)");
  EXPECT_TRUE(Errors().empty());
}

TEST_F(CoreTest, ValuesThatBeginWithAMacroExpandAtOnce) {
  Compile("GO", {{"GO", "AHEAD"}, {"AHEAD", "PTR+5"}});
  EXPECT_EQ(smf.Lines[0], "{GO}{AHEAD}{PTR}\\6+5");
  EXPECT_EQ(Ptr(), 5);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(CoreTest, ArgumentsFillTheMarkers) {
  Compile("MOVE(7,2)|MOVE=3,4", {{"MOVE", "PTR+?2 PTR+?1"}});
  EXPECT_EQ(smf.Lines[0], "{MOVE}{PTR}\\6+2 {PTR}\\6+7|{MOVE}{PTR}\\6+4 {PTR}\\6+3");
  EXPECT_EQ(Ptr(), 16);
  // A bare "?" is the first argument.
  Compile("TWICE(PTR+48)", {{"TWICE", "? ?"}});
  EXPECT_EQ(smf.Lines[0], "{TWICE}\\6+48 \\6+48");  // the argument was expanded first, without braces
  EXPECT_EQ(Ptr(), 96);
}

TEST_F(CoreTest, SingleQuotesBecomeDoubleQuotes) {
  Compile("SEP", {{"SEP", "'|'"}});
  EXPECT_EQ(smf.Lines[0], "{SEP}\"|\"");
  EXPECT_TRUE(Errors().empty());
}

// The value's single quotes change, the arguments' do not; a marker's number
// may be written in any form a number takes.
TEST_F(CoreTest, QuotesChangeInTheValueAroundMarkersOfEveryForm) {
  smf.Vars[1] = 1;
  Compile("QM(c',d)", {{"QM", "'?2'?$1 ?~1 ?"}});
  EXPECT_EQ(smf.Lines[0], "{QM}\"d\"c' c' c'");
  EXPECT_EQ(ErrorDetails(), (std::vector<std::string>{"'", "'", "'"}));
}

TEST_F(CoreTest, AParameterlessMacroLeavesTheFollowingListAlone) {
  Compile("STEP(3)", {{"STEP", "PTR+4"}});
  EXPECT_EQ(smf.Lines[0], "{STEP}{PTR}\\6+4(3)");
}

TEST_F(CoreTest, WhatIsNotExpanded) {
  // A longer word is looked up whole.
  Compile("XYZ", {{"XY", "PTR+1"}});
  EXPECT_EQ(smf.Lines[0], "XYZ");
  EXPECT_EQ(Errors().size(), 3u);
  // An empty value never expands.
  Compile("ZZ", {{"ZZ", "\"\""}});
  EXPECT_EQ(ErrorDetails(), (std::vector<std::string>{"Z", "Z"}));
  // T directly followed by digits is the word T120, which is no macro.
  Compile("T120");
  EXPECT_EQ(smf.Lines[0], "T120");
}

TEST_F(CoreTest, OneLetterMacrosOnlyWhereSwitchedOn) {
  smf.Reset();
  smf.Macros.Add("x", "PTR+3");
  smf.Tracks[1].OneLetterMacros = 1;
  smf.Lines = {"\\6=0 x"};
  smf.CurTrack = 1;
  messages.clear();
  smf.CompileLines();
  EXPECT_EQ(smf.Lines[0], "\\6=0 {x}{PTR}\\6+3");
  EXPECT_EQ(Ptr(1), 3);

  Compile("x", {{"x", "PTR+3"}});  // track 0 after a reset: "x" is a plain character
  EXPECT_EQ(smf.Lines[0], "x");
}

TEST_F(CoreTest, MissingArgumentsAreErrorThreeUnlessExempt) {
  Compile("PAIR(5)", {{"PAIR", "PTR+?1 PTR+?2"}});
  EXPECT_EQ(smf.Lines[0], "{PAIR}{PTR}\\6+5 {PTR}\\6+");
  ASSERT_GE(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], "err(0)\"PAIR\":必要な引数が足りません\"> _tr<0> ptr=0<0>小節目");

  // The exemption is a substring test on the names of the curve words.
  Compile("CH=3 CUT", {{"CH", "\\4=?"}});  // the "=" list takes the blank after its value
  EXPECT_EQ(smf.Lines[0], "{CH}\\4=3{CUT}\\1=1,$20,");
  EXPECT_EQ(smf.Tracks[0].Channel, 2);
  const auto details = ErrorDetails();
  EXPECT_EQ(std::count(details.begin(), details.end(), "CH"), 0);
  EXPECT_EQ(std::count(details.begin(), details.end(), "CUT"), 0);
}

TEST_F(CoreTest, MarkerZeroReadsNothing) {
  Compile("ZERO(4)", {{"ZERO", "|?0|"}});
  EXPECT_EQ(smf.Lines[0], "{ZERO}||");
  EXPECT_EQ(ErrorDetails(), (std::vector<std::string>{"ZERO"}));
}

TEST_F(CoreTest, ArgumentTextIsNotSearchedForMarkersAgain) {
  // The argument reproduces the marker; it is inserted once, as written.
  Compile("ECHO(?1)", {{"ECHO", "|?1|"}});
  EXPECT_EQ(smf.Lines[0], "{ECHO}|?1|");
  EXPECT_EQ(ErrorDetails(), (std::vector<std::string>{"?", "1"}));
}

// ---- expansion inside arguments ----

TEST_F(CoreTest, ArgumentsExpandMacroWordsWithoutBraces) {
  // XPTR is no macro, so the scan moves on by one character and finds PTR.
  Compile("KEEP(XPTR=1)", {{"KEEP", "|?1|"}});
  EXPECT_EQ(smf.Lines[0], "{KEEP}|X\\6=1|");
  // A macro with arguments inside an argument takes its own list; the outer
  // arguments are intact afterwards.
  Compile("TWO(ADD(4),9)", {{"TWO", "?1|?2"}, {"ADD", "PTR+?1"}});
  EXPECT_EQ(smf.Lines[0], "{TWO}\\6+4|9");
  EXPECT_EQ(Ptr(), 4);
  // Inside arguments a missing argument is always error 3, exempt names too.
  Compile("KEEP(ACP)", {{"KEEP", "|?1|"}});
  EXPECT_EQ(ErrorDetails().at(0), "ACP");
}

// ---- bounds on expansion ----

TEST_F(CoreTest, MacrosThatBeginWithEachOtherStopWithAnErrorLine) {
  Compile("PING\nPTR=5", {{"PING", "PONG"}, {"PONG", "PING"}});
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_NE(Errors()[0].find("の展開が深すぎるので、コンパイルを中止します。"), std::string::npos);
  EXPECT_EQ(smf.Lines.back(), " ");  // the compile was stopped
  EXPECT_EQ(Ptr(), 0);
}

TEST_F(CoreTest, MacrosThatExpandIntoEachOtherLaterStopAtTheLineLimit) {
  smf.MaxLineLength = 20000;
  Compile("TICK", {{"TICK", "|TOCK"}, {"TOCK", "|TICK"}});
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_NE(Errors()[0].find("行が長すぎるので"), std::string::npos);
  EXPECT_EQ(smf.Lines.back(), " ");
}

// The bound on a line's length grows with the source: a song written as one
// line far longer than MaxLineLength compiles, while a line that keeps
// growing is still stopped, at sixteen times the source.
TEST_F(CoreTest, TheLineLimitScalesWithALongSource) {
  smf.MaxLineLength = 1000;
  std::string song;
  for (int bar = 0; bar < 300; ++bar) song += "ARP(c,e,g) d ";
  Compile(song, {{"ARP", "?1 ?2 ?3"}});
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Ptr(), 300 * 4 * 96);
  EXPECT_GT(smf.Lines[0].size(), smf.MaxLineLength);
  EXPECT_EQ(smf.Lines[0].substr(0, 12), "{ARP}c e g d");

  Compile(std::string(300, ' ') + "TICK", {{"TICK", "|TOCK"}, {"TOCK", "|TICK"}});
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_NE(Errors()[0].find("行が長すぎるので"), std::string::npos);
  EXPECT_LE(smf.LineLengthLimit, 16u * 305);
}

TEST_F(CoreTest, RecursionInsideAnArgumentStopsWithAnErrorLine) {
  Compile("KEEP(PING)", {{"KEEP", "|?1|"}, {"PING", "PONG"}, {"PONG", "PING"}});
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_NE(Errors()[0].find("の展開が深すぎるので"), std::string::npos);
  // Growing recursion inside an argument is stopped by the line limit.
  smf.MaxLineLength = 5000;
  Compile("KEEP(TICK)", {{"KEEP", "|?1|"}, {"TICK", "|TOCK"}, {"TOCK", "|TICK"}});
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_NE(Errors()[0].find("行が長すぎるので"), std::string::npos);
}

TEST_F(CoreTest, TenthErrorDuringArgumentsLeavesTheStoppedLineAlone) {
  // Nine errors, then a missing argument: the tenth stops the compile in the
  // middle of the expansion, which must not write into the stopped line.
  Compile("}}}}}}}}}PAIR(1)c", {{"PAIR", "?1?2?3"}});
  EXPECT_EQ(Errors().size(), 10u);
  EXPECT_EQ(smf.Lines.back(), " ");
  EXPECT_EQ(smf.Lines.size(), 2u);
}

// ---- definitions in a source ----

TEST_F(CoreTest, SourceDefinitionsTakeEffectWhereTheyStand) {
  Compile("ZIG(c)\n_m(ZIG,\"?1 ?2 >?1<\")ZIG(c,e) d\n_m(ZIG,'?1')ZIG(f)");
  // Not yet defined on line 0: its letters and parentheses are unknown characters.
  EXPECT_EQ(ErrorDetails(), (std::vector<std::string>{"Z", "I", "G", "(", ")"}));
  EXPECT_EQ(Played(), "c c e c d f");
  EXPECT_EQ(smf.Lines[1], "_m(ZIG,\"?1 ?2 >?1<\"){ZIG}c e >c< d");
  EXPECT_EQ(smf.Lines[2], "_m(ZIG,'?1'){ZIG}\"f\"");  // single quotes became double quotes
}

TEST_F(CoreTest, OneLetterMacrosFollowTheSwitch) {
  Compile("_m(c,\"e f\") c _smon c _smoff c");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Played(), "c e f c");
}

TEST_F(CoreTest, DefinitionsInsideALoopRunOnEveryPass) {
  Compile("[2 _m(NOTE,c) NOTE _m(NOTE,d) NOTE ]");
  EXPECT_EQ(Played(), "c d c d");
}

// ---- definitions ----

class Definitions : public CoreTest {
 protected:
  // Runs the definition handler on line Index of Source with Col on the "m" of "_m(".
  void Define(const std::string& Source, std::int32_t Index = 0) {
    smf.Reset();
    messages.clear();
    std::istringstream in(Source);
    for (std::string line; std::getline(in, line);) smf.Lines.push_back(line);
    smf.Begin(smf.Lines);
    const auto col = static_cast<std::int32_t>(smf.StoredLine(Index).find("_m")) + 2;
    smf.MoveTo(Index, col, vlm::Leaving::Keep);
    smf.DefineMacro();
  }
};

TEST_F(Definitions, UnquotedAndQuotedValues) {
  Define("_m(HOOK,c d e)r");
  EXPECT_EQ(smf.Macros.Find("HOOK"), "c d e");
  EXPECT_EQ(smf.Line().substr(static_cast<std::size_t>(smf.Col - 1)), "r");
  Define("_m(HOOK, \"c,d)e\" )r");
  EXPECT_EQ(smf.Macros.Find("HOOK"), "c,d)e");
  EXPECT_EQ(smf.Line().substr(static_cast<std::size_t>(smf.Col - 1)), "r");
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Definitions, RedefinitionKeepsTheEntryInPlace) {
  Define("_m(PTR,c)");
  EXPECT_EQ(smf.Macros.Find("PTR"), "c");
  EXPECT_EQ(smf.Macros.Items()[6].Name, "PTR");
  EXPECT_EQ(smf.Macros.Items().size(), 83u);
  smf.Reset();
  EXPECT_EQ(smf.Macros.Find("PTR"), "\\6");
}

TEST_F(Definitions, QuotedValueOverSeveralLines) {
  Define("x _m(LONG,\"ab\ncd\nef\"  )r\nh", 0);
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(smf.Macros.Find("LONG"), "abcdef");  // line breaks disappear
  EXPECT_EQ(smf.LineNo(), 2);
  EXPECT_EQ(smf.Line().str(), "ef\"  )r");
  EXPECT_EQ(smf.Line().substr(static_cast<std::size_t>(smf.Col - 1)), "r");
  EXPECT_EQ(smf.StoredLine(0), "x _m(LONG,\"ab");
}

TEST_F(Definitions, PlusContinuesOnTheNextLine) {
  Define("_m(JOIN,\"ab\" + ignored\n\t {note} \"cd\"+\n  \"ef\" )r");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(smf.Macros.Find("JOIN"), "ab cd ef");
  EXPECT_EQ(smf.LineNo(), 2);
  EXPECT_EQ(smf.Line().substr(static_cast<std::size_t>(smf.Col - 1)), "r");
}

TEST_F(Definitions, FailedDefinitionsAreDropped) {
  struct Case {
    const char* source;
    const char* detail;
  };
  const Case cases[] = {
      {"_mHOOK,c)", "_m"},
      {"_m(HOOK c)", "_m"},
      {"_m(HOOK,c", "_m"},
      {"_m(HOOK,\"c\" d)", "_m"},
      {"_m(HOOK,\"c\nd\"e)", "_m"},
      {"_m(HOOK,\"c\"+", "_m"},
      {"_m(HOOK,\"c\"+\n{note \"d\")", "_m"},
      {"_m(HOOK,\"c\"+\nd\")", "_m"},
      {"_m(HOOK,\"c\"+\n\"d)", "_m"},
      {"_m(xy,c)", "_m...小文字は１文字マクロです"},
      {"_m(x,ax)", "マクロの中でマクロは定義できません。"},
      {"_m(HOOK,HOOK)", "\"HOOK\"マクロの中でマクロ自身を使う事はできません。"},
      {"_m(HOOK,c HOOK d)", "\"HOOK\"マクロの中でマクロ自身を使う事はできません。"},
      {"_m(\"HOOK\",cHOOK)", "\"HOOK\"マクロの中でマクロ自身を使う事はできません。"},
  };
  for (const auto& c : cases) {
    Define(c.source);
    EXPECT_EQ(ErrorDetails(), (std::vector<std::string>{c.detail})) << c.source;
    EXPECT_EQ(smf.Macros.Find("HOOK"), "") << c.source;
    EXPECT_EQ(smf.Macros.Items().size(), 83u) << c.source;
  }
}

TEST_F(Definitions, OnlyTheFirstOccurrenceOfTheNameIsExamined) {
  Define("_m(HOOK,HOOKS HOOK)");  // HOOKS is another word; the later HOOK is not looked at
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(smf.Macros.Find("HOOK"), "HOOKS HOOK");
}

TEST_F(Definitions, UnclosedQuotedValueRestoresTheLine) {
  Define("c\n_m(OPEN,\"ab\ncd\nef", 1);
  EXPECT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], "err(1)\"_m(OPEN\":文法のエラー\"> _tr<0> ptr=0<0>小節目");
  EXPECT_EQ(smf.LineNo(), 1);
  EXPECT_EQ(smf.Line().str(), "_m(OPEN,\"ab");
  EXPECT_EQ(smf.Col, static_cast<std::int32_t>(smf.Line().size()) + 1);
  EXPECT_EQ(smf.Macros.Find("OPEN"), "");
}

}  // namespace
