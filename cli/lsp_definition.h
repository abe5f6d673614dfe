#pragma once
// Going to a definition: from a macro word to the _m( that defines it, from
// an #include's file name to that file.

#include <cstddef>
#include <string>
#include <vector>

#include "cli/lsp_macros.h"
#include "cli/lsp_outline.h"

namespace vlmcli {

// The Location's JSON text for byte of line (from 0) of the document at
// uri, or "null" where nothing is defined.
std::string DefinitionJson(const std::string& uri, const DocumentOutline& outline, const std::vector<MacroSite>& sites,
                           int line, std::size_t byte);

}  // namespace vlmcli
