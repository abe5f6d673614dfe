// Where windows open, worked out by hand for screens and owners of several
// shapes: beside the owner when there is room, always inside the free area.
#include "ui/window_placement.h"

#include <gtest/gtest.h>

namespace {

using vlm::ui::PlaceBeside;

const QRect kDesktop(0, 0, 1920, 1040);  // a full-HD screen less a 40-pixel panel

// Right of the owner, else left, else below, else above; aligned with the
// owner's top (or left) edge, 8 pixels apart.
TEST(PlaceBeside, TakesTheFirstSideWithRoom) {
  EXPECT_EQ(PlaceBeside(QRect(100, 100, 600, 500), QSize(560, 420), kDesktop), QRect(708, 100, 560, 420));
  EXPECT_EQ(PlaceBeside(QRect(1300, 100, 600, 500), QSize(560, 420), kDesktop), QRect(732, 100, 560, 420));
  EXPECT_EQ(PlaceBeside(QRect(0, 0, 1920, 400), QSize(560, 420), kDesktop), QRect(0, 408, 560, 420));
  EXPECT_EQ(PlaceBeside(QRect(0, 600, 1920, 440), QSize(560, 420), kDesktop), QRect(0, 172, 560, 420));
}

// An owner low on the screen: aligning with its top would run off the
// bottom edge, so the window moves up until its bottom edge is on screen.
TEST(PlaceBeside, MovesUpRatherThanRunningOffTheBottom) {
  EXPECT_EQ(PlaceBeside(QRect(100, 800, 600, 200), QSize(560, 420), kDesktop), QRect(708, 620, 560, 420));
}

// The help window asks for more height than a 1366x768 laptop has free.
TEST(PlaceBeside, ShrinksAWindowTallerThanTheFreeArea) {
  const QRect laptop(0, 0, 1366, 728);
  const QRect placed = PlaceBeside(QRect(100, 100, 500, 400), QSize(640, 900), laptop);
  EXPECT_EQ(placed, QRect(608, 0, 640, 728));
  EXPECT_TRUE(laptop.contains(placed));
}

// A second monitor right of the first: coordinates start at 1920.
TEST(PlaceBeside, StaysOnTheOwnersScreenOfASeveralScreenDesktop) {
  const QRect second(1920, 0, 1280, 1024);
  const QRect placed = PlaceBeside(QRect(2600, 50, 600, 500), QSize(560, 420), second);
  EXPECT_EQ(placed, QRect(2032, 50, 560, 420));
  EXPECT_TRUE(second.contains(placed));
}

// No side has room: the window overlaps its owner but stays whole on screen,
// on the side with more space.
TEST(PlaceBeside, OverlapsOnlyWhenNoSideHasRoom) {
  const QRect small(0, 0, 800, 600);
  const QRect placed = PlaceBeside(QRect(100, 50, 600, 500), QSize(560, 420), small);
  EXPECT_TRUE(small.contains(placed));
  EXPECT_EQ(placed, QRect(240, 50, 560, 420));
}

}  // namespace
