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

// The value of a hexadecimal digit (either case), or -1 for any other character.
int HexDigitValue(char c);

}  // namespace vlm
