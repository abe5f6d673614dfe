#include <gtest/gtest.h>

#include <algorithm>

#include "tests/compiler/core_fixture.h"

namespace {

using vlmtest::CoreTest;
using Texts = std::vector<std::string>;

class SystemCommands : public CoreTest {};

// ---- the dispatcher ----

TEST_F(SystemCommands, CommandNumbers) {
  Compile("\\$6=96");
  EXPECT_EQ(Ptr(), 96);
  smf.Vars[3] = 6;
  Compile("\\~3=48");
  EXPECT_EQ(Ptr(), 48);
  Compile("\\40 \\x \\");
  EXPECT_EQ(ErrorDetails(), (Texts{"\\の番号が未定義です。", "\\", "x", "\\"}));
  EXPECT_NE(Errors()[0].find(":文法のエラー"), std::string::npos);
  EXPECT_NE(Errors()[1].find(":引数が不正です"), std::string::npos);
}

// Every short command's argument errors, one source each.
TEST_F(SystemCommands, ArgumentErrors) {
  struct Case {
    const char* source;
    const char* detail;
  };
  const Case cases[] = {
      {"T", "T=-127~127"},        {"T(1,2)", "T=-127~127"}, {"T(x)", "T=-127~127"},
      {"CH=0", "CH=1~16"},        {"CH=17", "CH=1~16"},     {"CH(1,2)", "CH=1~16"},
      {"CH", "CH=1~16"},          {"PTR", "PTR"},           {"PTR(x)", "PTR"},
      {"PTR(1,2)", "PTR"},        {"RNDV=-1", "RNDV"},      {"RNDN(1,2)", "RNDN"},
      {"RNDB", "RNDB"},           {"REV", "REV"},           {"CHO(1,2)", "CHO"},
      {"M", "M"},                 {"P", "P"},               {"E", "E"},
      {"V", "V"},                 {"D", "D"},               {"Q", "Qの%指定が不正"},
      {"Q=%", "Qの%指定が不正"},  {"Q()", "Q"},             {"Q(1,2)", "Q"},
      {"Q(%x)", "Q"},             {"DLY", "CD_DELAY or DLY"}, {"CD_DELAY=", "CD_DELAY or DLY"},
      {"DIV(4)", "DIV"},          {"DIV", "DIV"},           {"DIV(0,c)", "DIV"},
      {"SEL(1)", "SWITCH or SEL"}, {"SWITCH", "SWITCH or SEL"}, {"RV", "RV"},
      {"RQ", "RQ"},               {"RN", "RN"},             {"PRT(4,c)", "PRT"},
  };
  for (const auto& c : cases) {
    Compile(c.source);
    EXPECT_EQ(ErrorDetails(), Texts{c.detail}) << c.source;
    EXPECT_NE(Errors().at(0).find(":引数が不正です"), std::string::npos) << c.source;
  }
  smf.Vars[1] = -3;  // a negative count of sixteenths
  Compile("Q~1");
  EXPECT_EQ(ErrorDetails(), Texts{"Q"});
}

// ---- per-track values ----

TEST_F(SystemCommands, TransposeChannelAndPosition) {
  Compile("T=200");
  EXPECT_EQ(smf.Transpose[0], 127);
  Compile("T-200");
  EXPECT_EQ(smf.Transpose[0], -127);
  Compile("T-3 c");
  EXPECT_EQ(Events()[0], "0: 90 2D 64");

  Compile("CH=16 c");
  EXPECT_EQ(smf.Tracks[0].Channel, 15);
  EXPECT_EQ(Events()[0], "0: 9F 30 64");

  Compile("PTR+96 PTR+96");
  EXPECT_EQ(Ptr(), 192);
  Compile("PTR+96 PTR+96 PTR-96");
  EXPECT_EQ(Ptr(), 96);
  Compile("PTR=-96");  // the "=" list keeps the sign: a move back
  EXPECT_EQ(Ptr(), -96);
  smf.Vars[1] = 40;
  Compile("PTR=100 PTR-~1");  // a variable after the sign is the amount
  EXPECT_EQ(Ptr(), 60);
  Compile("PTR=100 PTR+~1");
  EXPECT_EQ(Ptr(), 140);
  Compile("PTR(~1)");
  EXPECT_EQ(Ptr(), 40);
  Compile("PTR=2147483647 PTR+1");  // wraps instead of overflowing
  EXPECT_EQ(Ptr(), INT32_MIN);
}

TEST_F(SystemCommands, RandomRanges) {
  Compile("RNDV=10 RNDN(5) RNDB=3");
  EXPECT_EQ(smf.RandVel[0], 10);
  EXPECT_EQ(smf.RandTime[0], 5);
  EXPECT_EQ(smf.RandBend[0], 3);
  Compile("RNDV(abc)");  // unreadable counts as 0, without an error
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(smf.RandVel[0], 0);
}

TEST_F(SystemCommands, ControllerValuesKeepTheUnlimitedValue) {
  Compile("REV=120 PTR=10 REV+20");
  EXPECT_EQ(smf.Tracks[0].Reverb, 140);
  EXPECT_EQ(Events(), (Texts{"0: B0 5B 78", "9: B0 5B 7F"}));
  Compile("REV=120 REV+20 REV-30");
  EXPECT_EQ(smf.Tracks[0].Reverb, 110);
  Compile("REV=200");
  EXPECT_EQ(smf.Tracks[0].Reverb, 200);
  EXPECT_EQ(Events(), Texts{"0: B0 5B 7F"});
  Compile("M(x)");  // no number: -1, written as 0
  EXPECT_EQ(smf.Tracks[0].Modulation, -1);
  EXPECT_EQ(Events(), Texts{"0: B0 01 00"});
  Compile("PTR=96 CHO=1 M=2 P=3 E=4 D=5");
  Texts events = Events();
  std::sort(events.begin(), events.end());  // equal times: the store's sort is not stable
  EXPECT_EQ(events, (Texts{"95: B0 01 02", "95: B0 06 05", "95: B0 0A 03", "95: B0 0B 04", "95: B0 5D 01"}));
  // V sets the main volume and the note velocity alike.
  Compile("V=90 c");
  EXPECT_EQ(Events(), (Texts{"0: B0 07 5A", "0: 90 30 5A", "83: 80 30 5A"}));
}

TEST_F(SystemCommands, GateOffsetForms) {
  struct Case {
    const char* source;
    std::int32_t offset;
  };
  const Case cases[] = {
      {"Q=8", 48},        {"Q%10", 10},          {"Q=%10 Q%-4", 6},  {"Q=8 Q%+5", 53},
      {"Q(8)", 48},       {"Q(%+5)", 5},         {"Q(%7) Q(-1)", 1}, {"l8 Q=4", 12},
      {"Q=300", 1536},    {"Q=2 Q+2 Q-1", 18},
  };
  for (const auto& c : cases) {
    Compile(c.source);
    EXPECT_TRUE(Errors().empty()) << c.source;
    EXPECT_EQ(smf.Tracks[0].GateOffset, c.offset) << c.source;
  }
}

TEST_F(SystemCommands, StrumDelayForms) {
  struct Case {
    const char* source;
    std::int32_t step;
  };
  smf.Vars[1] = 4;
  const Case cases[] = {
      {"DLY=-5", -5},        {"DLY=10 DLY-5", 5},  {"DLY=10 DLY+5", 15}, {"CD_DELAY(7)", 7},
      {"DLY=10 DLY-~1", 6},  {"DLY=~1", 4},        {"DLY=10 DLY-$10", -6},
  };
  for (const auto& c : cases) {
    Compile(c.source);
    EXPECT_TRUE(Errors().empty()) << c.source;
    EXPECT_EQ(smf.Tracks[0].StrumStep, c.step) << c.source;
  }
}

TEST_F(SystemCommands, SequencesAndGhostNotes) {
  Compile("RV(100,+10,-20) RQ=8 RN(3) c d e c");
  EXPECT_TRUE(smf.Tracks[0].RvList.empty());
  EXPECT_TRUE(smf.Tracks[0].RqList.empty());
  EXPECT_TRUE(smf.Tracks[0].RnList.empty());
  // c: 3 ticks late, gate 8; d: velocity 110; e: velocity 80; then the track's values again.
  EXPECT_EQ(Events(), (Texts{"3: 90 30 64", "50: 80 30 64", "96: 90 32 6E", "179: 80 32 6E", "192: 90 34 50",
                             "275: 80 34 50", "288: 90 30 64", "371: 80 30 64"}));
  Compile("RV(1,2) RQ(3) RN(4,5,6) RV_CLEAR RQ_CLEAR");
  EXPECT_TRUE(smf.Tracks[0].RvList.empty());
  EXPECT_TRUE(smf.Tracks[0].RqList.empty());
  EXPECT_EQ(Texts(smf.Tracks[0].RnList.begin(), smf.Tracks[0].RnList.end()), (Texts{"4", "5", "6"}));
  Compile("RN(1) RN_CLEAR");
  EXPECT_TRUE(smf.Tracks[0].RnList.empty());

  Compile("GHOST_ON c d e GHOST_OFF f");
  EXPECT_EQ(Played(), "f");
  EXPECT_EQ(NoteOns(), Texts{"288:f"});
}

// ---- handlers of other parts ----

TEST_F(SystemCommands, ExclusiveAndBend) {
  Compile("RESET_GS");
  EXPECT_EQ(Events(), Texts{"0: F0 41 10 42 12 40 00 7F 00 41 F7"});
  Compile("EX2=$F0,$41,$10,$42,$12,$40,0,$7F,0,$F7");
  EXPECT_EQ(Events(), Texts{"0: F0 41 10 42 12 40 00 7F 00 41 F7"});
  Compile("B=64 PTR=10 B=+10");
  EXPECT_EQ(smf.Tracks[0].Bend, 74);
  EXPECT_EQ(Events(), (Texts{"0: E0 00 40", "9: E0 00 4A"}));
}

// ---- selections ----

TEST_F(SystemCommands, SelectionCompilesTheChosenText) {
  Compile("SEL(2,c,d,e) f");
  EXPECT_EQ(Played(), "d f");
  EXPECT_EQ(smf.Lines[0], "{SEL}\\27(2,c,d,e) f");
  EXPECT_EQ(smf.SelDepth, 0);
  Compile("SWITCH(1,\"c d\",e)");  // quotes are stripped from the chosen text
  EXPECT_EQ(Played(), "c d");
}

TEST_F(SystemCommands, SelectorOutsideTheTextsIsRefused) {
  for (const char* source : {"SEL(0,c,d) f", "SEL(3,c,d) f", "SEL(~5,c,d) f"}) {
    smf.Vars[5] = 7;
    Compile(source);
    EXPECT_EQ(ErrorDetails(), Texts{"SWITCH or SEL"}) << source;
    EXPECT_EQ(Played(), "f") << source;
  }
}

TEST_F(SystemCommands, RandomSelectionChoosesAfreshOnEveryPass) {
  Compile("[40 \\27(?,c,d) ]");
  const std::string played = Played();
  const auto cs = std::count(played.begin(), played.end(), 'c');
  const auto ds = std::count(played.begin(), played.end(), 'd');
  EXPECT_EQ(cs + ds, 40);
  EXPECT_GT(cs, 5);
  EXPECT_GT(ds, 5);
  EXPECT_EQ(smf.Lines[0], "[40 \\27(?,c,d) ]");
}

TEST_F(SystemCommands, NestedSelectionsUnwindInnerFirst) {
  Compile("SEL(1,\"e SEL(2,c,d) f\",g) a");
  EXPECT_EQ(Played(), "e d f a");
  EXPECT_EQ(smf.SelDepth, 0);
  EXPECT_EQ(smf.Lines[0], "{SEL}\\27(1,\"e SEL(2,c,d) f\",g) a");
}

TEST_F(SystemCommands, SelectionNestingBeyondTheStackIsRefused) {
  Compile("DEEP c", {{"DEEP", "\\27(1,DEEP,e)"}});
  EXPECT_EQ(ErrorDetails(), Texts{"SELのネストが深すぎます。"});
  EXPECT_EQ(smf.SelDepth, 0);
  EXPECT_EQ(smf.Lines[0], "{DEEP}\\27(1,DEEP,e) c");
  EXPECT_EQ(Played(), "c");
}

TEST_F(SystemCommands, RewritingThatNeverEndsStopsAtTheLineLimit) {
  // A division whose item divides again: no stack grows, only the line.
  smf.MaxLineLength = 50000;
  Compile("GROW", {{"GROW", "DIV(4,GROW,c)"}});
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(ErrorDetails()[0], "行が長すぎるので、コンパイルを中止します。");
  EXPECT_EQ(smf.Lines.back(), " ");
}

// ---- divisions ----

TEST_F(SystemCommands, DivisionSharesTheLengthAmongTheItems) {
  Compile("DIV(4,c,d,e,f,g) a");
  EXPECT_EQ(smf.Lines[0], "{DIV}l%20cl%19dl%19el%19fl%19gl%96a");  // blanks after the list go with it
  EXPECT_EQ(NoteOns(), (Texts{"0:c", "20:d", "39:e", "58:f", "77:g", "96:a"}));
  Compile("DIV(4,c,d,e)");
  EXPECT_EQ(smf.Lines[0], "{DIV}l%32cl%32dl%32el%96");
  EXPECT_EQ(smf.Tracks[0].Length, 96);
  // Further lengths after "^" join the total; quotes are stripped from items.
  Compile("l8 DIV(2,\"c\",d) ^4 e");
  EXPECT_EQ(smf.Lines[0], "l8 {DIV}l%144cl%144dl%48 e");
  EXPECT_EQ(Ptr(), 336);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(SystemCommands, DivisionWrittenWithAnyNumberForm) {
  // The command text is removed from its backslash on, however its number is written.
  Compile("\\$19(4,c,d) e");
  EXPECT_EQ(smf.Lines[0], "l%48cl%48dl%96e");
  EXPECT_TRUE(Errors().empty());
}

// ---- glides ----

TEST_F(SystemCommands, GlideGeneratesABendCurveText) {
  OnLine("\\39(4,c,g)x");
  smf.SystemCommand();
  EXPECT_EQ(smf.Line().str(),
            "~502=o~505=nno(c)~504=nno(g)"
            "~503=~504-~505IF(~503<0,~503*-1)IF(~503>24,~503=24)BR(~503)IF(~505>~504,~503=0,~503=127)"
            "ACB(64,~503,4,0,1,0)n~505,4"
            "B=64o=~502x");
  EXPECT_EQ(smf.Col, 1);
  OnLine("c\\39(8,e,c,%24)");
  smf.Col = 2;
  smf.SystemCommand();
  EXPECT_EQ(smf.Line().substr(0, 29), "c~502=o~505=nno(e)~504=nno(c)");
  EXPECT_NE(smf.Line().find("ACB(64,~503,8,%24,1,0)n~505,8B=64o=~502"), std::string::npos);
  EXPECT_EQ(smf.Col, 2);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(SystemCommands, GlideCompilesToABendCurveOverTheFirstNote) {
  Compile("o5 PRT(4,c,e) c\nPRT(8,g,c,%24)");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(smf.Lines[0].substr(0, 28), "o5 {PRT}~502=o~505=nno(c)~50");
  const Texts events = Events();
  auto has = [&events](const std::string& e) { return std::find(events.begin(), events.end(), e) != events.end(); };
  // c to e: a bend range of 4 semitones, a rise from the centre to the top
  // over the quarter note c, the centre again, and the octave back at 5.
  EXPECT_TRUE(has("0: B0 06 04"));
  EXPECT_TRUE(has("0: 90 3C 64"));
  EXPECT_TRUE(has("94: E0 00 7F"));
  EXPECT_TRUE(has("95: E0 00 40"));
  EXPECT_TRUE(has("96: 90 3C 64"));
  // g down to c, 7 semitones, after a delay of 24 ticks over an eighth note g.
  EXPECT_TRUE(has("191: B0 06 07"));
  EXPECT_TRUE(has("192: 90 43 64"));
  EXPECT_TRUE(has("214: E0 00 40"));
  EXPECT_TRUE(has("238: E0 00 00"));
  EXPECT_TRUE(has("239: E0 00 40"));
  EXPECT_EQ(smf.Tracks[0].Octave, 5);
  EXPECT_EQ(Ptr(), 240);
}

}  // namespace
