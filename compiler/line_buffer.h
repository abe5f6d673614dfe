#pragma once
// The text of the line being compiled, and read access that takes it and a
// plain string alike.

#include <cstdint>
#include <string>
#include <string_view>

namespace vlm {

// The bytes of a text as they stand now: the part before a gap and the part
// after it (Back[i] is byte i for i >= FrontSize). Only valid until the text
// is next changed, so it serves scans that call nothing that could edit it.
struct TextView {
  const char* Front;
  std::size_t FrontSize;
  const char* Back;
  std::size_t Size;

  // Byte at 1-based position Pos as 0..255, -1 past either end.
  int At(std::int32_t Pos) const {
    const std::size_t i = static_cast<std::size_t>(Pos) - 1;  // Pos < 1 wraps past Size
    if (i >= Size) return -1;
    return static_cast<unsigned char>(i < FrontSize ? Front[i] : Back[i]);
  }
  // Appends the bytes from 1-based position From up to To (not included),
  // both within the text, in one piece unless they straddle the gap.
  void AppendTo(std::string& Out, std::int32_t From, std::int32_t To) const {
    const auto from = static_cast<std::size_t>(From - 1), to = static_cast<std::size_t>(To - 1);
    if (to <= FrontSize) {
      Out.append(Front + from, to - from);
    } else if (from >= FrontSize) {
      Out.append(Back + from, to - from);
    } else {
      Out.append(Front + from, FrontSize - from);
      Out.append(Back + FrontSize, to - FrontSize);
    }
  }
};

// A gap buffer. Handlers rewrite the line at or after the compile position,
// which moves forward through it, so the gap follows the edits: an edit costs
// its own length plus the distance from the previous one, never the length
// of the rest of the line (which made a song written as one line quadratic).
class LineBuffer {
 public:
  static constexpr std::size_t npos = std::string::npos;

  LineBuffer() = default;
  // Back points into Buf: a copy would point into the original.
  LineBuffer(const LineBuffer&) = delete;
  LineBuffer& operator=(const LineBuffer&) = delete;
  LineBuffer& operator=(std::string_view Text);

  std::size_t size() const { return Length; }
  bool empty() const { return Length == 0; }
  // Byte I (0-based, below size()).
  char operator[](std::size_t I) const { return I < GapAt ? Buf.data()[I] : Back[I]; }
  // Byte at 1-based position Pos as 0..255, -1 past either end.
  int At(std::int32_t Pos) const {
    const std::size_t i = static_cast<std::size_t>(Pos) - 1;  // Pos < 1 wraps past Length
    if (i >= Length) return -1;
    return static_cast<unsigned char>(i < GapAt ? Buf.data()[i] : Back[i]);
  }

  // Count bytes from Pos (clamped to the end), as std::string::substr but
  // without throwing: Pos past the end gives "".
  std::string substr(std::size_t Pos, std::size_t Count = npos) const;
  // Offset of the first C at or after Pos, npos when absent.
  std::size_t find(char C, std::size_t Pos = 0) const;
  // Offset of the first Sub at or after Pos, npos when absent.
  std::size_t find(std::string_view Sub, std::size_t Pos = 0) const;
  // Replaces Count bytes from At (both within the text) by Text.
  void replace(std::size_t At, std::size_t Count, std::string_view Text);
  // The whole text.
  std::string str() const;
  // Stores the whole text into Out, reusing its storage.
  void CopyTo(std::string& Out) const;
  TextView View() const { return {Buf.data(), GapAt, Back, Length}; }

  friend bool operator==(const LineBuffer& A, std::string_view B);

 private:
  void MoveGap(std::size_t At);
  // Recomputes Length and Back after Buf or the gap changed.
  void Settle() {
    Length = Buf.size() - GapSize;
    Back = Buf.data() + GapSize;
  }

  std::string Buf;                  // the text with the gap inside it
  std::size_t GapAt = 0;            // offset of the gap, where the last edit ended
  std::size_t GapSize = 0;          // bytes of Buf that belong to no text
  std::size_t Length = 0;           // bytes of text
  const char* Back = Buf.data();    // Back[i] is byte i of the text for i >= GapAt
};

// Byte of S at 1-based position Pos as 0..255, or -1 past either end (the
// "empty string" every scanner stops at).
inline int CharAt(const std::string& S, std::int32_t Pos) {
  if (Pos < 1 || static_cast<std::size_t>(Pos) > S.size()) return -1;
  return static_cast<unsigned char>(S[static_cast<std::size_t>(Pos) - 1]);
}

inline int CharAt(const LineBuffer& S, std::int32_t Pos) { return S.At(Pos); }

// The text a reader scans: the line being compiled or any other string (an
// argument, a macro value). It refers to the object, not to its bytes, so a
// reader sees the line as an edit or a stopped compile leaves it, as a
// reference would. It is one word (the object's address, with the low bit set
// for a LineBuffer), so that it passes in a register: as a pair of pointers,
// the copies that readers made of it stalled the loads that followed.
class TextRef {
 public:
  // Implicit, so that a reader is called with either as with a reference.
  TextRef(const std::string& S) : Bits(reinterpret_cast<std::uintptr_t>(&S)) {}
  TextRef(const LineBuffer& L) : Bits(reinterpret_cast<std::uintptr_t>(&L) | LineBit) {}
  std::size_t size() const { return IsLine() ? Line().size() : Str().size(); }
  int At(std::int32_t Pos) const { return IsLine() ? CharAt(Line(), Pos) : CharAt(Str(), Pos); }
  std::string substr(std::size_t Pos, std::size_t Count = std::string::npos) const;
  std::size_t find(char C, std::size_t Pos = 0) const;
  TextView View() const {
    if (IsLine()) return Line().View();
    return {Str().data(), Str().size(), Str().data(), Str().size()};
  }

 private:
  static constexpr std::uintptr_t LineBit = 1;
  static_assert(alignof(LineBuffer) > 1 && alignof(std::string) > 1, "the low bit of an address must be free");
  bool IsLine() const { return (Bits & LineBit) != 0; }
  const LineBuffer& Line() const { return *reinterpret_cast<const LineBuffer*>(Bits & ~LineBit); }
  const std::string& Str() const { return *reinterpret_cast<const std::string*>(Bits); }

  std::uintptr_t Bits;
};

inline int CharAt(TextRef S, std::int32_t Pos) { return S.At(Pos); }

// 1-based position of the first Sub in S at or after From, 0 when absent.
std::int32_t InStr(const LineBuffer& S, std::string_view Sub, std::int32_t From);

}  // namespace vlm
