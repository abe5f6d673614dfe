#pragma once
// A read-only plain-text pane bound to a vlm::TextPane: fixed-pitch font,
// both scroll bars, selection kept visible without the focus, and the
// conversions between the widget's character positions and the model's
// byte offsets.

#include <QPlainTextEdit>

#include "msgview/text_pane.h"

namespace vlm::ui {

class TextPaneWidget : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TextPaneWidget(bool wrap, QWidget* parent = nullptr);

  void ShowLines(const TextPane& pane);            // replaces the text
  void AppendLine(const std::string& line);        // one more line at the end
  void ShowSelection(const TextPane& pane);        // selects the model's range and scrolls to it
  void StoreSelection(TextPane& pane) const;       // the widget's selection into the model

 signals:
  // A mouse press, after the pane has placed its caret.
  void Pressed();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;
};

}  // namespace vlm::ui
