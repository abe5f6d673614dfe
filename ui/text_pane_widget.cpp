#include "ui/text_pane_widget.h"

#include <QAction>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPalette>
#include <QTextBlock>

namespace vlm::ui {

namespace {

QString Utf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Character position in the widget of byte offset `bytes` of the model's text.
int CharPosition(const std::string& text, std::int32_t bytes) {
  const auto n = static_cast<std::size_t>(std::clamp<std::int64_t>(bytes, 0, static_cast<std::int64_t>(text.size())));
  return static_cast<int>(QString::fromUtf8(text.data(), static_cast<qsizetype>(n)).size());
}

std::int32_t ByteOffset(const QString& text, int chars) {
  return static_cast<std::int32_t>(text.left(chars).toUtf8().size());
}

}  // namespace

TextPaneWidget::TextPaneWidget(bool wrap, QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn);
  QPalette p = palette();
  p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
  p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(p);
}

void TextPaneWidget::ShowLines(const TextPane& pane) {
  setUpdatesEnabled(false);
  setPlainText(Utf8(pane.Text()));
  setUpdatesEnabled(true);
}

void TextPaneWidget::AppendLine(const std::string& line) { appendPlainText(Utf8(line)); }

void TextPaneWidget::ShowSelection(const TextPane& pane) {
  const std::string text = pane.Text();
  QTextCursor cursor(document());
  cursor.setPosition(CharPosition(text, pane.SelStart));
  cursor.setPosition(CharPosition(text, pane.SelStart + pane.SelLength), QTextCursor::KeepAnchor);
  setTextCursor(cursor);
  ensureCursorVisible();
}

void TextPaneWidget::StoreSelection(TextPane& pane) const {
  const QString text = toPlainText();
  const QTextCursor cursor = textCursor();
  const std::int32_t start = ByteOffset(text, cursor.selectionStart());
  pane.Select(start, ByteOffset(text, cursor.selectionEnd()) - start);
}

void TextPaneWidget::mousePressEvent(QMouseEvent* event) {
  QPlainTextEdit::mousePressEvent(event);
  emit Pressed();
}

// The pane would take the keys of its own actions (Ctrl+C, …) as text-editing
// keys; letting them through makes the actions' handlers run instead.
bool TextPaneWidget::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    for (const QAction* action : actions()) {
      if (action->shortcut() == pressed) {
        event->ignore();
        return true;
      }
    }
  }
  return QPlainTextEdit::event(event);
}

}  // namespace vlm::ui
