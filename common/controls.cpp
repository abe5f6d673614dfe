#include "common/controls.h"

#include <algorithm>

#include "common/int_text.h"

namespace vlm {

NumericSetting::NumericSetting(std::int32_t min, std::int32_t max, std::int32_t start)
    : min_(min), max_(max), text_(std::to_string(std::clamp(start, min, max))) {}

void NumericSetting::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  if (OnChange) OnChange();
}

std::int32_t NumericSetting::Value() const { return StrToInt(text_).value_or(min_); }

std::int32_t NumericSetting::ClampedValue() const { return std::clamp(Value(), min_, max_); }

void NumericSetting::SetValue(std::int32_t value) {
  SetText(std::to_string(std::clamp(value, min_, max_)));
}

void NumericSetting::Leave() {
  if (ClampedValue() != Value()) SetValue(Value());
}

ScrollBar::ScrollBar(std::int32_t min, std::int32_t max, std::int32_t start)
    : min_(min), max_(max), position_(std::clamp(start, min, max)) {}

void ScrollBar::SetPosition(std::int32_t position) {
  position = std::clamp(position, min_, max_);
  if (position == position_) return;
  position_ = position;
  if (OnChange) OnChange();
}

void ChoiceList::SetItemIndex(std::int32_t index) {
  index_ = (index >= 0 && static_cast<std::size_t>(index) < Items.size()) ? index : -1;
}

}  // namespace vlm
