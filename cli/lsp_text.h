#pragma once
// Places in a document's line as the three parties count them: bytes (this
// server's scanners), code points from 1 (the compiler's source map) and
// UTF-16 code units from 0 (the Language Server Protocol).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vlmcli {

// Where code point column (from 1) of line starts in UTF-16 code units
// (from 0), as LSP counts, and how many units the character there takes
// (2 above U+FFFF, 0 at or past the end of the line).
struct Utf16Place {
  int Start = 0;
  int Width = 0;
};
Utf16Place Utf16PlaceOf(std::string_view line, int column);

// The code point column (from 1) of the character that starts at byte.
int ColumnOfByte(std::string_view line, std::size_t byte);
// The byte where the character holding UTF-16 unit `units` starts (the
// second unit of a pair finds its character too); nothing at or past the
// end of the line.
std::optional<std::size_t> ByteOfUtf16(std::string_view line, int units);

// A stretch of a document's text: from byte Begin of line Line to byte End
// (not included) of line EndLine; lines count from 0.
struct TextSpan {
  int Line = 0;
  std::size_t Begin = 0;
  int EndLine = 0;
  std::size_t End = 0;

  bool Holds(int line, std::size_t byte) const {
    return (line > Line || (line == Line && byte >= Begin)) && (line < EndLine || (line == EndLine && byte < End));
  }
};

// LSP Position JSON texts of byte places of the lines. Asked in the order of
// the text, each costs only the bytes since the one before: a song written
// on one long line is not read again for every name in it.
class Utf16Positions {
 public:
  explicit Utf16Positions(const std::vector<std::string>& lines) : lines_(lines) {}
  // A line past the end (the scanners make none) counts as empty.
  std::string Position(int line, std::size_t byte);

 private:
  const std::vector<std::string>& lines_;
  int line_ = -1;          // the line of the last place asked
  std::size_t byte_ = 0;   // its byte, and the UTF-16 units before it
  int units_ = 0;
};

// An LSP Range's JSON text from its positions' texts.
std::string RangeJson(const std::string& start, const std::string& end);
// The span as an LSP Range's JSON text, in UTF-16 units of the lines.
std::string RangeJson(const std::vector<std::string>& lines, const TextSpan& span);
// The text the span covers, its lines joined by "\n", cut at maxBytes.
std::string SpanText(const std::vector<std::string>& lines, const TextSpan& span, std::size_t maxBytes);

}  // namespace vlmcli
