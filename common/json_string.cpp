#include "common/json_string.h"

#include <cstdint>
#include <cstdio>

#include "common/int_text.h"
#include "common/text_encoding.h"

namespace vlm {

void AppendJsonString(std::string& out, const std::string& text) {
  out += '"';
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

namespace {

bool ReadHex4(std::string_view text, std::size_t& pos, std::uint32_t& unit) {
  if (text.size() - pos < 4) return false;
  unit = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const int digit = HexDigitValue(text[pos + i]);
    if (digit < 0) return false;
    unit = unit << 4 | static_cast<std::uint32_t>(digit);
  }
  pos += 4;
  return true;
}

bool IsHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool IsLowSurrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

// The code point of a \u escape whose four digits are at pos, joined with a
// low surrogate escape that follows a high one. With Replace, an escape
// after a high surrogate that is no low one is left to stand on its own.
bool ReadUnicodeEscape(std::string_view text, std::size_t& pos, LoneSurrogate lone, std::uint32_t& point) {
  if (!ReadHex4(text, pos, point)) return false;
  if (IsHighSurrogate(point) && text.substr(pos, 2) == "\\u") {
    std::size_t after = pos + 2;
    std::uint32_t low = 0;
    if (!ReadHex4(text, after, low)) return false;
    if (IsLowSurrogate(low)) {
      point = 0x10000 + ((point - 0xD800) << 10) + (low - 0xDC00);
      pos = after;
      return true;
    }
  }
  if (!IsHighSurrogate(point) && !IsLowSurrogate(point)) return true;
  if (lone == LoneSurrogate::Refuse) return false;
  point = 0xFFFD;
  return true;
}

}  // namespace

bool ReadJsonString(std::string_view text, std::size_t& pos, std::string& out, LoneSurrogate lone) {
  if (pos >= text.size() || text[pos] != '"') return false;
  ++pos;
  while (pos < text.size()) {
    const char c = text[pos++];
    if (c == '"') return true;
    if (static_cast<unsigned char>(c) < 0x20) return false;  // raw control bytes are not JSON
    if (c != '\\') {
      out += c;
      continue;
    }
    if (pos >= text.size()) return false;
    switch (text[pos++]) {
      case '"': out += '"'; break;
      case '\\': out += '\\'; break;
      case '/': out += '/'; break;
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'u': {
        std::uint32_t point = 0;
        if (!ReadUnicodeEscape(text, pos, lone, point)) return false;
        AppendUtf8(out, point);
        break;
      }
      default: return false;
    }
  }
  return false;
}

}  // namespace vlm
