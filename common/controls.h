#pragma once
// Toolkit-free models of the window controls that hold settings. The desktop
// program binds its widgets to these; the generators read them.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vlm {

// A numeric field: the text it shows (the user may type anything into it)
// and the value read from that text.
class NumericSetting {
 public:
  NumericSetting(std::int32_t min, std::int32_t max, std::int32_t start);

  const std::string& Text() const { return text_; }
  // The user's typing, or a text set by the program; fires OnChange when the
  // text differs from the one shown.
  void SetText(const std::string& text);
  // The text as an integer, or Min when it is not a number. Not clamped.
  std::int32_t Value() const;
  // Value limited to Min..Max, for uses where an out-of-range count would do
  // harm (a loop bound, a random range).
  std::int32_t ClampedValue() const;
  // Clamps to Min..Max and shows the result.
  void SetValue(std::int32_t value);
  // The user left the field: an out-of-range value is replaced by the clamped one.
  void Leave();

  std::int32_t Min() const { return min_; }
  std::int32_t Max() const { return max_; }

  std::function<void()> OnChange;  // fired after every change of the text

 private:
  std::int32_t min_;
  std::int32_t max_;
  std::string text_;
};

// A scroll bar: an integer position that never leaves its range.
class ScrollBar {
 public:
  ScrollBar(std::int32_t min, std::int32_t max, std::int32_t start);

  std::int32_t Position() const { return position_; }
  // Stores the nearest bound when outside the range; fires OnChange when the
  // position moves.
  void SetPosition(std::int32_t position);
  std::int32_t Min() const { return min_; }
  std::int32_t Max() const { return max_; }

  std::string Hint;                // tool tip text
  std::function<void()> OnChange;  // fired after the position moved

 private:
  std::int32_t min_;
  std::int32_t max_;
  std::int32_t position_;
};

// A drop-down or list selection. Selecting from the program fires nothing:
// the choice handlers run only when the user chooses.
class ChoiceList {
 public:
  std::vector<std::string> Items;

  std::int32_t ItemIndex() const { return index_; }
  // An index outside the items selects nothing (-1).
  void SetItemIndex(std::int32_t index);

 private:
  std::int32_t index_ = -1;
};

}  // namespace vlm
