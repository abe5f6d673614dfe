#pragma once
// The system commands that replace themselves, or insert text after
// themselves, with ordinary MML that the dispatch then compiles.

#include <cstdint>

#include "compiler/tsmf.h"

namespace vlm {

// \25 DIV(length, item1, item2, ...)^length...: CommandStart is the column
// of the command's backslash, Col stands after its number.
void DivideLength(TSmf& smf, std::int32_t CommandStart);

// \27 SEL, SWITCH(selector, text1, text2, ...) and its end marker.
void SelectText(TSmf& smf);

// \39 PRT(length, from, to[, delay]): a glide made of a bend curve.
void Glide(TSmf& smf, std::int32_t CommandStart);

}  // namespace vlm
