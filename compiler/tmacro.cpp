#include "compiler/tmacro.h"

#include <cstdio>
#include <new>

#include "compiler/tsmf.h"

namespace vlm {

void Tmacro::Add(const std::string& Name, const std::string& Value) {
  const std::string name = StripQuotes(Name);
  const std::string value = StripQuotes(Value);
  for (auto& e : Entries) {
    if (e.Name == name) {
      e.Value = value;
      return;
    }
  }
  try {
    Entries.push_back(MacroEntry{name, value});
  } catch (const std::bad_alloc&) {
    std::puts("Tmacro Add Error");
  }
}

const std::string& Tmacro::Find(const std::string& Name) const {
  static const std::string none;
  for (const auto& e : Entries)
    if (e.Name == Name) return e.Value;
  return none;
}

}  // namespace vlm
