#pragma once
// Where a character of the line being compiled came from in the text the
// user wrote.

#include <cstdint>

namespace vlm {

struct SourceOrigin {
  std::int32_t File = 0;    // index into the compile's origin files; 0 is the main source
  std::int32_t Line = 0;    // line in that file, from 1; 0: unknown
  std::int32_t Column = 0;  // code point of that line, from 1 (a tab is one)

  friend bool operator==(const SourceOrigin&, const SourceOrigin&) = default;
};

}  // namespace vlm
