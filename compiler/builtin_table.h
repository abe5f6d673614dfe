#pragma once
// The upper-case command words: predefined macros whose replacements are
// backslash system commands or ordinary MML text.

#include <array>
#include <string_view>

namespace vlm {

struct BuiltinCommand {
  std::string_view Name;
  std::string_view Replacement;
};

// 83 words followed by the terminating row "*".
extern const std::array<BuiltinCommand, 84> BuiltinCommands;

}  // namespace vlm
