#include "cli/lsp_text.h"

#include <algorithm>

namespace vlmcli {

namespace {

// The bytes of the character a lead byte starts. A stray byte counts as one
// character, as a decoder's U+FFFD would.
std::size_t CharacterBytes(unsigned char lead) {
  return lead >= 0xF0 && lead < 0xF8 ? 4 : lead >= 0xE0 && lead < 0xF0 ? 3 : lead >= 0xC0 && lead < 0xE0 ? 2 : 1;
}

}  // namespace

Utf16Place Utf16PlaceOf(std::string_view line, int column) {
  Utf16Place place;
  std::size_t i = 0;
  for (int point = 1; i < line.size(); ++point) {
    const std::size_t bytes = CharacterBytes(static_cast<unsigned char>(line[i]));
    const int units = bytes == 4 ? 2 : 1;
    if (point == column) {
      place.Width = units;
      return place;
    }
    place.Start += units;
    i += bytes;
  }
  return place;
}

int ColumnOfByte(std::string_view line, std::size_t byte) {
  int column = 1;
  for (std::size_t i = 0; i < byte && i < line.size(); ++column)
    i += CharacterBytes(static_cast<unsigned char>(line[i]));
  return column;
}

std::optional<std::size_t> ByteOfUtf16(std::string_view line, int units) {
  if (units < 0) return std::nullopt;
  int start = 0;
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t bytes = CharacterBytes(static_cast<unsigned char>(line[i]));
    start += bytes == 4 ? 2 : 1;
    if (units < start) return i;
    i += bytes;
  }
  return std::nullopt;
}

std::string Utf16Positions::Position(int line, std::size_t byte) {
  const std::string_view text = line >= 0 && static_cast<std::size_t>(line) < lines_.size()
                                    ? std::string_view(lines_[static_cast<std::size_t>(line)])
                                    : std::string_view();
  if (line != line_ || byte < byte_) {
    line_ = line;
    byte_ = 0;
    units_ = 0;
  }
  while (byte_ < byte && byte_ < text.size()) {
    const std::size_t bytes = CharacterBytes(static_cast<unsigned char>(text[byte_]));
    units_ += bytes == 4 ? 2 : 1;
    byte_ += bytes;
  }
  return "{\"line\":" + std::to_string(line) + ",\"character\":" + std::to_string(units_) + "}";
}

std::string RangeJson(const std::string& start, const std::string& end) {
  return "{\"start\":" + start + ",\"end\":" + end + "}";
}

std::string RangeJson(const std::vector<std::string>& lines, const TextSpan& span) {
  Utf16Positions positions(lines);
  const std::string start = positions.Position(span.Line, span.Begin);
  return RangeJson(start, positions.Position(span.EndLine, span.End));
}

std::string SpanText(const std::vector<std::string>& lines, const TextSpan& span, std::size_t maxBytes) {
  std::string text;
  for (int line = span.Line; line <= span.EndLine && static_cast<std::size_t>(line) < lines.size(); ++line) {
    const std::string& whole = lines[static_cast<std::size_t>(line)];
    const std::size_t begin = line == span.Line ? std::min(span.Begin, whole.size()) : 0;
    const std::size_t end = line == span.EndLine ? std::min(span.End, whole.size()) : whole.size();
    if (line > span.Line) text += '\n';
    if (begin < end) text.append(whole, begin, end - begin);
    if (text.size() > maxBytes) {
      // Cut before a character, not inside one: the text goes out as JSON.
      std::size_t cut = maxBytes;
      while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
      return text.substr(0, cut);
    }
  }
  return text;
}

}  // namespace vlmcli
