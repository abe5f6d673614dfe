#include "app/ini_file.h"

#include "common/int_text.h"
#include "common/text_file.h"

namespace vlm {

namespace {

constexpr const char* LineSeparator = "\xE2\x80\xA8";  // U+2028, a line break inside a value

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The name of a section header line, or nothing when the line is no header.
std::optional<std::string> HeaderName(const std::string& line) {
  const std::string t = Trim(line);
  if (t.empty() || t[0] != '[') return std::nullopt;
  const auto close = t.find(']');
  if (close == std::string::npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

// The key of an entry line, or nothing for blank lines, comments and headers.
std::optional<std::string> KeyName(const std::string& line) {
  const std::string t = Trim(line);
  if (t.empty() || t[0] == ';' || t[0] == '[') return std::nullopt;
  const auto eq = line.find('=');
  if (eq == std::string::npos) return std::nullopt;
  return Trim(line.substr(0, eq));
}

bool IsQuoted(const std::string& v) {
  return v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace

IniFile::IniFile(const std::string& text) : lines_(SplitLines(text)) {}

std::size_t IniFile::FindSection(const std::string& section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const auto name = HeaderName(lines_[i]);
    if (name && SameName(*name, section)) return i;
  }
  return lines_.size();
}

std::size_t IniFile::FindKey(std::size_t header, const std::string& key) const {
  for (std::size_t i = header + 1; i < lines_.size() && !HeaderName(lines_[i]); ++i) {
    const auto name = KeyName(lines_[i]);
    if (name && SameName(*name, key)) return i;
  }
  return lines_.size();
}

std::optional<std::string> IniFile::ReadString(const std::string& section,
                                               const std::string& key) const {
  const std::size_t header = FindSection(section);
  if (header == lines_.size()) return std::nullopt;
  const std::size_t at = FindKey(header, key);
  if (at == lines_.size()) return std::nullopt;
  const std::string& line = lines_[at];
  std::string value = Trim(line.substr(line.find('=') + 1));
  if (IsQuoted(value)) value = value.substr(1, value.size() - 2);
  return Replace(value, LineSeparator, "\n");
}

std::int32_t IniFile::ReadInteger(const std::string& section, const std::string& key,
                                  std::int32_t fallback) const {
  auto value = ReadString(section, key);
  if (!value) return fallback;
  if (value->size() > 2 && (*value)[0] == '0' && ((*value)[1] == 'x' || (*value)[1] == 'X'))
    *value = "$" + value->substr(2);
  return StrToInt(*value).value_or(fallback);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  std::string stored = Replace(Replace(Replace(value, "\r\n", "\n"), "\r", "\n"), "\n", LineSeparator);
  if (!stored.empty() && (Trim(stored) != stored || IsQuoted(stored))) stored = '"' + stored + '"';
  const std::string entry = key + "=" + stored;

  std::size_t header = FindSection(section);
  if (header == lines_.size()) {
    lines_.push_back("[" + section + "]");
    lines_.push_back(entry);
    return;
  }
  const std::size_t at = FindKey(header, key);
  if (at != lines_.size()) {
    lines_[at] = entry;
    return;
  }
  // After the section's last non-blank line, before the blank lines that part it from the next.
  std::size_t insert = header + 1;
  for (std::size_t i = header + 1; i < lines_.size() && !HeaderName(lines_[i]); ++i)
    if (!Trim(lines_[i]).empty()) insert = i + 1;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert), entry);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

std::string IniFile::Text() const { return JoinLinesCrLf(lines_); }

}  // namespace vlm
