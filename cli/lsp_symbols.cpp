#include "cli/lsp_symbols.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <utility>

#include "common/json_string.h"
#include "common/mml_syntax.h"

namespace vlmcli {

namespace {

// LSP's SymbolKind and CompletionItemKind numbers.
constexpr int kSymbolFile = 1;
constexpr int kSymbolNamespace = 3;  // a track: the music after it belongs to it
constexpr int kSymbolFunction = 12;
constexpr int kCompletionFunction = 3;
constexpr int kCompletionKeyword = 14;
// An outline longer than this helps no one, and a text of many short
// selections would otherwise get an answer many times its own size.
constexpr std::size_t kMaxSymbols = 10000;

struct Symbol {
  std::string Name;
  int Kind = 0;
  TextSpan Whole;      // the range
  TextSpan Selection;  // the selectionRange, inside Whole
};

// Positions are asked in the order of the text: the symbol's start, its
// selection's start and end, its end.
std::string SymbolJson(Utf16Positions& positions, const Symbol& symbol) {
  const std::string start = positions.Position(symbol.Whole.Line, symbol.Whole.Begin);
  const std::string selectionStart = positions.Position(symbol.Selection.Line, symbol.Selection.Begin);
  const std::string selectionEnd = positions.Position(symbol.Selection.EndLine, symbol.Selection.End);
  const std::string end = positions.Position(symbol.Whole.EndLine, symbol.Whole.End);
  std::string out = "{\"name\":";
  vlm::AppendJsonString(out, symbol.Name);
  return out + ",\"kind\":" + std::to_string(symbol.Kind) + ",\"range\":" + RangeJson(start, end) +
         ",\"selectionRange\":" + RangeJson(selectionStart, selectionEnd) + "}";
}

// "track 1" for one track, "tracks 1,2" or "tracks 1-3" for a list.
std::string TrackName(const std::string& tracks) {
  return (tracks.find_first_of(",-") == std::string::npos ? "track " : "tracks ") + tracks;
}

std::string CompletionItem(std::string_view label, int kind, const std::string& detail) {
  std::string out = "{\"label\":";
  vlm::AppendJsonString(out, std::string(label));
  out += ",\"kind\":" + std::to_string(kind) + ",\"detail\":";
  vlm::AppendJsonString(out, detail);
  return out + "}";
}

}  // namespace

std::string DocumentSymbolsJson(const std::vector<std::string>& lines, const DocumentOutline& outline) {
  std::vector<Symbol> symbols;
  for (const MacroDefinition& macro : outline.Macros)
    symbols.push_back({macro.Name, kSymbolFunction, macro.Whole, macro.NameSpan});
  for (const TrackSelection& track : outline.Tracks)
    symbols.push_back({TrackName(track.Tracks), kSymbolNamespace, track.Whole, track.Whole});
  for (const IncludeDirective& include : outline.Includes)
    symbols.push_back({include.File.empty() ? "\"\"" : include.File, kSymbolFile, include.Whole, include.FileSpan});
  std::stable_sort(symbols.begin(), symbols.end(), [](const Symbol& a, const Symbol& b) {
    return std::pair{a.Whole.Line, a.Whole.Begin} < std::pair{b.Whole.Line, b.Whole.Begin};
  });
  Utf16Positions positions(lines);
  std::string out = "[";
  for (std::size_t i = 0; i < symbols.size() && i < kMaxSymbols; ++i)
    out += (i ? "," : "") + SymbolJson(positions, symbols[i]);
  return out + "]";
}

// A name defined more than once is proposed once, with its first definition.
std::string CompletionJson(const std::vector<MacroSite>& sites) {
  std::set<std::string> listed;
  std::string out = "[";
  for (const MacroSite& site : sites) {
    if (!listed.insert(site.Name).second) continue;
    const std::string firstLine = site.Text.substr(0, site.Text.find('\n'));
    out += (listed.size() > 1 ? "," : "") + CompletionItem(site.Name, kCompletionFunction, firstLine);
  }
  for (const std::string_view word : vlm::MmlBuiltinWords()) {
    if (!listed.insert(std::string(word)).second) continue;
    out += (listed.size() > 1 ? "," : "") + CompletionItem(word, kCompletionKeyword, "built-in word");
  }
  return out + "]";
}

}  // namespace vlmcli
