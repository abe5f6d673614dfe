#include "common/json_node.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using vlm::JsonNode;
using vlm::ParseJson;

TEST(JsonNode, ReadsNestedValuesAndWritesThemBack) {
  const auto value = ParseJson(
      " {\"id\":7,\"params\":{\"a\":[1,\"x\",true,false,null,[],{}],\"a\":[2]},"
      "\"s\":\"q\\\"b\\\\s\\/n\\n\\t\\b\\f\\r\"} \r\n");
  ASSERT_TRUE(value);
  ASSERT_EQ(value->Type, JsonNode::Kind::Object);
  EXPECT_EQ(value->Find("id")->Number, 7);
  const JsonNode* params = value->Find("params");
  ASSERT_TRUE(params);
  EXPECT_EQ(params->Find("a")->Items.size(), 1u) << "a key given twice reads as its last value";
  EXPECT_EQ(*value->FindString("s"), "q\"b\\s/n\n\t\b\f\r");
  EXPECT_EQ(value->FindString("id"), nullptr) << "a number is no string";
  EXPECT_EQ(value->Find("missing"), nullptr);
  EXPECT_EQ(params->Members[0].Value.Items[1].Find("x"), nullptr) << "a string has no members";
  // Written back compactly, every member kept in its order.
  EXPECT_EQ(vlm::WriteJson(*value),
            "{\"id\":7,\"params\":{\"a\":[1,\"x\",true,false,null,[],{}],\"a\":[2]},"
            "\"s\":\"q\\\"b\\\\s/n\\u000a\\u0009\\u0008\\u000c\\u000d\"}");
}

// RFC 8259, section 7: U+1D11E (a G clef) is the pair \ud834\udd1e, whose
// UTF-8 bytes are F0 9D 84 9E. A surrogate without its partner is U+FFFD
// (EF BF BD), which JavaScript's JSON.stringify can hand over.
TEST(JsonNode, UnicodeEscapesAndSurrogates) {
  EXPECT_EQ(ParseJson("\"\\u0041\\u00E9\\u3042\\ud834\\udd1e\"")->Text, "A\xc3\xa9\xe3\x81\x82\xf0\x9d\x84\x9e");
  EXPECT_EQ(ParseJson("\"\\ud834x\"")->Text, "\xef\xbf\xbdx");
  EXPECT_EQ(ParseJson("\"\\udd1e\\ud834\"")->Text, "\xef\xbf\xbd\xef\xbf\xbd") << "a pair in the wrong order";
  EXPECT_EQ(ParseJson("\"\\ud834\\u0041\"")->Text, "\xef\xbf\xbd" "A") << "the escape after a high surrogate stays";
  EXPECT_EQ(ParseJson("\"\xe3\x81\x82\"")->Text, "\xe3\x81\x82") << "UTF-8 as it is";
  for (const char* bad : {"\"\\u12\"", "\"\\u12G4\"", "\"\\x\"", "\"a\nb\"", "\"open", "\"\xe3\x81\"", "\"\xff\""})
    EXPECT_FALSE(ParseJson(bad)) << bad;
}

TEST(JsonNode, NumbersFollowTheGrammar) {
  const auto numbers = ParseJson("[0,-0,12,-3.25,1e3,2E-2,6.5e+1,123456789012345678901234567890,1e400,-1e400,1e-400]");
  ASSERT_TRUE(numbers);
  const auto& n = numbers->Items;
  EXPECT_EQ(n[2].Number, 12);
  EXPECT_EQ(n[3].Number, -3.25);
  EXPECT_EQ(n[4].Number, 1000);
  EXPECT_EQ(n[5].Number, 0.02);
  EXPECT_EQ(n[6].Number, 65);
  EXPECT_EQ(n[7].Text, "123456789012345678901234567890") << "the text keeps what a double cannot";
  EXPECT_DOUBLE_EQ(n[7].Number, 1.2345678901234568e29);
  EXPECT_EQ(n[8].Number, INFINITY);
  EXPECT_EQ(n[9].Number, -INFINITY);
  EXPECT_EQ(n[10].Number, 0);
  EXPECT_EQ(vlm::WriteJson(*numbers), "[0,-0,12,-3.25,1e3,2E-2,6.5e+1,123456789012345678901234567890,1e400,-1e400,1e-400]");
  for (const char* bad : {"01", "+1", "1.", ".5", "1e", "1e+", "-", "0x10", "NaN", "Infinity", "1 2"})
    EXPECT_FALSE(ParseJson(bad)) << bad;
}

TEST(JsonNode, RefusesWhatIsNotOneValue) {
  for (const char* bad : {"", " ", "{", "[1,]", "{\"a\":1,}", "{\"a\" 1}", "{1:2}", "[1 2]", "tru", "nul",
                          "{\"a\":1}}", "{} x", "[", "]"})
    EXPECT_FALSE(ParseJson(bad)) << bad;
}

// Nesting beyond the bound is refused, however deep: no text can exhaust
// the stack. At the bound itself it is read.
TEST(JsonNode, DeepNestingIsRefusedNotACrash) {
  const int depth = vlm::kMaxJsonDepth;
  EXPECT_TRUE(ParseJson(std::string(depth, '[') + std::string(depth, ']')));
  EXPECT_FALSE(ParseJson(std::string(depth + 1, '[') + std::string(depth + 1, ']')));
  std::string objects;
  for (int i = 0; i < depth + 1; ++i) objects += "{\"a\":";
  EXPECT_FALSE(ParseJson(objects + "1" + std::string(depth + 1, '}')));
  EXPECT_FALSE(ParseJson(std::string(10'000'000, '[')));
  EXPECT_FALSE(ParseJson(std::string(5'000'000, '[') + std::string(5'000'000, ']')));
}

}  // namespace
