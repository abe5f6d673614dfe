#pragma once
// The macro table: (name, value) pairs in insertion order, at most one entry
// per name. Names compare byte for byte.

#include <string>
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
  const std::string& Find(const std::string& Name) const;
  void Clear();
  const std::vector<MacroEntry>& Items() const { return Entries; }

 private:
  std::vector<MacroEntry> Entries;                    // in insertion order
  std::unordered_map<std::string, std::size_t> Index; // name -> position in Entries
};

}  // namespace vlm
