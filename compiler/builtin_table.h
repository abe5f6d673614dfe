#pragma once
// The upper-case command words: predefined macros whose replacements are
// backslash system commands or ordinary MML text.

#include <array>
#include <cstddef>
#include <string_view>

namespace vlm {

struct BuiltinCommand {
  std::string_view Name;
  std::string_view Replacement;
};

constexpr std::size_t BuiltinWordCount = 83;

// The words followed by the terminating row "*".
extern const std::array<BuiltinCommand, BuiltinWordCount + 1> BuiltinCommands;

// The row of the word Name (0 .. BuiltinWordCount - 1), or -1 when Name is
// no built-in word. Names compare byte for byte; "*" is none.
int FindBuiltin(std::string_view Name);

}  // namespace vlm
