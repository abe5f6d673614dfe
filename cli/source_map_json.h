#pragma once
// The source map as JSON Lines, for editors and other tools.

#include <string>

#include "compiler/mml_compiler.h"

namespace vlm {

// One object per note-on, in the order of the file:
//   {"track":0,"tick":96,"note":60,"file":"song.vlm","line":3,"column":5}
// MainName stands for the main source; included files keep the names their
// directives gave. A note no command made has line and column 0.
std::string SourceMapJsonLines(const SourceMap& Map, const std::string& MainName);

}  // namespace vlm
