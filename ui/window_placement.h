#pragma once
// Where a window opens: fully on the screen's free area and beside the
// window it belongs to, never under it when there is room elsewhere.

#include <QRect>
#include <QSize>

class QWidget;

namespace vlm::ui {

// The frame rectangle for a window of frame size `size` beside `anchor`
// (a frame rectangle too) inside `available`: right of it, else left, else
// below, else above; aligned with the anchor's top (or left) edge and moved
// inward where that edge would leave the area. A size larger than the area
// is shrunk to it; with no room on any side the window overlaps the anchor
// but stays inside the area.
QRect PlaceBeside(const QRect& anchor, QSize size, const QRect& available);

// Moves and sizes the top-level `window` (client size `size`) beside
// `anchor` on the anchor's screen, the first time only: a window shown
// again comes back where the user left it. A null or hidden anchor places
// it on the primary screen's free area.
void OpenBeside(QWidget* window, const QWidget* anchor, QSize size);

}  // namespace vlm::ui
