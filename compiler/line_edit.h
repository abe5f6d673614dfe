#pragma once
// Rewriting the line being compiled: the commands that replace themselves by
// generated MML. Positions are 1-based columns and are clamped to the line,
// so a column left stale by a stopped compile never reads outside it.

#include <algorithm>
#include <cstdint>
#include <string>

namespace vlm {

// Replaces the characters at columns From..To-1 of S by Text.
inline void ReplaceCols(std::string& S, std::int32_t From, std::int32_t To, const std::string& Text) {
  const auto size = static_cast<std::int64_t>(S.size());
  const auto from = std::clamp<std::int64_t>(From - 1, 0, size);
  const auto to = std::clamp<std::int64_t>(To - 1, from, size);
  S.replace(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from), Text);
}

// Inserts Text before column At of S (at the end when At lies past it).
inline void InsertAtCol(std::string& S, std::int32_t At, const std::string& Text) {
  ReplaceCols(S, At, At, Text);
}

}  // namespace vlm
