#include "common/json_flat.h"

#include <gtest/gtest.h>

namespace {

TEST(JsonFlat, ReadsTheValueKindsOfAFlatObject) {
  const auto object = vlm::ParseJsonObject(
      " {\"s\" : \"a\\\"b\\\\c\\/\\n\\t\" , \"n\":-9223372036854775808,\"m\":9223372036854775807,"
      "\"t\":true,\"f\":false,\"z\":null,\"s\":\"again\"} \n");
  ASSERT_TRUE(object.has_value());
  EXPECT_EQ(*object->at("s").String(), "again") << "a key given twice keeps its last value";
  EXPECT_EQ(*object->at("n").Integer(), INT64_MIN);
  EXPECT_EQ(*object->at("m").Integer(), INT64_MAX);
  EXPECT_TRUE(*object->at("t").Boolean());
  EXPECT_FALSE(*object->at("f").Boolean());
  EXPECT_TRUE(object->at("z").IsNull());
  EXPECT_TRUE(vlm::ParseJsonObject("{}")->empty());
}

// The escapes of RFC 8259, section 7: a G clef (U+1D11E) is the pair
// \ud834\udd1e, whose UTF-8 bytes are F0 9D 84 9E.
TEST(JsonFlat, UnicodeEscapesBecomeUtf8) {
  const auto object = vlm::ParseJsonObject("{\"k\":\"\\u0041\\u00e9\\u3042\\ud834\\udd1e\"}");
  ASSERT_TRUE(object.has_value());
  EXPECT_EQ(*object->at("k").String(), "A\xc3\xa9\xe3\x81\x82\xf0\x9d\x84\x9e");
  EXPECT_FALSE(vlm::ParseJsonObject("{\"k\":\"\\ud834\"}")) << "a lone high surrogate";
  EXPECT_FALSE(vlm::ParseJsonObject("{\"k\":\"\\udd1e\"}")) << "a lone low surrogate";
  EXPECT_FALSE(vlm::ParseJsonObject("{\"k\":\"\\ud834\\u0041\"}")) << "a high surrogate before no low one";
}

TEST(JsonFlat, RefusesWhatIsNotOneFlatObject) {
  for (const char* bad : {"", "[]", "{", "{\"a\":1", "{\"a\":1,}", "{\"a\" 1}", "{a:1}", "{\"a\":01}", "{\"a\":1.5}",
                          "{\"a\":1e3}", "{\"a\":-}", "{\"a\":9223372036854775808}", "{\"a\":{}}", "{\"a\":[1]}",
                          "{\"a\":\"x\\q\"}", "{\"a\":\"\\q1}", "{\"a\":\"tab\there\"}", "{\"a\":tru}", "{\"a\":1} x", "{\"a\":\"open}"})
    EXPECT_FALSE(vlm::ParseJsonObject(bad).has_value()) << bad;
}

}  // namespace
