#pragma once
// The macro table: the built-in words (builtin_table.h), then the words a
// source defines, at most one entry per name. Names compare byte for byte.
// The built-in words are looked up in their constant table, never copied in:
// a definition of one of them is kept with the others and wins over the
// table, so that clearing the table (every compile's reset) costs nothing.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vlm {

struct MacroEntry {
  std::string Name;
  std::string Value;
};

class Tmacro {
 public:
  // Strips one pair of double quotes from each; replaces the value of an
  // existing entry in place, so the order of entries never changes.
  void Add(const std::string& Name, const std::string& Value);
  // The value, or "" when absent; an empty value therefore never expands.
  // Valid until the next Add or Clear.
  std::string_view Find(const std::string& Name) const;
  // Forgets every definition: the built-in words have their own values again.
  void Clear();
  // Every entry: the built-in words in table order with their values now,
  // then the other words in the order they were first defined.
  std::vector<MacroEntry> Items() const;

 private:
  std::vector<MacroEntry> Entries;                    // definitions, in the order first made
  std::unordered_map<std::string, std::size_t> Index; // name -> position in Entries
};

}  // namespace vlm
