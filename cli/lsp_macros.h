#pragma once
// The macros a document can use: its own definitions and those of the files
// it includes (and they include), in the order the compile meets them.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/lsp_outline.h"

namespace vlmcli {

struct MacroSite {
  std::string Name;
  std::string Uri;        // the file the definition stands in
  std::string Range;      // the whole definition, as an LSP Range's JSON text
  std::string NameRange;  // the name, likewise
  std::string Text;       // the definition as written, cut at a few kilobytes
  int AnchorLine = 0;     // where in the document the compile meets it: the name,
  std::size_t AnchorByte = 0;  // or the end of the line of the #include that brings it in
};

// A file an #include names: its URI (an open document's own) and its lines.
struct IncludedFile {
  std::string Uri;
  std::vector<std::string> Lines;
};
// Reads the file at a path made by IncludedPath; nothing when it cannot be read.
using IncludeReader = std::function<std::optional<IncludedFile>(const std::string& path)>;

// The path an #include of file in the document at uri reads: relative to
// the document's folder, as the server compiles it. Nothing when the
// document has no path and the name is relative.
std::optional<std::string> IncludedPath(const std::string& uri, const std::string& file);

std::vector<MacroSite> MacrosInCompileOrder(const std::string& uri, const std::vector<std::string>& lines,
                                            const DocumentOutline& outline, const IncludeReader& read);

// The definition that the word name at (line, byte) of the document means;
// nothing when no site defines it.
const MacroSite* DefinitionFor(const std::vector<MacroSite>& sites, const std::string& name, int line,
                               std::size_t byte);

}  // namespace vlmcli
