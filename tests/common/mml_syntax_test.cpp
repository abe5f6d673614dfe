// The table of highlighting rules: its built-in words against the
// compiler's, its patterns against the subset every highlighter can read.

#include <gtest/gtest.h>

#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/mml_syntax.h"
#include "common/mml_syntax_files.h"
#include "compiler/builtin_table.h"

namespace {

TEST(MmlSyntaxTable, BuiltinWordsAreTheCompilersWords) {
  std::vector<std::string> compiler;
  for (const vlm::BuiltinCommand& command : vlm::BuiltinCommands) {
    if (command.Name != "*") compiler.emplace_back(command.Name);
  }
  std::vector<std::string> table(vlm::MmlBuiltinWords().begin(), vlm::MmlBuiltinWords().end());
  EXPECT_EQ(table, compiler);
}

// A pattern that matches nothing at a position would leave Kate and the
// desktop highlighter on the same spot, and Vim could read it otherwise.
TEST(MmlSyntaxTable, NoPatternMatchesEmptyText) {
  for (const vlm::MmlRule& rule : vlm::MmlRules()) {
    for (const std::string& pattern : {rule.pattern, rule.endPattern, rule.follow}) {
      if (pattern.empty()) continue;
      const std::regex re(pattern);
      for (const std::string text : {"", " ", "\x01", "}"}) {
        std::smatch match;
        const bool found = std::regex_search(text, match, re, std::regex_constants::match_continuous);
        EXPECT_FALSE(found && match.length(0) == 0) << pattern << " on \"" << text << "\"";
      }
    }
  }
}

TEST(MmlSyntaxTable, EveryCategoryHasItsOwnName) {
  const auto categories = vlm::MmlCategories();
  for (std::size_t i = 0; i < categories.size(); ++i) {
    EXPECT_EQ(static_cast<std::size_t>(categories[i].category), i) << categories[i].name;
    for (std::size_t j = 0; j < i; ++j) EXPECT_NE(categories[i].name, categories[j].name);
  }
}

TEST(VimPattern, RefusesWhatItCannotTranslate) {
  for (const char* pattern : {"^c", "c$", "(c)", "c{2}", "[c", "(?:c", "c)", "\\d", "[]c]", "[[:alpha:]]", "\\"}) {
    EXPECT_THROW(vlm::VimPattern(pattern), std::invalid_argument) << pattern;
  }
}

}  // namespace
