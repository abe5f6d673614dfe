// Compiles every example of the language reference (docs/mml.md), so that
// the reference cannot drift from the compiler.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compiler/builtin_table.h"
#include "tests/support/compile_harness.h"

namespace {

struct Example {
  std::string source;   // the block's lines joined with '\n'
  int line = 0;         // 1-based line of the opening fence in the document
  bool showsError = false;  // fenced as ```vlm-error
};

// The fenced blocks marked vlm or vlm-error, in document order.
std::vector<Example> ReadExamples(const std::string& Path) {
  std::ifstream in(Path);
  std::vector<Example> examples;
  Example* open = nullptr;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (open) {
      if (line.rfind("```", 0) == 0) {
        open = nullptr;
      } else {
        if (!open->source.empty()) open->source += '\n';
        open->source += line;
      }
    } else if (line == "```vlm" || line == "```vlm-error") {
      examples.push_back({"", number, line == "```vlm-error"});
      open = &examples.back();
    }
  }
  EXPECT_EQ(open, nullptr) << "unclosed example block in " << Path;
  return examples;
}

std::string ReferencePath() { return std::string(VLM_SOURCE_DIR) + "/docs/mml.md"; }

// The examples run in a scratch directory that holds the file the #include
// example names, since an include is read relative to the current directory.
class MmlReference : public testing::Test {
 protected:
  void SetUp() override {
    previous = std::filesystem::current_path();
    dir = vlmtest::ScratchDir();
    std::ofstream(dir + "/drums.vlm") << "_tr(9) CH=10 n36 n38 n36 n38\n_tr(0)\n";
    std::filesystem::current_path(dir);
  }
  void TearDown() override {
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(dir);
  }
  std::filesystem::path previous;
  std::string dir;
};

TEST_F(MmlReference, EveryExampleCompilesAsDocumented) {
  const std::vector<Example> examples = ReadExamples(ReferencePath());
  ASSERT_FALSE(examples.empty()) << "no examples found in " << ReferencePath();
  int errorExamples = 0;
  for (const Example& example : examples) {
    SCOPED_TRACE("docs/mml.md:" + std::to_string(example.line) + "\n" + example.source);
    const vlmtest::CompileResult result = vlmtest::CompileSource(example.source);
    EXPECT_FALSE(result.failed) << result.failure;
    EXPECT_TRUE(result.smf.valid);
    if (example.showsError) {
      ++errorExamples;
      EXPECT_FALSE(result.Errors().empty());
    } else {
      std::ostringstream errors;
      for (const std::string& e : result.Errors()) errors << e << '\n';
      EXPECT_TRUE(result.Errors().empty()) << errors.str();
    }
  }
  EXPECT_GT(errorExamples, 0);
}

// Each built-in word has at least one example that compiles it.
TEST_F(MmlReference, EveryBuiltinWordHasAnExample) {
  std::string code;
  for (const Example& example : ReadExamples(ReferencePath()))
    if (!example.showsError) code += example.source + '\n';
  auto isWordChar = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '`'; };
  for (const vlm::BuiltinCommand& row : vlm::BuiltinCommands) {
    const std::string name(row.Name);
    if (name == "*") continue;
    bool found = false;
    for (std::size_t at = code.find(name); at != std::string::npos && !found; at = code.find(name, at + 1)) {
      const bool startsWord = at == 0 || !isWordChar(code[at - 1]);
      const bool endsWord = at + name.size() >= code.size() || !isWordChar(code[at + name.size()]);
      found = startsWord && endsWord;
    }
    EXPECT_TRUE(found) << name << " has no example in docs/mml.md";
  }
}

}  // namespace
