#pragma once
// What hovering over a document's text shows: what the last compile made of
// the note or macro word there, from the source map's notes.

#include <cstddef>
#include <string>
#include <vector>

#include "cli/lsp_macros.h"
#include "cli/lsp_outline.h"
#include "compiler/mml_compiler.h"

namespace vlmcli {

// The Hover's JSON text for byte of line (from 0) of the document, or
// "null" where there is nothing to show. map is the compile of exactly
// these lines (nullptr when there is none).
std::string HoverJson(const std::vector<std::string>& lines, const DocumentOutline& outline,
                      const vlm::SourceMap* map, const std::vector<MacroSite>& sites, int line, std::size_t byte);

}  // namespace vlmcli
