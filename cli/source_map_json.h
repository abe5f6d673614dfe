#pragma once
// The source map as JSON Lines, for editors and other tools.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "compiler/mml_compiler.h"

namespace vlm {

// One object per note-on, in the order of the file:
//   {"track":0,"tick":96,"note":60,"file":"song.vlm","line":3,"column":5}
// MainName stands for the main source; included files keep the names their
// directives gave. A note no command made has line and column 0. The text is
// handed to Put in pieces of whole lines, so that a million notes need no
// buffer of their own size.
void WriteSourceMapJsonLines(const SourceMap& Map, const std::string& MainName,
                             const std::function<void(std::string_view)>& Put);

// The most bytes WriteSourceMapJsonLines can give for Map (to reserve space).
std::size_t SourceMapJsonLinesBound(const SourceMap& Map, const std::string& MainName);

}  // namespace vlm
