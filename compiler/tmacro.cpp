#include "compiler/tmacro.h"

#include <cstdio>
#include <new>
#include <utility>

#include "compiler/builtin_table.h"
#include "compiler/tsmf.h"

namespace vlm {

void Tmacro::Add(const std::string& Name, const std::string& Value) {
  const std::string name = StripQuotes(Name);
  const std::string value = StripQuotes(Value);
  const auto found = Index.find(name);
  if (found != Index.end()) {
    Entries[found->second].Value = value;
    return;
  }
  try {
    Entries.push_back(MacroEntry{name, value});
    try {
      Index.emplace(name, Entries.size() - 1);
    } catch (const std::bad_alloc&) {
      Entries.pop_back();  // keep the index and the list in step
      throw;
    }
  } catch (const std::bad_alloc&) {
    std::puts("Tmacro Add Error");
  }
}

// A definition, even one with an empty value, hides the built-in word.
std::string_view Tmacro::Find(const std::string& Name) const {
  if (!Index.empty()) {
    const auto found = Index.find(Name);
    if (found != Index.end()) return Entries[found->second].Value;
  }
  const int row = FindBuiltin(Name);
  return row < 0 ? std::string_view() : BuiltinCommands[static_cast<std::size_t>(row)].Replacement;
}

void Tmacro::Clear() {
  Entries.clear();
  Index.clear();
}

std::vector<MacroEntry> Tmacro::Items() const {
  std::vector<MacroEntry> items;
  for (std::size_t row = 0; row < BuiltinWordCount; ++row) {
    std::string name(BuiltinCommands[row].Name);
    std::string value(Find(name));
    items.push_back(MacroEntry{std::move(name), std::move(value)});
  }
  for (const MacroEntry& entry : Entries)
    if (FindBuiltin(entry.Name) < 0) items.push_back(entry);
  return items;
}

}  // namespace vlm
