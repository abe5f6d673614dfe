#include <gtest/gtest.h>

#include "compiler/tsmf.h"

namespace {

class Readers : public ::testing::Test {
 protected:
  std::vector<std::string> messages;
  vlm::TSmf smf{[this](const std::string& t) { messages.push_back(t); }};

  std::int32_t Number(const std::string& s, std::int32_t& len) {
    len = -99;
    return smf.ReadNumber(s, 1, len);
  }
  std::vector<std::string> ArgsOf(const std::string& s, std::int32_t& at) {
    at = 1;
    smf.ReadArgs(s, at);
    return {smf.Args.begin(), smf.Args.begin() + smf.ArgCount};
  }
};

TEST_F(Readers, NumberForms) {
  std::int32_t len;
  EXPECT_EQ(Number("12ab", len), 12);
  EXPECT_EQ(len, 2);
  EXPECT_EQ(Number("$1F,", len), 31);
  EXPECT_EQ(len, 3);
  EXPECT_EQ(Number("$", len), -1);
  EXPECT_EQ(len, 1);
  EXPECT_EQ(Number("x", len), -1);
  EXPECT_EQ(len, 0);
  EXPECT_EQ(Number("$FFFFFFFF", len), -1);
  EXPECT_EQ(Number("$80000000", len), INT32_MIN);
  EXPECT_EQ(Number("$000000001", len), 1);  // leading zeros are not significant
  EXPECT_EQ(Number("2147483647", len), INT32_MAX);
}

// Arguments read from the line being compiled come out whole wherever the
// line's last edit left its gap, inside an argument or between two.
TEST_F(Readers, ArgumentsOfTheCompiledLineWhereverItWasEdited) {
  const std::string text = "F(ab cd,(e,f)\"g,h\"i,,j)k";
  for (std::size_t gap = 0; gap <= text.size(); ++gap) {
    std::vector<std::string> lines = {text};
    smf.Begin(lines);
    smf.Edit(gap, 0, "");
    std::int32_t at = 2;
    smf.ReadArgs(smf.Line(), at);
    EXPECT_EQ(std::vector<std::string>(smf.Args.begin(), smf.Args.begin() + smf.ArgCount),
              (std::vector<std::string>{"ab cd", "(e,f)\"g,h\"i", "", "j"}))
        << "gap at " << gap;
    EXPECT_EQ(at, static_cast<std::int32_t>(text.size()));
  }
}

TEST_F(Readers, NumbersTooLargeEndTheCompile) {
  std::int32_t len;
  EXPECT_THROW(Number("2147483648", len), vlm::CompileFailure);
  EXPECT_THROW(Number("$123456789", len), vlm::CompileFailure);
}

TEST_F(Readers, VariableReferences) {
  std::int32_t len;
  smf.Vars[5] = 40;
  EXPECT_EQ(Number("~5", len), 40);
  EXPECT_EQ(len, 2);
  smf.Vars[3] = 5;
  EXPECT_EQ(Number("~~3", len), 40);
  EXPECT_EQ(len, 3);
  smf.Vars[3] = 600;
  messages.clear();
  EXPECT_EQ(Number("~~3", len), -1);
  EXPECT_EQ(len, -99);  // unchanged on failure
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("\"~\":引数が不正です"), std::string::npos);
}

TEST_F(Readers, LongTildeChainsNeitherRecurseNorFlood) {
  std::int32_t len;
  const std::string chain(200000, '~');
  messages.clear();
  EXPECT_THROW(Number(chain + "x", len), vlm::CompileStop);
  EXPECT_EQ(messages.size(), 11u);  // the tenth error stops the compile
}

TEST_F(Readers, SignedValues) {
  std::int32_t at = 1, status = 9;
  EXPECT_EQ(smf.ReadValue(std::string("-12"), at, status), -12);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(at, 4);
  at = 1;
  EXPECT_EQ(smf.ReadValue(std::string("+12"), at, status), 12);
  at = 1;
  EXPECT_EQ(smf.ReadValue(std::string("-$10"), at, status), -16);
  at = 1;
  EXPECT_EQ(smf.ReadValue(std::string("-"), at, status), 0);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(at, 2);
  smf.Vars[2] = 7;
  at = 1;
  EXPECT_EQ(smf.ReadValue(std::string("-~2"), at, status), 7);  // the sign does not negate a variable
  EXPECT_EQ(at, 4);
  at = 1;
  EXPECT_EQ(smf.ReadValue(std::string("~999"), at, status), 0);
  EXPECT_EQ(status, -1);
}

TEST_F(Readers, ParenthesisedArguments) {
  std::int32_t at;
  EXPECT_EQ(ArgsOf("(1, 2 ,3)x", at), (std::vector<std::string>{"1", "2 ", "3"}));
  EXPECT_EQ(at, 10);
  EXPECT_EQ(ArgsOf("(\"a,b\",c)", at), (std::vector<std::string>{"\"a,b\"", "c"}));
  EXPECT_EQ(ArgsOf("()", at), (std::vector<std::string>{""}));
  EXPECT_EQ(ArgsOf("(x(1,2),3)", at), (std::vector<std::string>{"x(1,2)", "3"}));
  EXPECT_EQ(ArgsOf("abc", at), (std::vector<std::string>{}));
  EXPECT_EQ(at, 1);
}

TEST_F(Readers, UnclosedArgumentListIsReported) {
  std::int32_t at;
  messages.clear();
  EXPECT_EQ(ArgsOf("(1,2", at), (std::vector<std::string>{"1"}));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find(")が見つかりません"), std::string::npos);
}

TEST_F(Readers, TooManyArgumentsStayInsideArgs) {
  std::string list = "(";
  for (int i = 0; i < 300; ++i) list += std::to_string(i) + ",";
  list += "x)";
  std::int32_t at;
  messages.clear();
  const auto args = ArgsOf(list, at);
  EXPECT_EQ(at, static_cast<std::int32_t>(list.size()) + 1);
  ASSERT_EQ(args.size(), 127u);  // the first 127 are kept, the rest dropped
  EXPECT_EQ(args[126], "126");
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(Readers, EqualsLists) {
  std::int32_t at;
  EXPECT_EQ(ArgsOf("=1 ,2,3", at), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(ArgsOf("=1, 2", at), (std::vector<std::string>{"1"}));
  EXPECT_EQ(ArgsOf("-5,6", at), (std::vector<std::string>{"-5", "6"}));
  EXPECT_EQ(ArgsOf("=,5", at), (std::vector<std::string>{"", "5"}));
  EXPECT_EQ(ArgsOf("=x", at), (std::vector<std::string>{}));
  at = 1;
  smf.ReadEqArgs(std::string("65,127"), at);
  EXPECT_EQ(smf.ArgCount, 2);
  EXPECT_EQ(smf.Args[1], "127");
}

TEST(StripQuotes, RemovesOneQuoteAtEachEnd) {
  EXPECT_EQ(vlm::StripQuotes("\"abc\""), "abc");
  EXPECT_EQ(vlm::StripQuotes("\"\"x\"\""), "\"x\"");
  EXPECT_EQ(vlm::StripQuotes("\""), "");
  EXPECT_EQ(vlm::StripQuotes("abc\""), "abc");
}

TEST(RoundTicks, HalvesGoToEven) {
  EXPECT_EQ(vlm::RoundTicks(2.5), 2);
  EXPECT_EQ(vlm::RoundTicks(3.5), 4);
  EXPECT_EQ(vlm::RoundTicks(4.0 / 5 * 96), 77);
  EXPECT_EQ(vlm::RoundTicks(1e12), INT32_MAX);
}

}  // namespace
