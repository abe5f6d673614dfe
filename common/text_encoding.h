#pragma once
// Text files we read may come from the Windows program, which wrote them in
// Shift-JIS as code page 932. Everything inside the program is UTF-8.

#include <cstdint>
#include <string>
#include <string_view>

namespace vlm {

bool IsValidUtf8(std::string_view bytes);

// Appends a code point (at most U+10FFFF) as UTF-8, one to four bytes.
void AppendUtf8(std::string& out, std::uint32_t point);

// The bytes of a text file as UTF-8: valid UTF-8 stays as it is (without a
// leading byte-order mark); anything else is decoded as code page 932. A
// byte sequence that is not code page 932 either becomes U+FFFD.
std::string DecodeText(const std::string& bytes);

}  // namespace vlm
