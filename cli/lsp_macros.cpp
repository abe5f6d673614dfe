#include "cli/lsp_macros.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "cli/lsp_diagnostics.h"

namespace vlmcli {

namespace {

// Bounds on the files read for one answer: include chains this deep or
// this many files are far beyond any song, and a diamond of includes could
// otherwise read a file an exponential number of times.
constexpr int kMaxIncludeDepth = 16;
constexpr std::size_t kMaxIncludedFiles = 64;
constexpr std::size_t kMaxDefinitionText = 4096;

struct Collector {
  const std::string& rootUri;
  const IncludeReader& read;
  std::vector<MacroSite>& sites;
  std::vector<std::string> including;  // the paths being read, as the compiler refuses an include of one of them
  std::size_t filesRead = 0;

  // The sites of one file. anchor: where the document's compile meets the
  // file (for an included one); the document's own sites are met where they stand.
  void Collect(const std::string& uri, const std::vector<std::string>& lines, const DocumentOutline& outline,
               std::optional<std::pair<int, std::size_t>> anchor) {
    std::size_t next = 0;  // the first include still to be read
    // An included file's lines come right after the line of its directive.
    const auto includeBefore = [&](int line) {
      for (; next < outline.Includes.size() && outline.Includes[next].Whole.Line < line; ++next) {
        const IncludeDirective& directive = outline.Includes[next];
        Include(directive, anchor.value_or(std::pair{directive.Whole.Line, std::string::npos}));
      }
    };
    Utf16Positions positions(lines);
    for (const MacroDefinition& macro : outline.Macros) {
      includeBefore(macro.Whole.Line);
      const auto at = anchor.value_or(std::pair{macro.NameSpan.Line, macro.NameSpan.Begin});
      // Asked in the order of the text: the definition's start, its name, its end.
      const std::string start = positions.Position(macro.Whole.Line, macro.Whole.Begin);
      const std::string nameStart = positions.Position(macro.NameSpan.Line, macro.NameSpan.Begin);
      const std::string nameEnd = positions.Position(macro.NameSpan.EndLine, macro.NameSpan.End);
      const std::string end = positions.Position(macro.Whole.EndLine, macro.Whole.End);
      sites.push_back({macro.Name, uri, RangeJson(start, end), RangeJson(nameStart, nameEnd),
                       SpanText(lines, macro.Whole, kMaxDefinitionText), at.first, at.second});
    }
    includeBefore(static_cast<int>(lines.size()));
  }

  void Include(const IncludeDirective& directive, std::pair<int, std::size_t> anchor) {
    const std::optional<std::string> path = IncludedPath(rootUri, directive.File);
    if (!path || including.size() >= kMaxIncludeDepth || filesRead >= kMaxIncludedFiles ||
        std::find(including.begin(), including.end(), *path) != including.end())
      return;
    ++filesRead;
    const std::optional<IncludedFile> file = read(*path);
    if (!file) return;
    including.push_back(*path);
    Collect(file->Uri, file->Lines, ReadOutline(file->Lines), anchor);
    including.pop_back();
  }
};

}  // namespace

std::optional<std::string> IncludedPath(const std::string& uri, const std::string& file) {
  if (file.empty()) return std::nullopt;
  const bool named = PathOfFileUri(uri).has_value();
  const std::filesystem::path included = std::filesystem::path(IncludeDirectoryOf(uri)) / file;
  if (!named && !included.is_absolute()) return std::nullopt;
  return NormalPath(included.string());
}

std::vector<MacroSite> MacrosInCompileOrder(const std::string& uri, const std::vector<std::string>& lines,
                                            const DocumentOutline& outline, const IncludeReader& read) {
  std::vector<MacroSite> sites;
  Collector collector{uri, read, sites, {}, 0};
  collector.Collect(uri, lines, outline, std::nullopt);
  return sites;
}

// Defining a name again replaces its value for the rest of the compile, so
// a use means the latest definition met before it. A use before every
// definition (unknown to the compile there) is shown the first one: the
// likeliest meant.
const MacroSite* DefinitionFor(const std::vector<MacroSite>& sites, const std::string& name, int line,
                               std::size_t byte) {
  const MacroSite* first = nullptr;
  const MacroSite* latest = nullptr;
  for (const MacroSite& site : sites) {
    if (site.Name != name) continue;
    if (!first) first = &site;
    if (std::pair{site.AnchorLine, site.AnchorByte} < std::pair{line, byte}) latest = &site;
  }
  return latest ? latest : first;
}

}  // namespace vlmcli
