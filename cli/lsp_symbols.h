#pragma once
// The names a document offers an editor: its outline (macro definitions,
// track selections, includes) and the words completion proposes.

#include <string>
#include <vector>

#include "cli/lsp_macros.h"
#include "cli/lsp_outline.h"

namespace vlmcli {

// The DocumentSymbol[] JSON text of the document, in the order of the
// text: the first ten thousand.
std::string DocumentSymbolsJson(const std::vector<std::string>& lines, const DocumentOutline& outline);

// The CompletionItem[] JSON text: every macro the document can use (its own
// and its includes'), then the built-in words no macro redefines.
std::string CompletionJson(const std::vector<MacroSite>& sites);

}  // namespace vlmcli
