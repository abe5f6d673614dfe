#include <gtest/gtest.h>

#include "common/controls.h"
#include "common/int_text.h"

namespace {

TEST(StrToInt, ReadsDecimalSignedAndDollarHex) {
  EXPECT_EQ(vlm::StrToInt("120"), 120);
  EXPECT_EQ(vlm::StrToInt("0120"), 120);
  EXPECT_EQ(vlm::StrToInt("  -7"), -7);
  EXPECT_EQ(vlm::StrToInt("+3"), 3);
  EXPECT_EQ(vlm::StrToInt("$1F"), 31);
  EXPECT_EQ(vlm::StrToInt("$a"), 10);
  EXPECT_EQ(vlm::StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(vlm::StrToInt("-2147483648"), -2147483647 - 1);
}

TEST(StrToInt, RejectsEverythingElse) {
  for (const char* text : {"", " ", "-", "$", "12a", "1 ", "0x10", "$G", "2147483648", "99999999999999999999",
                           "１２"})
    EXPECT_FALSE(vlm::StrToInt(text).has_value()) << text;
}

TEST(NumericSetting, TextValueAndClamping) {
  vlm::NumericSetting tempo(20, 999, 120);
  int changes = 0;
  tempo.OnChange = [&] { ++changes; };
  EXPECT_EQ(tempo.Text(), "120");
  tempo.SetText("0120");  // kept as typed
  EXPECT_EQ(tempo.Text(), "0120");
  EXPECT_EQ(tempo.Value(), 120);
  tempo.SetText("5");  // not clamped on reading
  EXPECT_EQ(tempo.Value(), 5);
  EXPECT_EQ(tempo.ClampedValue(), 20);
  tempo.Leave();  // leaving the field clamps
  EXPECT_EQ(tempo.Text(), "20");
  tempo.SetText("fast");  // not a number: the minimum
  EXPECT_EQ(tempo.Value(), 20);
  tempo.Leave();
  EXPECT_EQ(tempo.Text(), "fast");
  tempo.SetValue(5000);
  EXPECT_EQ(tempo.Text(), "999");
  EXPECT_EQ(changes, 5);
  tempo.SetValue(999);  // same text: no change fired
  EXPECT_EQ(changes, 5);
}

TEST(ScrollBar, PositionStaysInRangeAndFiresOnMoves) {
  vlm::ScrollBar bar(2, 100, 80);
  int changes = 0;
  bar.OnChange = [&] { ++changes; };
  bar.SetPosition(0);
  EXPECT_EQ(bar.Position(), 2);
  bar.SetPosition(2);
  bar.SetPosition(150);
  EXPECT_EQ(bar.Position(), 100);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(vlm::ScrollBar(0, 10, 50).Position(), 10);
}

TEST(ChoiceList, OutOfRangeSelectsNothing) {
  vlm::ChoiceList list;
  list.Items = {"a", "b"};
  list.SetItemIndex(1);
  EXPECT_EQ(list.ItemIndex(), 1);
  list.SetItemIndex(2);
  EXPECT_EQ(list.ItemIndex(), -1);
  list.SetItemIndex(-5);
  EXPECT_EQ(list.ItemIndex(), -1);
}

}  // namespace
