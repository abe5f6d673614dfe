#pragma once
// Small text edits shared by the handlers that rewrite the line being
// compiled (macros, loops, conditionals, selections).

#include <cstdint>
#include <string>

#include "compiler/tsmf.h"

namespace vlm {

// Deletes the characters From..To-1 (1-based) of the line being compiled. A
// range that a jump or an earlier edit has made stale is clamped to the line
// instead of being trusted.
inline void EraseColumns(TSmf& smf, std::int32_t From, std::int32_t To) {
  const LineBuffer& S = smf.Line();
  if (From < 1) From = 1;
  const auto size = static_cast<std::int32_t>(S.size());
  if (To > size + 1) To = size + 1;
  if (To <= From) return;
  smf.Edit(static_cast<std::size_t>(From - 1), static_cast<std::size_t>(To - From), {});
}

// Inserts Text into the line being compiled before the 1-based position At
// (At past the end appends).
inline void InsertAt(TSmf& smf, std::int32_t At, const std::string& Text) {
  const LineBuffer& S = smf.Line();
  const auto size = static_cast<std::int32_t>(S.size());
  if (At < 1) At = 1;
  if (At > size + 1) At = size + 1;
  smf.Edit(static_cast<std::size_t>(At - 1), 0, Text);
}

// Blanks (spaces only) from At on are stepped over.
inline void SkipBlanks(TextRef S, std::int32_t& At) {
  while (CharAt(S, At) == ' ') ++At;
}

}  // namespace vlm
