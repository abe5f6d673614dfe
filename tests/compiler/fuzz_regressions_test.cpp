// Inputs that once crashed or hung the compiler under the fuzzer. Each must
// now compile to the end (errors allowed) and leave a valid file. The inputs
// found by the fuzzer are kept byte for byte under fuzz_inputs/; the cases
// below them are the same faults reduced by hand.

#include <gtest/gtest.h>

#include <filesystem>

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
