// Inputs that once crashed or hung the compiler under the fuzzer. Each must
// now compile to the end (errors allowed) and leave a valid file. The inputs
// found by the fuzzer are kept byte for byte under fuzz_inputs/; the cases
// below them are the same faults reduced by hand.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory_resource>

#include "tests/support/compile_harness.h"

namespace {

// Compiles Source as the fuzzer does: split at line feeds only, with the
// fuzzer's lowered work bound.
void ExpectCompiles(const std::string& Source, const std::string& what) {
  std::vector<std::string> sink;
  vlm::TSmf smf([&sink](const std::string& text) { sink.push_back(text); });
  smf.MaxCompileSteps = 200'000;
  const auto result = vlmtest::CompileWith(smf, sink, Source);
  EXPECT_TRUE(result.smf.valid) << what << ": " << result.smf.error;
  EXPECT_FALSE(result.messages.empty()) << what;
  if (!result.failed) {
    EXPECT_EQ(result.messages.back(), "ok") << what;
  }
}

TEST(FuzzRegressions, KeptInputs) {
  const std::filesystem::path dir = std::filesystem::path(VLM_SOURCE_DIR) / "tests/compiler/fuzz_inputs";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const auto bytes = vlmtest::ReadFileBytes(entry.path().string());
    ExpectCompiles(std::string(bytes.begin(), bytes.end()), entry.path().filename().string());
    ++count;
  }
  EXPECT_GT(count, 0);
}

// Its loops run the time past 2^31 ticks, and the wrapped times, which no
// order ranks, made the quicksort's steps quadratic: 0.8 s here, over two
// minutes under the sanitizers. The steps stop at their budget; a stable
// sort by time finishes, and the store warns that it did.
TEST(FuzzRegressions, WrappedTimesThatDefeatTheQuicksortAreFinishedByTime) {
  const std::filesystem::path input =
      std::filesystem::path(VLM_SOURCE_DIR) / "tests/compiler/fuzz_inputs/wrapped-times-defeat-quicksort";
  const auto bytes = vlmtest::ReadFileBytes(input.string());
  std::vector<std::string> sink;
  std::vector<std::string> warnings;
  vlm::TSmf smf([&sink](const std::string& text) { sink.push_back(text); });
  smf.MaxCompileSteps = 200'000;
  smf.SetEventStores([&warnings](const std::string& text) { warnings.push_back(text); },
                     std::pmr::get_default_resource());
  const auto result = vlmtest::CompileWith(smf, sink, std::string(bytes.begin(), bytes.end()));
  ASSERT_TRUE(result.smf.valid) << result.smf.error;
  EXPECT_EQ(warnings, std::vector<std::string>{"イベントの並べ替えの処理が多すぎるので、時刻の順に並べて仕上げました。"});
  // Every note is still there: as many note-ons as note-offs.
  ASSERT_FALSE(result.smf.tracks.empty());
  std::size_t ons = 0, offs = 0;
  for (const auto& event : result.smf.tracks[0]) {
    const int kind = event.bytes.empty() ? 0 : event.bytes[0] & 0xF0;
    ons += kind == 0x90 && event.bytes[2] > 0;
    offs += kind == 0x80 || (kind == 0x90 && event.bytes[2] == 0);
  }
  EXPECT_GT(ons, 100'000u);
  EXPECT_EQ(ons, offs);
}

TEST(FuzzRegressions, TenthErrorInsideAValueList) {
  // The tenth error replaces Line while the equals-list reader still reads it.
  ExpectCompiles("}}}}}}}}} v=+~600", "equals list");
  ExpectCompiles("}}}}}}}}} v=1,+~600", "equals list, later value");
}

TEST(FuzzRegressions, NoteNumberFormsRewritingEachOther) {
  // Each rewrite handed the other command a new note form, without end.
  ExpectCompiles("~2=nno(~3=nno(<b))", "two note forms");
}

}  // namespace
