#include "compiler/line_buffer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// Every read of the buffer must agree with the same text held in a plain
// string, wherever the gap stands.
void ExpectSameText(const vlm::LineBuffer& line, const std::string& model) {
  ASSERT_EQ(line.size(), model.size());
  EXPECT_EQ(line.str(), model);
  for (std::int32_t pos = -1; pos <= static_cast<std::int32_t>(model.size()) + 2; ++pos)
    ASSERT_EQ(vlm::CharAt(line, pos), vlm::CharAt(model, pos)) << "at " << pos;
  std::string copy = "old contents";
  line.CopyTo(copy);
  EXPECT_EQ(copy, model);
}

TEST(LineBuffer, EditsAnywhereMatchAPlainString) {
  std::mt19937 random(7);
  const std::string alphabet = "abc[]{}\"(), ";
  vlm::LineBuffer line;
  std::string model = "c d e [2 f g : a ] b";
  line = model;
  for (int step = 0; step < 3000; ++step) {
    const std::size_t at = random() % (model.size() + 1);
    const std::size_t count = random() % (model.size() - at + 1) % 6;
    std::string text;
    for (std::size_t n = random() % (step % 50 == 0 ? 300 : 8); n > 0; --n) text += alphabet[random() % alphabet.size()];
    line.replace(at, count, text);
    model.replace(at, count, text);
    if (step % 97 == 0) ExpectSameText(line, model);

    const std::size_t from = random() % (model.size() + 2);
    const char c = alphabet[random() % alphabet.size()];
    ASSERT_EQ(line.find(c, from), model.find(c, from));
    const std::string sub = model.substr(random() % (model.size() + 1), 1 + random() % 3);
    ASSERT_EQ(line.find(sub, from), model.find(sub, from)) << sub;
    ASSERT_EQ(line.substr(from, 5), from > model.size() ? "" : model.substr(from, 5));
  }
  ExpectSameText(line, model);
}

// A line stored over its shorter old text (a rewritten line going back into
// the source) gets room for itself and no more: the source keeps every line
// so stored for the rest of the compile. Stored over a longer one, it keeps
// that room rather than allocate.
TEST(LineBuffer, StoringALongerLineTakesOnlyTheRoomItNeeds) {
  vlm::LineBuffer line;
  line = std::string(100, 'a');
  line.replace(40, 0, std::string(30, 'b'));  // the gap inside the text
  const std::string expected = std::string(40, 'a') + std::string(30, 'b') + std::string(60, 'a');
  std::string stored(90, 'x');
  stored.shrink_to_fit();
  line.CopyTo(stored);
  EXPECT_EQ(stored, expected);
  EXPECT_LT(stored.capacity(), expected.size() + 16);

  std::string roomy(500, 'x');
  const char* const storage = roomy.data();
  line.CopyTo(roomy);
  EXPECT_EQ(roomy, expected);
  EXPECT_EQ(roomy.data(), storage);
}

TEST(LineBuffer, SearchesAcrossTheGap) {
  vlm::LineBuffer line;
  line = "abcdef";
  line.replace(3, 0, "XY");  // "abcXYdef", the gap after "XY"
  EXPECT_EQ(line.find("Yd"), 4u);
  EXPECT_EQ(line.find("cX"), 2u);
  EXPECT_EQ(line.find('f', 6), 7u);
  EXPECT_EQ(line.find("fg"), vlm::LineBuffer::npos);
  EXPECT_EQ(vlm::InStr(line, "de", 1), 6);
  EXPECT_EQ(vlm::InStr(line, "de", 7), 0);
  EXPECT_EQ(vlm::InStr(line, "", 9), 9);
  EXPECT_EQ(vlm::InStr(line, "", 10), 0);
  EXPECT_TRUE(line == "abcXYdef");
  EXPECT_FALSE(line == "abcXYde");
}

TEST(LineBuffer, ReloadingDropsTheOldTextAndGap) {
  vlm::LineBuffer line;
  line = "0123456789";
  line.replace(2, 5, "");
  line = "xy";
  ExpectSameText(line, "xy");
  line.replace(2, 0, "z");
  ExpectSameText(line, "xyz");
  line = "";
  EXPECT_TRUE(line.empty());
  EXPECT_EQ(line.find('x'), vlm::LineBuffer::npos);
  EXPECT_EQ(line.substr(0), "");
}

// A reference to the line sees it as later edits leave it: a reader that
// goes on after a stopped compile must read the new text, not freed bytes.
TEST(TextRef, FollowsTheLineThroughEdits) {
  vlm::LineBuffer line;
  line = "c4";
  const vlm::TextRef ref(line);
  line.replace(0, 2, std::string(1000, 'd'));
  EXPECT_EQ(ref.size(), 1000u);
  EXPECT_EQ(vlm::CharAt(ref, 1000), 'd');
  line = " ";
  EXPECT_EQ(vlm::CharAt(ref, 1), ' ');
  EXPECT_EQ(vlm::CharAt(ref, 2), -1);
  const std::string plain = "ab";
  EXPECT_EQ(vlm::TextRef(plain).substr(5), "");
  EXPECT_EQ(vlm::TextRef(plain).find('b'), 1u);
}

}  // namespace
