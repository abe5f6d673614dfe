// The generated Kate definition and Vim syntax file, read by
// kate-syntax-highlighter and by Vim themselves on the same example.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "common/mml_syntax.h"
#include "common/mml_syntax_files.h"
#include "tests/support/run_command.h"
#include "tests/support/syntax_reading.h"

namespace {

TEST(SyntaxFiles, KateColoursTheKnownSpans) {
  const auto lines = vlmtest::ReadLines(vlmtest::HighlightExamplePath());
  const auto kate = vlmtest::KateCategories(vlmtest::HighlightExamplePath());
  EXPECT_EQ(vlmtest::CheckExpectedSpans(lines, kate), "");
}

TEST(SyntaxFiles, VimDetectsTheFileAndColoursTheKnownSpans) {
  const auto lines = vlmtest::ReadLines(vlmtest::HighlightExamplePath());
  std::string filetype;
  const auto vim = vlmtest::VimCategories(vlmtest::HighlightExamplePath(), filetype);
  EXPECT_EQ(filetype, "vlm");
  EXPECT_EQ(vlmtest::CheckExpectedSpans(lines, vim), "");
}

TEST(SyntaxFiles, KateAndVimAgreeOnEveryCharacter) {
  const auto lines = vlmtest::ReadLines(vlmtest::HighlightExamplePath());
  std::string filetype;
  const auto vim = vlmtest::VimCategories(vlmtest::HighlightExamplePath(), filetype);
  const auto kate = vlmtest::KateCategories(vlmtest::HighlightExamplePath());
  EXPECT_EQ(vlmtest::Differences(lines, kate, vim), "");
}

// The TextMate grammar (VS Code, Sublime Text), read by TextMate's rules,
// colours the example as Kate does; the extension that carries it is
// well-formed JSON naming the grammar where it lies.
TEST(SyntaxFiles, TextMateAgreesWithKateOnEveryCharacter) {
  const std::string vscode = vlmtest::SyntaxDir() + "/vscode";
  std::string scopes;
  for (const vlm::MmlCategoryInfo& info : vlm::MmlCategories())
    if (!info.textMateScope.empty()) scopes += " '" + std::string(info.textMateScope) + "=" + std::string(info.name) + "'";
  const auto run = vlmtest::RunCommand(vscode, "python3 '" VLM_SOURCE_DIR "/tests/support/textmate_reader.py' "
                                               "syntaxes/vlm.tmLanguage.json '" + vlmtest::HighlightExamplePath() + "'" + scopes);
  ASSERT_EQ(run.status, 0) << run.err;
  vlmtest::CategoryLines textMate;
  std::istringstream out(run.out);
  for (std::string line; std::getline(out, line);) {
    std::istringstream words(line);
    textMate.emplace_back(std::istream_iterator<std::string>(words), std::istream_iterator<std::string>());
  }
  const auto lines = vlmtest::ReadLines(vlmtest::HighlightExamplePath());
  EXPECT_EQ(vlmtest::Differences(lines, vlmtest::KateCategories(vlmtest::HighlightExamplePath()), textMate), "");
  const auto package = vlmtest::RunCommand(vscode, "python3 -c 'import json,os; p=json.load(open(\"package.json\")); "
                                                   "json.load(open(\"language-configuration.json\")); "
                                                   "assert os.path.exists(p[\"contributes\"][\"grammars\"][0][\"path\"])'");
  EXPECT_EQ(package.status, 0) << package.err;
}

// Each translated pattern, anchored at every column of the example, matches
// in Vim exactly as much as the original does in an ECMAScript engine.
TEST(SyntaxFiles, VimPatternsMatchWhatTheRulesMatch) {
  std::vector<std::string> patterns;
  for (const vlm::MmlRule& rule : vlm::MmlRules()) {
    for (const std::string& pattern : {rule.pattern, rule.endPattern, rule.follow}) {
      if (!pattern.empty()) patterns.push_back(pattern);
    }
  }
  const auto lines = vlmtest::ReadLines(vlmtest::HighlightExamplePath());
  std::string dir = (std::filesystem::temp_directory_path() / "vlmvimre-XXXXXX").string();
  ASSERT_NE(::mkdtemp(dir.data()), nullptr);
  {
    std::ofstream list(dir + "/patterns.txt");
    for (const std::string& pattern : patterns) list << vlm::VimPattern(pattern) << "\n";
    std::ofstream script(dir + "/ends.vim");
    script << "let out = []\n"
              "let lines = readfile('" << vlmtest::HighlightExamplePath() << "')\n"
              "for p in readfile('patterns.txt')\n"
              "  for l in lines\n"
              "    let row = []\n"
              "    for c in range(len(l))\n"
              "      call add(row, matchend(strpart(l, c), '^\\%(' . p . '\\)'))\n"
              "    endfor\n"
              "    call add(out, join(row, ' '))\n"
              "  endfor\n"
              "endfor\n"
              "call writefile(out, 'ends.txt')\n";
  }
  const auto run = vlmtest::RunCommand(dir, "vim -N -n -es -u NONE -i NONE -c 'source ends.vim' -c 'qa!' </dev/null");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto ends = vlmtest::ReadLines(dir + "/ends.txt");
  std::filesystem::remove_all(dir);
  ASSERT_EQ(ends.size(), patterns.size() * lines.size());
  std::size_t row = 0;
  for (const std::string& pattern : patterns) {
    const std::regex re(pattern);
    for (const std::string& line : lines) {
      std::istringstream vim(ends[row++]);
      for (std::size_t c = 0; c < line.size(); ++c) {
        long vimEnd = -2;
        vim >> vimEnd;
        std::smatch match;
        const std::string rest = line.substr(c);
        const long expected = std::regex_search(rest, match, re, std::regex_constants::match_continuous)
                                  ? static_cast<long>(match.length(0))
                                  : -1;
        ASSERT_EQ(vimEnd, expected) << pattern << " at column " << c << " of: " << line;
      }
    }
  }
}

}  // namespace
