#pragma once
// An INI-style settings file held in memory: sections headed by their name in
// square brackets, entries "key=value". Section and key names compare without
// regard to ASCII case. Writing a key changes its line in place, or adds it
// at the end of its section (the section at the end of the file); every other
// line stays as it was.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vlm {

class IniFile {
 public:
  // text is UTF-8; lines end at CR LF, CR or LF.
  explicit IniFile(const std::string& text = std::string());

  // The value with the blanks around it removed and one pair of enclosing
  // quotes dropped; nothing when the key is absent. Values are read whole,
  // however long.
  std::optional<std::string> ReadString(const std::string& section, const std::string& key) const;
  // Decimal, "$" hexadecimal, or "0x"/"0X" hexadecimal when longer than two
  // characters; fallback when absent or not a number.
  std::int32_t ReadInteger(const std::string& section, const std::string& key,
                           std::int32_t fallback) const;
  // Any integer other than 0 is on.
  bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;

  // Line breaks inside a value are stored as U+2028 and read back as "\n",
  // so a multi-line text can neither cut the file nor add keys to it. A value
  // that reading would change (blanks at either end, enclosing quotes) is
  // quoted once more, so that it reads back as written.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);

  // The whole file, every line ended by CR LF.
  std::string Text() const;

 private:
  // Index of the section's header line, or lines_.size() when absent.
  std::size_t FindSection(const std::string& section) const;
  // Index of the key's line in the section starting at header, or lines_.size().
  std::size_t FindKey(std::size_t header, const std::string& key) const;

  std::vector<std::string> lines_;
};

}  // namespace vlm
