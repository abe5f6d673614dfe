#include "roll/text_span.h"

#include <cctype>
#include <string>

namespace vlm::roll {

namespace {

// The line as code points, bytes that are not valid UTF-8 kept one a point.
std::u32string Decode(std::string_view text) {
  std::u32string points;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t point = extra ? lead & (0x3F >> extra) : lead;
    std::size_t next = i + 1;
    for (int k = 0; k < extra && next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80; ++k)
      point = point << 6 | (static_cast<unsigned char>(text[next++]) & 0x3F);
    points.push_back(point);
    i = next;
  }
  return points;
}

bool IsAsciiDigit(char32_t c) { return c >= U'0' && c <= U'9'; }
bool IsWordChar(char32_t c) { return (c >= U'A' && c <= U'Z') || c == U'_' || IsAsciiDigit(c); }

}  // namespace

std::int32_t CommandLengthAt(std::string_view utf8Line, std::int32_t offset) {
  const std::u32string line = Decode(utf8Line);
  const auto size = static_cast<std::int32_t>(line.size());
  if (offset < 0 || offset >= size) return 0;
  std::int32_t at = offset;
  const char32_t first = line[static_cast<std::size_t>(at)];
  if ((first >= U'a' && first <= U'g') || first == U'r') {  // note or rest: name, accidentals, length, dots
    ++at;
    while (at < size && (line[at] == U'+' || line[at] == U'-' || line[at] == U'#')) ++at;
    while (at < size && IsAsciiDigit(line[at])) ++at;
    while (at < size && line[at] == U'.') ++at;
    return at - offset;
  }
  if ((first >= U'A' && first <= U'Z') || first == U'_') {  // command word, then its (arguments)
    while (at < size && IsWordChar(line[at])) ++at;
    if (at < size && line[at] == U'(') {
      // Nested brackets are followed; an unclosed one takes the rest of the line.
      int depth = 0;
      do {
        depth += line[at] == U'(' ? 1 : line[at] == U')' ? -1 : 0;
        ++at;
      } while (at < size && depth > 0);
    }
    return at - offset;
  }
  return 1;
}

}  // namespace vlm::roll
