#pragma once
// Checks a compile's source map against the text it points into: every
// note-on must lead to the note letter or the word that made it.

#include <string>
#include <vector>

#include "compiler/mml_compiler.h"

namespace vlmtest {

// The code point at Column (from 1) of Line, as UTF-8; "" past the end.
std::string CodePointAt(const std::string& Line, int Column);

// Whether the text at Column of Line can have made a note: a note letter
// (a..g, n) or the first letter of an upper-case word (a macro or built-in).
bool StartsNoteText(const std::string& Line, int Column);

// One line per note whose origin is unknown or points at other text. Source
// holds the main source's lines; included files are read from IncludeDir.
std::vector<std::string> WrongNoteOrigins(const std::vector<std::string>& Source, const vlm::CompileResult& Result,
                                          const std::string& IncludeDir = "");

}  // namespace vlmtest
