#pragma once

#include <cstdint>
#include <string>

namespace vlm {

// 1-based position of the first Sub in Src at or after From, 0 when absent.
// IgnoreCase folds ASCII letters only, so Shift-JIS bytes compare exactly.
std::int32_t InStr(const std::string& Src, const std::string& Sub, std::int32_t From,
                   bool IgnoreCase = false);

}  // namespace vlm
