#pragma once
// Error lines in the form editors read (Vim's quickfix, Emacs compilation
// mode, VS Code problem matchers): FILE:LINE:COLUMN: error: TEXT (DETAIL).

#include <optional>
#include <string>

#include "compiler/mml_compiler.h"

namespace vlm {

// The parts of a compiler error line
//   err(LINE)"DETAIL":TEXT"> _tr<TRACK> ptr=TICKS<BAR>小節目
// DETAIL may hold any text, quotes included; TEXT is one of the compiler's
// error texts, which hold no quote, so the last '":' before the tail ends
// DETAIL. Nothing for a line of another form.
struct ErrorLineParts {
  std::string Detail;
  std::string Text;
};
std::optional<ErrorLineParts> SplitErrorLine(const std::string& Line);

// The GNU form of an error line whose origin is At. MainName stands for the
// main source; an included file is named as its directive gave it. Without a
// known line the place is the file alone. A line of another form is returned
// as it is.
std::string GnuDiagnostic(const std::string& ErrorLine, const SourceOrigin& At, const SourceMap& Map,
                          const std::string& MainName);

}  // namespace vlm
