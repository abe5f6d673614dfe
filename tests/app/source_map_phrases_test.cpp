// Generated phrases, compiled with a source map: every note leads back to
// the letter (or word) of the assembled source that made it.

#include <gtest/gtest.h>

#include "compiler/mml_compiler.h"
#include "tests/app/form_fixture.h"
#include "tests/support/source_map_check.h"

namespace vlmtest {
namespace {

TEST_F(FormTest, GeneratedPhrasesMapEveryNoteToItsText) {
  auto& f = Start();
  std::int64_t notes = 0;
  for (std::uint32_t seed = 1; seed <= 60; ++seed) {
    f.Rng.Seed = seed;
    f.speLength.SetValue(static_cast<std::int32_t>(4 + seed % 29));
    f.MakePlay1Click();
    ASSERT_FALSE(f.LastSource.empty());
    vlm::CompileOptions options;
    options.Seed = seed;
    options.SourceMap = true;
    const vlm::CompileResult result = vlm::CompileMml(f.LastSource, options);
    ASSERT_TRUE(result.Map.has_value());
    notes += static_cast<std::int64_t>(result.Map->Notes.size());
    const auto wrong = WrongNoteOrigins(f.LastSource, result);
    EXPECT_TRUE(wrong.empty()) << "seed " << seed << ": " << wrong.front();
  }
  EXPECT_GT(notes, 1000);
}

// An error in the pattern, clicked in the message view, selects its place in
// the pattern box (in code points); an error elsewhere selects nothing.
TEST_F(FormTest, ClickedPatternErrorSelectsItsPlaceInThePattern) {
  auto& f = Start();
  std::vector<std::int32_t> selected;
  f.SelectInPattern = [&](std::int32_t Offset) { selected.push_back(Offset); };
  f.memPatten = "c{あ} d $ e";
  f.memOption = "}";  // an error outside the pattern, first
  f.Compile1Click();
  ASSERT_EQ(f.PatternErrorOffsets, (std::vector<std::int32_t>{-1, 7, 7, 7, 7}));  // one per pass of the loop
  for (int line = 0; line < static_cast<int>(messages.RichEdit1.Lines.size()); ++line) {
    messages.RichEdit1.Select(messages.RichEdit1.LineStart(line), 0);
    messages.RichEdit1MouseDown();
  }
  EXPECT_EQ(selected, (std::vector<std::int32_t>(4, 7)));
  EXPECT_EQ(f.PatternOffsetOf({"a", "[4 cd]"}, {0, 2, 5}), 1);
  EXPECT_EQ(f.PatternOffsetOf({"a", "[4 cd]"}, {0, 1, 5}), -1);
  EXPECT_EQ(f.PatternOffsetOf({"a", "[4 cd]"}, {1, 2, 5}), -1);
  f.SongMode = 1;
  EXPECT_EQ(f.PatternOffsetOf({"a", "[4 cd]"}, {0, 2, 5}), -1);
}

}  // namespace
}  // namespace vlmtest
