#include "ui/keyboard_scroll_bar.h"

#include <QKeyEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace vlm::ui {

KeyboardScrollBar::KeyboardScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {
  setFocusPolicy(Qt::StrongFocus);
}

void KeyboardScrollBar::keyPressEvent(QKeyEvent* event) {
  const bool horizontal = orientation() == Qt::Horizontal;
  // Whether the maximum lies left or up on the screen instead of right or down.
  const bool maximumFirst = invertedAppearance() != (horizontal && isRightToLeft());
  const auto towards = [&](bool rightOrDown) {
    triggerAction(rightOrDown != maximumFirst ? SliderSingleStepAdd : SliderSingleStepSub);
  };
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
      if (!horizontal) break;
      towards(event->key() == Qt::Key_Right);
      return;
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (horizontal) break;
      towards(event->key() == Qt::Key_Down);
      return;
    case Qt::Key_PageUp:
      triggerAction(SliderPageStepAdd);
      return;
    case Qt::Key_PageDown:
      triggerAction(SliderPageStepSub);
      return;
    default:
      break;
  }
  QScrollBar::keyPressEvent(event);
}

void KeyboardScrollBar::paintEvent(QPaintEvent* event) {
  QScrollBar::paintEvent(event);
  if (!hasFocus()) return;
  QStylePainter painter(this);
  QStyleOptionFocusRect frame;
  frame.initFrom(this);
  frame.backgroundColor = palette().color(QPalette::Window);
  painter.drawPrimitive(QStyle::PE_FrameFocusRect, frame);
}

}  // namespace vlm::ui
