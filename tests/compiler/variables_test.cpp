#include "tests/compiler/language_fixture.h"

namespace {

using vlmtest::BadArgument;
using vlmtest::ErrorLine;
using vlmtest::MissingArgument;
using vlmtest::SyntaxError;

class Variables : public vlmtest::LanguageTest {};

TEST_F(Variables, CompoundOperatorsChainOnOneVariable) {
  Compile("~1=5 ~1+3");
  EXPECT_EQ(Var(1), 8);
  Compile("~1*-2");
  EXPECT_EQ(Var(1), -16);
  Compile("~1R28");  // unsigned shift: zeros come in
  EXPECT_EQ(Var(1), 15);
  Compile("~1=1 ~1L4");
  EXPECT_EQ(Var(1), 16);
  Compile("~1=1 ~1L33");  // only the low 5 bits of the count
  EXPECT_EQ(Var(1), 2);
  Compile("~1=12 ~1&10 ~2=12 ~2|3 ~3=12 ~3^5 ~4=20 ~4-30 ~5=-7 ~5%3 ~6=-7 ~6/2");
  EXPECT_EQ(Var(1), 8);
  EXPECT_EQ(Var(2), 15);
  EXPECT_EQ(Var(3), 9);
  EXPECT_EQ(Var(4), -10);
  EXPECT_EQ(Var(5), -1);
  EXPECT_EQ(Var(6), -3);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Variables, BinaryAssignments) {
  Compile(
      "~1=7%3 ~2=-7%3 ~3=-7/2 ~4=5>3 ~5=5:4 ~7=24 ~6=$10&~7 ~8=3<4 ~9=5:5 ~10=6^3 ~11=-16R28 "
      "~12=2L3 ~13=9-12 ~14=6*7 ~15=5|2 ~16=42");
  EXPECT_EQ(Var(1), 1);
  EXPECT_EQ(Var(2), -1);
  EXPECT_EQ(Var(3), -3);
  EXPECT_EQ(Var(4), 1);
  EXPECT_EQ(Var(5), 0);
  EXPECT_EQ(Var(6), 16);
  EXPECT_EQ(Var(8), 1);
  EXPECT_EQ(Var(9), 1);
  EXPECT_EQ(Var(10), 5);
  EXPECT_EQ(Var(11), 15);
  EXPECT_EQ(Var(12), 16);
  EXPECT_EQ(Var(13), -3);
  EXPECT_EQ(Var(14), 42);
  EXPECT_EQ(Var(15), 7);
  EXPECT_EQ(Var(16), 42);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Variables, ArithmeticWrapsAndDivisionFaultsGiveZero) {
  Compile("~1=2147483647 ~1+1 ~2=$80000000 ~2-1 ~3=65536 ~3*65536 ~4=$10000 ~4=~4*$10001");
  EXPECT_EQ(Var(1), INT32_MIN);
  EXPECT_EQ(Var(2), INT32_MAX);
  EXPECT_EQ(Var(3), 0);
  EXPECT_EQ(Var(4), 0x10000);  // 0x100010000 wrapped
  Compile("~1=5 ~1/0 ~2=5 ~2%0 ~3=7/0 ~4=7%0 ~9=-1 ~5=$80000000 ~5/~9 ~6=$80000000 ~6%~9 ~7=$80000000/~9");
  for (int v = 1; v <= 7; ++v) EXPECT_EQ(Var(v), 0) << "~" << v;
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Variables, NumberAndOperatorErrors) {
  Compile("~ 1=5");  // blanks between "~" and the number are allowed
  EXPECT_EQ(Var(1), 5);
  EXPECT_TRUE(Errors().empty());

  Compile("~1 =6");
  EXPECT_EQ(Var(1), 5);
  ASSERT_EQ(Errors().size(), 3u);  // then "=" and "6" have no handler
  EXPECT_EQ(Errors()[0], ErrorLine(0, "~", SyntaxError));

  for (const char* source : {"~600=1", "~=1"}) {
    Compile(source);
    ASSERT_EQ(Errors().size(), 3u) << source;  // then "=" and "1" have no handler
    EXPECT_EQ(Errors()[0], ErrorLine(0, "~変数番号の不正", BadArgument));
  }
  for (const char* source : {"~1=", "~1+x", "~1=3+", "~1=x"}) {
    Compile(source);
    ASSERT_FALSE(Errors().empty()) << source;
    EXPECT_EQ(Errors()[0], ErrorLine(0, "~", BadArgument)) << source;
  }
  EXPECT_EQ(Var(1), 5);  // nothing changed
}

TEST_F(Variables, VariableIndexMayItselfBeAVariable) {
  Compile("~3=7 ~~3=11 ~1=~~3");
  EXPECT_EQ(Var(7), 11);
  EXPECT_EQ(Var(1), 11);
}

TEST_F(Variables, ValuesSurviveReset) {
  Compile("~1=41");
  Compile("~1+1");
  EXPECT_EQ(Var(1), 42);
}

TEST_F(Variables, NamedQuantities) {
  Compile("_tr(3) _ac(%20) ~1=trk ~2=bas ~3=acv ~4=dly #timebase 480\n~5=bas");
  EXPECT_EQ(Var(1), 3);
  EXPECT_EQ(Var(2), 96);
  EXPECT_EQ(Var(3), 20);
  EXPECT_EQ(Var(4), 0);
  EXPECT_EQ(Var(5), 480);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Variables, NamedQuantityStandsAlone) {
  Compile("~1=bas+5");
  EXPECT_EQ(Var(1), 96);
  ASSERT_EQ(Errors().size(), 2u);  // "+" and "5" compiled as ordinary text
  EXPECT_EQ(Errors()[0], ErrorLine(0, "+", "解読不能文字です"));
}

// A name cut short by the end of the line names nothing: it is read as a
// value, which fails.
TEST_F(Variables, ANameCutShortByTheLineEndNamesNothing) {
  Compile("~1=5\n~1=pt");
  EXPECT_EQ(Var(1), 5);
  ASSERT_FALSE(Errors().empty());
  EXPECT_EQ(Errors()[0], ErrorLine(1, "~", "引数が不正です"));
}

TEST_F(Variables, ReadBackLettersOfTheResetState) {
  Compile("~1=v ~2=l ~3=o ~4=q ~5=E ~6=P ~7=V ~8=Q");
  EXPECT_EQ(Var(1), 100);
  EXPECT_EQ(Var(2), 96);
  EXPECT_EQ(Var(3), 4);
  EXPECT_EQ(Var(4), 14);
  EXPECT_EQ(Var(5), 127);
  EXPECT_EQ(Var(6), 64);
  EXPECT_EQ(Var(7), 100);
  EXPECT_EQ(Var(8), 0);
}

TEST_F(Variables, ReadBackLettersFollowTheSettings) {
  Compile("v90 o3 l8 q10 REV=11 CHO=12 M=13 D=14 P=15 E=16 B=17 Q%5\n"
          "~1=v ~2=o ~3=l ~4=q ~5=REV ~6=CHO ~7=M ~8=D ~9=P ~10=E ~11=B ~12=Q ~13=V");
  EXPECT_TRUE(Errors().empty()) << Errors()[0];
  EXPECT_EQ(Var(1), 90);
  EXPECT_EQ(Var(2), 3);
  EXPECT_EQ(Var(3), 48);
  EXPECT_EQ(Var(4), 10);
  EXPECT_EQ(Var(5), 11);
  EXPECT_EQ(Var(6), 12);
  EXPECT_EQ(Var(7), 13);
  EXPECT_EQ(Var(8), 14);
  EXPECT_EQ(Var(9), 15);
  EXPECT_EQ(Var(10), 16);
  EXPECT_EQ(Var(11), 17);
  EXPECT_EQ(Var(12), 5);
  EXPECT_EQ(Var(13), 90);
}

TEST_F(Variables, PtrAfterNotes) {
  Compile("c4 c4 ~1=ptr");
  EXPECT_EQ(Var(1), 192);
}

TEST_F(Variables, NoteNumbers) {
  Compile("~1=nno(c+) ~2=nno(n72) ~3=nno(o5c) ~4=o ~5=nno(<b)");
  EXPECT_TRUE(Errors().empty()) << Errors()[0];
  EXPECT_EQ(Var(1), 49);
  EXPECT_EQ(Var(2), 72);
  EXPECT_EQ(Var(3), 60);
  EXPECT_EQ(Var(4), 5);  // the leading o5 stays in force
  EXPECT_EQ(Var(5), 59);
  EXPECT_TRUE(smf.TrackEvents[0].Count() == 0);
  EXPECT_NE(last.lines[0].find("o5|~3=nno(c)"), std::string::npos);
}

TEST_F(Variables, NoteNumberErrors) {
  Compile("~1=9 ~1=nno(c,d) ~1=nno(o5) ~1=nno() ~1=nno");
  ASSERT_EQ(Errors().size(), 4u);
  for (const auto& e : Errors()) EXPECT_EQ(e, ErrorLine(0, "nno", BadArgument));
  EXPECT_EQ(Var(1), 9);

  // Leading commands with a "(" would let two note forms rewrite each other for ever.
  Compile("~2=nno(~3=nno(<b))");
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], ErrorLine(0, "nno", BadArgument));
}

TEST_F(Variables, LengthOfMmlText) {
  Compile("c4 ~1=len(c4 d8.) e");
  EXPECT_TRUE(Errors().empty()) << Errors()[0];
  EXPECT_EQ(Var(1), 168);
  EXPECT_EQ(NoteOns(0), (std::vector<std::string>{"0: 48", "96: 52"}));  // ptr came back
  Compile("~1=len(c,d)");
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], ErrorLine(0, "len", MissingArgument));
}

TEST_F(Variables, RandomNumbers) {
  Compile("~1=rnd(1) ~2=rnd(1000) ~3=rnd(1000) ~4=rnd(1000)");
  EXPECT_EQ(Var(1), 0);
  for (int v = 2; v <= 4; ++v) {
    EXPECT_GE(Var(v), 0);
    EXPECT_LT(Var(v), 1000);
  }
  EXPECT_FALSE(Var(2) == Var(3) && Var(3) == Var(4));
  const std::int32_t first = Var(2);
  Compile("~1=rnd(1) ~2=rnd(1000)");  // the same seed gives the same draws
  EXPECT_EQ(Var(2), first);
  Compile("~1=rnd(1,2)");
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], ErrorLine(0, "rnd()の引数は１つです", MissingArgument));
}

}  // namespace
