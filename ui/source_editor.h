#pragma once
// The MML window's text pane: a plain-text editor with the line numbers in a
// margin, as code editors show them (error lines and editors' jumps name
// lines), and two kinds of marks over the text: the places of the compile's
// errors, underlined, and the text of the notes sounding while it plays.

#include <QList>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace vlm::ui {

// The mark of the text of a note sounding, in any text pane of widget's
// palette: a shade of the selection's colour, light enough to read through.
QTextCharFormat SoundingFormat(const QWidget& widget);

class SourceEditor : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit SourceEditor(QWidget* parent = nullptr);

  // The margin's width: room for the largest line number.
  int MarginWidth() const;
  // Replaces the marks of one kind; the other kind stays.
  void SetErrorMarks(QList<QTextEdit::ExtraSelection> marks);
  void SetSoundingMarks(QList<QTextEdit::ExtraSelection> marks);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  friend class LineNumberMargin;
  void PaintMargin(QPaintEvent* event);
  void FollowScroll(const QRect& rect, int dy);
  void ShowMarks();

  QWidget* margin_;
  QList<QTextEdit::ExtraSelection> errorMarks_;
  QList<QTextEdit::ExtraSelection> soundingMarks_;
};

}  // namespace vlm::ui
