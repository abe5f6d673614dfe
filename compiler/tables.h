#pragma once

#include <array>
#include <string_view>

namespace vlm {

// Error texts by error number 0..6, shown as they stand.
extern const std::array<std::string_view, 7> ErrorTexts;

}  // namespace vlm
