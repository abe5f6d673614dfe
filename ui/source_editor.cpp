#include "ui/source_editor.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTextBlock>
#include <algorithm>

namespace vlm::ui {

namespace {

constexpr int MarginPadding = 6;  // pixels on either side of the numbers

}  // namespace

QTextCharFormat SoundingFormat(const QWidget& widget) {
  QColor shade = widget.palette().color(QPalette::Highlight);
  shade.setAlpha(90);
  QTextCharFormat format;
  format.setBackground(shade);
  return format;
}

// The margin is a child widget that hands its painting to the editor, which
// knows where each line stands.
class LineNumberMargin : public QWidget {
 public:
  explicit LineNumberMargin(SourceEditor* editor) : QWidget(editor), editor_(editor) {
    setObjectName(QStringLiteral("LineNumbers"));
  }
  QSize sizeHint() const override { return {editor_->MarginWidth(), 0}; }

 protected:
  void paintEvent(QPaintEvent* event) override { editor_->PaintMargin(event); }

 private:
  SourceEditor* editor_;
};

SourceEditor::SourceEditor(QWidget* parent) : QPlainTextEdit(parent), margin_(new LineNumberMargin(this)) {
  connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { setViewportMargins(MarginWidth(), 0, 0, 0); });
  connect(this, &QPlainTextEdit::updateRequest, this, &SourceEditor::FollowScroll);
  connect(this, &QPlainTextEdit::cursorPositionChanged, margin_, qOverload<>(&QWidget::update));
  setViewportMargins(MarginWidth(), 0, 0, 0);
}

int SourceEditor::MarginWidth() const {
  int digits = 1;
  for (int lines = std::max(1, blockCount()); lines >= 10; lines /= 10) ++digits;
  return 2 * MarginPadding + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(digits, 2);
}

void SourceEditor::SetErrorMarks(QList<QTextEdit::ExtraSelection> marks) {
  errorMarks_ = std::move(marks);
  ShowMarks();
}

void SourceEditor::SetSoundingMarks(QList<QTextEdit::ExtraSelection> marks) {
  soundingMarks_ = std::move(marks);
  ShowMarks();
}

// The sounding notes are drawn first, so that an error's underline stays
// visible on a note that sounds.
void SourceEditor::ShowMarks() { setExtraSelections(soundingMarks_ + errorMarks_); }

void SourceEditor::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  const QRect inside = contentsRect();
  margin_->setGeometry(inside.left(), inside.top(), MarginWidth(), inside.height());
}

// The margin scrolls with the text, and repaints where the text repaints.
void SourceEditor::FollowScroll(const QRect& rect, int dy) {
  if (dy != 0)
    margin_->scroll(0, dy);
  else
    margin_->update(0, rect.y(), margin_->width(), rect.height());
}

// Only the lines in sight are painted; the caret's line number is dark,
// the others grey.
void SourceEditor::PaintMargin(QPaintEvent* event) {
  QPainter painter(margin_);
  painter.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
  const int caretLine = textCursor().blockNumber();
  QTextBlock block = firstVisibleBlock();
  int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
  while (block.isValid() && top <= event->rect().bottom()) {
    const int bottom = top + qRound(blockBoundingRect(block).height());
    if (block.isVisible() && bottom >= event->rect().top()) {
      painter.setPen(palette().color(block.blockNumber() == caretLine ? QPalette::Text : QPalette::PlaceholderText));
      painter.drawText(0, top, margin_->width() - MarginPadding, fontMetrics().height(), Qt::AlignRight,
                       QString::number(block.blockNumber() + 1));
    }
    block = block.next();
    top = bottom;
  }
}

}  // namespace vlm::ui
