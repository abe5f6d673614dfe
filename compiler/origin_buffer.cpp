#include "compiler/origin_buffer.h"

#include <algorithm>
#include <array>

namespace vlm {

void OriginBuffer::Assign(std::vector<SourceOrigin> From) {
  Items = std::move(From);
  GapAt = Items.size();
  GapSize = 0;
}

void OriginBuffer::MoveGap(std::size_t At) {
  if (At < GapAt)
    std::move_backward(Items.begin() + static_cast<std::ptrdiff_t>(At), Items.begin() + static_cast<std::ptrdiff_t>(GapAt),
                       Items.begin() + static_cast<std::ptrdiff_t>(GapAt + GapSize));
  else if (At > GapAt)
    std::move(Items.begin() + static_cast<std::ptrdiff_t>(GapAt + GapSize),
              Items.begin() + static_cast<std::ptrdiff_t>(At + GapSize), Items.begin() + static_cast<std::ptrdiff_t>(GapAt));
  GapAt = At;
}

void OriginBuffer::Replace(std::size_t At, std::size_t Count, const std::vector<SourceOrigin>& New) {
  MoveGap(At);
  GapSize += Count;  // the replaced origins join the gap
  if (New.size() > GapSize) {
    // Grown geometrically, as the line's text is.
    const std::size_t kept = Items.size() - GapSize;
    const std::size_t newGap = std::max<std::size_t>(New.size() + kept, 64);
    std::vector<SourceOrigin> grown(kept + newGap);
    std::copy(Items.begin(), Items.begin() + static_cast<std::ptrdiff_t>(GapAt), grown.begin());
    std::copy(Items.begin() + static_cast<std::ptrdiff_t>(GapAt + GapSize), Items.end(),
              grown.begin() + static_cast<std::ptrdiff_t>(GapAt + newGap));
    Items.swap(grown);
    GapSize = newGap;
  }
  std::copy(New.begin(), New.end(), Items.begin() + static_cast<std::ptrdiff_t>(GapAt));
  GapAt += New.size();
  GapSize -= New.size();
}

std::vector<SourceOrigin> OriginBuffer::Slice(std::size_t From, std::size_t To) const {
  To = std::min(To, size());
  std::vector<SourceOrigin> out;
  if (From >= To) return out;
  out.reserve(To - From);
  for (std::size_t i = From; i < To; ++i) out.push_back((*this)[i]);
  return out;
}

void OriginBuffer::CopyTo(std::vector<SourceOrigin>& Out) const {
  Out.assign(Items.begin(), Items.begin() + static_cast<std::ptrdiff_t>(GapAt));
  Out.insert(Out.end(), Items.begin() + static_cast<std::ptrdiff_t>(GapAt + GapSize), Items.end());
}

std::vector<SourceOrigin> WrittenOrigins(std::int32_t File, std::int32_t Line, std::string_view Text) {
  std::vector<SourceOrigin> out;
  out.reserve(Text.size() + 1);
  std::int32_t chars = 0;
  for (const char c : Text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++chars;
    out.push_back({File, Line, std::max(chars, 1)});
  }
  out.push_back({File, Line, chars + 1});
  return out;
}

// The last place of each byte value in Region lets a byte that occurs no
// further on fail at once: the whole match costs the two texts' lengths,
// not their product.
std::vector<SourceOrigin> InheritOrigins(std::string_view Region, const std::vector<SourceOrigin>& RegionOrigins,
                                         const SourceOrigin& Fallback, std::string_view New) {
  std::vector<SourceOrigin> out(New.size(), Fallback);
  const std::size_t size = std::min(Region.size(), RegionOrigins.size());
  if (size == 0) return out;
  std::array<std::size_t, 256> last;
  last.fill(SIZE_MAX);
  for (std::size_t i = 0; i < size; ++i) last[static_cast<unsigned char>(Region[i])] = i;
  std::size_t next = 0;  // the first byte of Region still open to a match
  for (std::size_t k = 0; k < New.size(); ++k) {
    const std::size_t end = last[static_cast<unsigned char>(New[k])];
    if (end == SIZE_MAX || end < next) continue;
    while (Region[next] != New[k]) ++next;
    out[k] = RegionOrigins[next++];
  }
  return out;
}

}  // namespace vlm
