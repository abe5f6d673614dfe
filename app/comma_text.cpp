#include "app/comma_text.h"

#include <algorithm>

namespace vlm {

namespace {
bool IsBlankOrControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= ' ';
}

bool NeedsQuotes(const std::string& entry) {
  for (char c : entry) {
    const auto u = static_cast<unsigned char>(c);
    if (u <= ' ' || c == '"' || c == ',') return true;
  }
  return false;
}

std::string Quoted(const std::string& entry) {
  std::string out = "\"";
  for (char c : entry) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}
}  // namespace

// A trailing comma starts no entry when read, so an empty last entry is
// quoted; an empty entry elsewhere is kept by the comma after it.
std::string CommaText(const std::vector<std::string>& entries) {
  std::string text;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) text += ',';
    const bool emptyLast = entries[i].empty() && i + 1 == entries.size();
    text += NeedsQuotes(entries[i]) || emptyLast ? Quoted(entries[i]) : entries[i];
  }
  return text;
}

std::vector<std::string> SplitCommaText(const std::string& text) {
  std::vector<std::string> entries;
  std::size_t at = 0;
  // The text ends at a NUL byte, as the C string it was read from did.
  const std::size_t end = std::min(text.find('\0'), text.size());
  while (at < end && IsBlankOrControl(text[at])) ++at;
  while (at < end) {
    std::string entry;
    if (text[at] == '"') {
      // Quoted entry: "" stands for one quote; an unclosed quote runs to the end.
      ++at;
      while (at < end) {
        if (text[at] == '"') {
          if (at + 1 < end && text[at + 1] == '"') {
            entry += '"';
            at += 2;
            continue;
          }
          ++at;
          break;
        }
        entry += text[at++];
      }
    } else {
      while (at < end && !IsBlankOrControl(text[at]) && text[at] != ',')
        entry += text[at++];
    }
    entries.push_back(entry);
    while (at < end && IsBlankOrControl(text[at])) ++at;
    if (at < end && text[at] == ',') {
      do {
        ++at;
      } while (at < end && IsBlankOrControl(text[at]));
    }
  }
  return entries;
}

}  // namespace vlm
