#pragma once
// Where each rhythm step of a generated phrase lies in its pattern text. The
// pattern generator writes a fixed shape for every symbol (N r ^ m d B W), so
// the text can be walked step by step; a pattern the user has edited out of
// that shape gives no steps, and the roll then marks none.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vlm::roll {

struct StepSpan {
  char Symbol = 'N';       // the rhythm symbol of the step
  std::int32_t Begin = 0;  // offset of its first character in the pattern
  std::int32_t End = 0;    // one past its last character
};

// The spans of steps 0..steps-1 (the rhythm repeats when shorter), or none
// when the pattern does not have the generator's shape.
std::optional<std::vector<StepSpan>> FindSteps(std::string_view rhythm, std::int32_t steps, std::string_view pattern);

}  // namespace vlm::roll
