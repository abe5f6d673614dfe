#include "compiler/line_buffer.h"

#include <algorithm>
#include <cstring>

namespace vlm {

// The gap starts at the end, with room for the expansions a line usually
// gets, so that the first edits of each line need no new storage; Buf keeps
// its storage from line to line.
LineBuffer& LineBuffer::operator=(std::string_view Text) {
  const std::size_t room = std::max<std::size_t>(Text.size() / 2, 64);
  Buf.resize(Text.size() + room);
  if (!Text.empty()) std::memcpy(Buf.data(), Text.data(), Text.size());
  GapAt = Text.size();
  GapSize = room;
  Settle();
  return *this;
}

// Moving the gap carries the bytes between its old and new place across it.
void LineBuffer::MoveGap(std::size_t At) {
  if (At < GapAt) {
    std::memmove(Buf.data() + At + GapSize, Buf.data() + At, GapAt - At);
  } else if (At > GapAt) {
    std::memmove(Buf.data() + GapAt, Buf.data() + GapAt + GapSize, At - GapAt);
  }
  GapAt = At;
}

void LineBuffer::replace(std::size_t At, std::size_t Count, std::string_view Text) {
  MoveGap(At);
  GapSize += Count;  // the replaced bytes join the gap
  if (Text.size() > GapSize) {
    // Grow geometrically, so that a line built up by many insertions costs
    // linear time in all.
    const std::size_t textSize = Buf.size() - GapSize;
    const std::size_t newGap = std::max<std::size_t>(Text.size() + textSize, 64);
    std::string grown(textSize + newGap, '\0');
    std::memcpy(grown.data(), Buf.data(), GapAt);
    std::memcpy(grown.data() + GapAt + newGap, Buf.data() + GapAt + GapSize, Buf.size() - GapAt - GapSize);
    Buf.swap(grown);
    GapSize = newGap;
  }
  if (!Text.empty()) std::memcpy(Buf.data() + GapAt, Text.data(), Text.size());
  GapAt += Text.size();
  GapSize -= Text.size();
  Settle();
}

std::string LineBuffer::substr(std::size_t Pos, std::size_t Count) const {
  const std::size_t n = size();
  if (Pos >= n) return {};
  Count = std::min(Count, n - Pos);
  std::string out(Count, '\0');
  const std::size_t end = Pos + Count;
  // The part before the gap, then the part after it.
  const std::size_t frontEnd = std::min(end, GapAt);
  std::size_t written = 0;
  if (Pos < frontEnd) {
    std::memcpy(out.data(), Buf.data() + Pos, frontEnd - Pos);
    written = frontEnd - Pos;
  }
  if (written < Count) {
    const std::size_t from = Pos + written;
    std::memcpy(out.data() + written, Buf.data() + from + GapSize, Count - written);
  }
  return out;
}

std::string LineBuffer::str() const { return substr(0); }

// One allocation at most: the front alone would be given storage first. A
// string that must grow gets exactly the line's size: reserve on it would
// double its room, and every rewritten line of a song would then hold
// about twice its size for good.
void LineBuffer::CopyTo(std::string& Out) const {
  if (Length > Out.capacity()) {
    std::string exact;
    exact.reserve(Length);
    Out.swap(exact);
  }
  Out.assign(Buf.data(), GapAt);
  Out.append(Buf.data() + GapAt + GapSize, Buf.size() - GapAt - GapSize);
}

std::size_t LineBuffer::find(char C, std::size_t Pos) const {
  const std::size_t n = size();
  if (Pos < GapAt) {
    if (const void* hit = std::memchr(Buf.data() + Pos, C, GapAt - Pos))
      return static_cast<std::size_t>(static_cast<const char*>(hit) - Buf.data());
    Pos = GapAt;
  }
  if (Pos >= n) return npos;
  if (const void* hit = std::memchr(Back + Pos, C, n - Pos))
    return static_cast<std::size_t>(static_cast<const char*>(hit) - Back);
  return npos;
}

std::size_t LineBuffer::find(std::string_view Sub, std::size_t Pos) const {
  const std::size_t n = size();
  if (Sub.empty()) return Pos <= n ? Pos : npos;
  for (std::size_t at = find(Sub[0], Pos); at != npos && at + Sub.size() <= n; at = find(Sub[0], at + 1)) {
    std::size_t k = 1;
    while (k < Sub.size() && (*this)[at + k] == Sub[k]) ++k;
    if (k == Sub.size()) return at;
  }
  return npos;
}

bool operator==(const LineBuffer& A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (std::size_t i = 0; i < B.size(); ++i)
    if (A[i] != B[i]) return false;
  return true;
}

std::string TextRef::substr(std::size_t Pos, std::size_t Count) const {
  if (IsLine()) return Line().substr(Pos, Count);
  return Pos >= Str().size() ? std::string() : Str().substr(Pos, Count);
}

std::size_t TextRef::find(char C, std::size_t Pos) const {
  return IsLine() ? Line().find(C, Pos) : Str().find(C, Pos);
}

std::int32_t InStr(const LineBuffer& S, std::string_view Sub, std::int32_t From) {
  if (From < 1) From = 1;
  if (static_cast<std::size_t>(From) > S.size() + 1) return 0;
  const std::size_t at = S.find(Sub, static_cast<std::size_t>(From - 1));
  return at == LineBuffer::npos ? 0 : static_cast<std::int32_t>(at) + 1;
}

}  // namespace vlm
