#pragma once
// The origins of the line being compiled, one per byte and one more for the
// end of the line, kept beside its text while a source map is made.

#include <cstddef>
#include <string_view>
#include <vector>

#include "compiler/source_origin.h"

namespace vlm {

// A gap buffer like the line's own, so that edits of a long line cost their
// own length rather than the rest of the line.
class OriginBuffer {
 public:
  std::size_t size() const { return Items.size() - GapSize; }
  const SourceOrigin& operator[](std::size_t I) const { return I < GapAt ? Items[I] : Items[I + GapSize]; }

  void Assign(std::vector<SourceOrigin> From);
  // Replaces Count origins from At (both within the buffer) by New.
  void Replace(std::size_t At, std::size_t Count, const std::vector<SourceOrigin>& New);
  // Origins From..To-1 (clamped to the buffer).
  std::vector<SourceOrigin> Slice(std::size_t From, std::size_t To) const;
  void CopyTo(std::vector<SourceOrigin>& Out) const;

 private:
  void MoveGap(std::size_t At);

  std::vector<SourceOrigin> Items;  // the origins with the gap inside
  std::size_t GapAt = 0;            // index of the gap's first entry
  std::size_t GapSize = 0;          // entries of Items that belong to no byte
};

// The origins of a line as written: byte I of Text is on code point
// 1 + (lead bytes before it), continuation bytes share their lead's column,
// and one more origin stands for the end of the line.
std::vector<SourceOrigin> WrittenOrigins(std::int32_t File, std::int32_t Line, std::string_view Text);

// The origins of New, text that replaces Region (whose bytes have
// RegionOrigins): a greedy in-order match gives each byte of New that can be
// found further on in Region that byte's origin, so that text copied from an
// argument keeps the user's positions; every other byte gets Fallback (the
// command that generated it).
std::vector<SourceOrigin> InheritOrigins(std::string_view Region, const std::vector<SourceOrigin>& RegionOrigins,
                                         const SourceOrigin& Fallback, std::string_view New);

}  // namespace vlm
