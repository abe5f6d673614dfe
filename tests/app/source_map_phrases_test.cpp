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

}  // namespace
}  // namespace vlmtest
