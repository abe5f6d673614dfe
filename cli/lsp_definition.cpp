#include "cli/lsp_definition.h"

#include <filesystem>

#include "cli/lsp_diagnostics.h"
#include "common/json_string.h"

namespace vlmcli {

namespace {

std::string Location(const std::string& uri, const std::string& range) {
  std::string out = "{\"uri\":";
  vlm::AppendJsonString(out, uri);
  return out + ",\"range\":" + range + "}";
}

}  // namespace

std::string DefinitionJson(const std::string& uri, const DocumentOutline& outline, const std::vector<MacroSite>& sites,
                           int line, std::size_t byte) {
  for (const IncludeDirective& include : outline.Includes) {
    if (!include.FileSpan.Holds(line, byte)) continue;
    const std::optional<std::string> path = IncludedPath(uri, include.File);
    std::error_code ec;
    if (!path || !std::filesystem::is_regular_file(*path, ec)) return "null";
    const std::string start = "{\"line\":0,\"character\":0}";
    return Location(FileUriOfPath(*path), RangeJson(start, start));
  }
  // Just after a definition's name, the compile has met that definition:
  // on the name, the definition is itself.
  const MacroSite* site = nullptr;
  for (const MacroDefinition& macro : outline.Macros)
    if (macro.NameSpan.Holds(line, byte)) site = DefinitionFor(sites, macro.Name, line, macro.NameSpan.Begin + 1);
  for (const WordUse& word : outline.Words)
    if (word.Span.Holds(line, byte)) site = DefinitionFor(sites, word.Name, line, byte);
  return site ? Location(site->Uri, site->NameRange) : "null";
}

}  // namespace vlmcli
