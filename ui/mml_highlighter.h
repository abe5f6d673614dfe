#pragma once
// Colours vlm sources in a text document by the same rules that make the Kate
// and Vim files (common/mml_syntax.h): the pattern box of the main window and
// the compiled source on the message view's Debug page.

#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <vector>

#include "common/mml_syntax.h"

namespace vlm::ui {

class MmlHighlighter : public QSyntaxHighlighter {
  Q_OBJECT

 public:
  // Every format carries its category under this property, so that a reader
  // of the document can tell what a span is without knowing the colours.
  static constexpr int CategoryProperty = QTextFormat::UserProperty + 1;

  // Colouring costs about 1.3 s per million characters; a larger document
  // (a long song's compiled source) stays plain rather than stall the window.
  static constexpr int MaxCharacters = 1 << 18;

  explicit MmlHighlighter(QTextDocument* document);

 protected:
  void highlightBlock(const QString& text) override;

 private:
  struct Rule {
    MmlCategory category;
    QRegularExpression pattern;
    QRegularExpression end;     // valid and non-empty for a region
    QRegularExpression follow;  // matched after blanks, when non-empty
    MmlCategory followCategory;
  };

  // Colours the rest of a region from `from`; returns where it ended, or -1
  // when it runs past the end of the block.
  qsizetype CloseRegion(const QString& text, qsizetype from, const Rule& rule);
  void Colour(qsizetype start, qsizetype length, MmlCategory category);

  std::vector<Rule> rules_;
  std::vector<QTextCharFormat> formats_;  // by category
};

}  // namespace vlm::ui
