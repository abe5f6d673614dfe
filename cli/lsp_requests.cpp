// The requests an editor makes about an open document: its outline, a
// definition, a hover and completion.
#include <cmath>

#include "cli/lsp_definition.h"
#include "cli/lsp_diagnostics.h"
#include "cli/lsp_hover.h"
#include "cli/lsp_server.h"
#include "cli/lsp_symbols.h"
#include "common/text_file.h"

namespace vlmcli {

namespace {

using vlm::JsonNode;

// A position's line or character: a whole number from 0 (far below what
// an int holds); nothing for anything else.
std::optional<int> Coordinate(const JsonNode* position, std::string_view key) {
  const JsonNode* value = position ? position->Find(key) : nullptr;
  if (!value || value->Type != JsonNode::Kind::Number || !(value->Number >= 0) || value->Number > 1e9 ||
      std::floor(value->Number) != value->Number)
    return std::nullopt;
  return static_cast<int>(value->Number);
}

}  // namespace

// A request on a document that is not open, or at a position outside its
// text, is answered with null: the editor asked about nothing.
std::optional<std::string> LspSession::DocumentRequest(const std::string& method, const JsonNode& params,
                                                       std::vector<std::string>& out) {
  const bool symbols = method == "textDocument/documentSymbol";
  const bool definition = method == "textDocument/definition";
  const bool hover = method == "textDocument/hover";
  const bool completion = method == "textDocument/completion";
  if (!symbols && !definition && !hover && !completion) return std::nullopt;
  const JsonNode* document = params.Find("textDocument");
  const std::string* uri = document ? document->FindString("uri") : nullptr;
  if (!uri || !documents_.count(*uri)) return "null";
  // A hover reads the compile: a change still waiting is compiled first, so
  // that the answer is never about an older text.
  if (hover && documents_[*uri].Changed) Compile(*uri, out);
  const Document& open = documents_[*uri];

  const std::vector<std::string> lines = vlm::SplitLines(open.Text);
  const DocumentOutline outline = ReadOutline(lines);
  if (symbols) return DocumentSymbolsJson(lines, outline);

  // An included file open in the editor is read as the editor holds it.
  const IncludeReader read = [this](const std::string& path) -> std::optional<IncludedFile> {
    for (const auto& [where, document] : documents_) {
      const std::optional<std::string> openPath = PathOfFileUri(where);
      if (openPath && NormalPath(*openPath) == path) return IncludedFile{where, vlm::SplitLines(document.Text)};
    }
    auto fileLines = vlm::ReadSourceLines(path);
    if (!fileLines) return std::nullopt;
    return IncludedFile{FileUriOfPath(path), std::move(*fileLines)};
  };
  const std::vector<MacroSite> sites = MacrosInCompileOrder(*uri, lines, outline, read);
  if (completion) return CompletionJson(sites);

  const JsonNode* position = params.Find("position");
  const std::optional<int> line = Coordinate(position, "line");
  const std::optional<int> character = Coordinate(position, "character");
  if (!line || !character || static_cast<std::size_t>(*line) >= lines.size()) return "null";
  const std::optional<std::size_t> byte = ByteOfUtf16(lines[static_cast<std::size_t>(*line)], *character);
  if (!byte) return "null";
  if (definition) return DefinitionJson(*uri, outline, sites, *line, *byte);
  return HoverJson(lines, outline, open.Map ? &*open.Map : nullptr, sites, *line, *byte);
}

}  // namespace vlmcli
