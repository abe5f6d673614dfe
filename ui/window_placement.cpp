#include "ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace vlm::ui {

namespace {

constexpr int kGap = 8;  // pixels between a window and the one it belongs to
constexpr const char* kPlacedProperty = "vlmPlaced";  // set on a window once it was placed

// The start coordinate of a span of `length` at `wanted`, moved inside [low, high).
int Inside(int wanted, int length, int low, int high) { return std::max(low, std::min(wanted, high - length)); }

}  // namespace

QRect PlaceBeside(const QRect& anchor, QSize size, const QRect& available) {
  size = size.boundedTo(available.size());
  const int left = available.left(), top = available.top();
  const int right = left + available.width(), bottom = top + available.height();
  const int y = Inside(anchor.top(), size.height(), top, bottom);
  const int x = Inside(anchor.left(), size.width(), left, right);
  const int anchorRight = anchor.left() + anchor.width(), anchorBottom = anchor.top() + anchor.height();

  if (anchorRight + kGap + size.width() <= right) return {QPoint(anchorRight + kGap, y), size};
  if (anchor.left() - kGap - size.width() >= left) return {QPoint(anchor.left() - kGap - size.width(), y), size};
  if (anchorBottom + kGap + size.height() <= bottom) return {QPoint(x, anchorBottom + kGap), size};
  if (anchor.top() - kGap - size.height() >= top) return {QPoint(x, anchor.top() - kGap - size.height()), size};
  // No side has room: lean to the side with more of it.
  const bool rightRoomier = right - anchorRight >= anchor.left() - left;
  const int wantedX = rightRoomier ? right - size.width() : left;
  return {QPoint(Inside(wantedX, size.width(), left, right), y), size};
}

void OpenBeside(QWidget* window, const QWidget* anchor, QSize size) {
  if (window->property(kPlacedProperty).toBool()) return;
  window->setProperty(kPlacedProperty, true);
  const bool anchored = anchor && anchor->isVisible();
  QScreen* screen = anchored ? anchor->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect available = screen->availableGeometry();
  // The window manager's frame around the anchor is taken to be the frame the
  // new window gets too, so that the whole frame fits.
  const QSize frame = anchored ? anchor->frameGeometry().size() - anchor->geometry().size() : QSize(0, 0);
  const QRect anchorFrame = anchored ? anchor->frameGeometry() : QRect(available.topLeft(), QSize(0, 0));
  const QRect placed = PlaceBeside(anchorFrame, size + frame, available);
  window->resize(placed.size() - frame);
  window->move(placed.topLeft());
}

}  // namespace vlm::ui
