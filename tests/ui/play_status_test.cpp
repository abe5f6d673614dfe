// The clock of the play state in the status bar.
#include "ui/play_status.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(ClockText, MinutesAndTwoDigitSeconds) {
  EXPECT_EQ(vlm::ui::ClockText(0), QStringLiteral("0:00"));
  EXPECT_EQ(vlm::ui::ClockText(3.99), QStringLiteral("0:03"));
  EXPECT_EQ(vlm::ui::ClockText(65.5), QStringLiteral("1:05"));
  EXPECT_EQ(vlm::ui::ClockText(3600), QStringLiteral("60:00"));
  EXPECT_EQ(vlm::ui::ClockText(-2), QStringLiteral("0:00"));
  EXPECT_EQ(vlm::ui::ClockText(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("0:00"));
}

}  // namespace
