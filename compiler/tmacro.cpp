#include "compiler/tmacro.h"

#include <cstdio>
#include <new>

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

const std::string& Tmacro::Find(const std::string& Name) const {
  static const std::string none;
  const auto found = Index.find(Name);
  return found == Index.end() ? none : Entries[found->second].Value;
}

void Tmacro::Clear() {
  Entries.clear();
  Index.clear();
}

}  // namespace vlm
