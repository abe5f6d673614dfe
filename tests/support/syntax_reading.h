#pragma once
// Reads back how the editors colour a vlm source, one category name per
// character ("Text" where nothing is claimed), so that the Kate definition,
// the Vim syntax file and the desktop highlighter can be compared.

#include <string>
#include <vector>

namespace vlmtest {

// Per line, per character (bytes; the example is plain ASCII).
using CategoryLines = std::vector<std::vector<std::string>>;

std::vector<std::string> ReadLines(const std::string& path);

// The folder the build writes the generated editor files into.
std::string SyntaxDir();

// The example source all highlighters are checked on.
std::string HighlightExamplePath();

// Runs Vim in batch mode (no swap file, so that runs may overlap) with SyntaxDir() first on its runtime path, loads
// `file` with file-type detection and syntax on, and reads synID() for every
// character. `filetype` receives the type Vim detected.
CategoryLines VimCategories(const std::string& file, std::string& filetype);

// Runs kate-syntax-highlighter with the generated definition only and reads
// its format trace.
CategoryLines KateCategories(const std::string& file);

// Spans of the example whose categories are known by hand.
struct ExpectedSpan {
  std::size_t line;        // 0-based
  std::string text;        // what stands there
  std::size_t occurrence;  // which occurrence of text on the line, from 0
  std::string category;
};
const std::vector<ExpectedSpan>& ExpectedExampleSpans();

// Empty when every span of ExpectedExampleSpans() has its category in
// `categories`; otherwise one line per mismatch.
std::string CheckExpectedSpans(const std::vector<std::string>& lines, const CategoryLines& categories);

// Empty when both readings agree everywhere; otherwise the first differences.
std::string Differences(const std::vector<std::string>& lines, const CategoryLines& a, const CategoryLines& b);

}  // namespace vlmtest
