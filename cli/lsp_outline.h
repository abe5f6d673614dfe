#pragma once
// What a document declares and names, read as the highlighting rules read
// it: macro definitions, track selections, #include directives and the
// upper-case words, with comments (";" to the end of the line, "{" ... "}"
// across lines) skipped. Positions are bytes of the lines (lsp_text.h).

#include <string>
#include <vector>

#include "cli/lsp_text.h"

namespace vlmcli {

struct MacroDefinition {
  std::string Name;
  TextSpan Whole;     // "_m(" to the ")" that ends the value, as far as it can be told
  TextSpan NameSpan;  // the name
};

struct TrackSelection {
  std::string Tracks;  // what the parentheses hold, blanks trimmed: "1", "1,2", "1-3"
  TextSpan Whole;      // "_tr(" .. ")"
};

struct IncludeDirective {
  std::string File;   // the name between the quotes
  TextSpan Whole;     // "#include" to the closing quote
  TextSpan FileSpan;  // the name and its quotes
};

struct WordUse {
  std::string Name;  // an upper-case word: a built-in word or a macro
  TextSpan Span;
};

// Each list in the order of the text.
struct DocumentOutline {
  std::vector<MacroDefinition> Macros;
  std::vector<TrackSelection> Tracks;
  std::vector<IncludeDirective> Includes;
  std::vector<WordUse> Words;  // the words of macro values too, not the names being defined
};

DocumentOutline ReadOutline(const std::vector<std::string>& lines);

}  // namespace vlmcli
