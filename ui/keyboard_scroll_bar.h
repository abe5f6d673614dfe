#pragma once
// The weight and value bars of the windows. A plain scroll bar never takes
// the keyboard, so a bar could be set only with the mouse; this one is
// reached by Tab (and by a click), and framed while it has the focus, since
// styles draw no focus on a scroll bar. Its arrow keys move the thumb the
// way the arrow points, whichever end holds the maximum (a scroll bar's own
// keys move a horizontal thumb against the arrow); Page Up raises the value
// and Page Down lowers it, Home and End go to either end.

#include <QScrollBar>

namespace vlm::ui {

class KeyboardScrollBar : public QScrollBar {
 public:
  explicit KeyboardScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace vlm::ui
