#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vlm {

// Reads a whole text as an int32 the way the settings fields and the play
// list read numbers: leading blanks, an optional sign, then decimal digits or
// "$" and hexadecimal digits. Anything else, or a number outside int32, is
// not a number.
std::optional<std::int32_t> StrToInt(const std::string& text);

}  // namespace vlm
