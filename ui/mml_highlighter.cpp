#include "ui/mml_highlighter.h"

#include <QColor>
#include <QFont>

namespace vlm::ui {

namespace {

QRegularExpression Compiled(const std::string& pattern) {
  return QRegularExpression(QString::fromStdString(pattern));
}

// ORDER MML CATEGORY: colours readable on a light background.
QTextCharFormat FormatFor(MmlCategory category) {
  struct Look {
    const char* colour;
    bool bold;
    bool italic;
  };
  static constexpr Look looks[] = {
      {nullptr, false, false},    // Text: left as the widget draws it
      {"#7f7f7f", false, true},   // Comment
      {"#006e28", false, false},  // Directive
      {"#bf0303", false, false},  // String
      {"#644a9b", true, false},   // MacroDefinition
      {"#1f1c1b", true, false},   // Builtin
      {"#644a9b", false, false},  // Macro
      {"#0057ae", true, false},   // Underscore
      {"#3daee9", false, false},  // SystemCommand
      {"#0057ae", false, false},  // Note
      {"#b07e00", true, false},   // Setting
      {"#8e44ad", false, false},  // Channel
      {"#ca60ca", true, false},   // Loop
      {"#0095ff", false, false},  // Variable
      {"#b08000", false, false},  // Number
  };
  const Look& look = looks[static_cast<std::size_t>(category)];
  QTextCharFormat format;
  if (category == MmlCategory::Text) return format;
  format.setForeground(QColor(QString::fromLatin1(look.colour)));
  if (look.bold) format.setFontWeight(QFont::Bold);
  format.setFontItalic(look.italic);
  format.setProperty(MmlHighlighter::CategoryProperty, static_cast<int>(category));
  return format;
}

// Blocks outside any region carry this state; inside one, the region rule's index.
constexpr int NoRegion = -1;

}  // namespace

MmlHighlighter::MmlHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
  for (const MmlRule& rule : MmlRules()) {
    rules_.push_back({rule.category, Compiled(rule.pattern), Compiled(rule.endPattern), Compiled(rule.follow),
                      rule.followCategory});
  }
  for (const MmlCategoryInfo& info : MmlCategories()) formats_.push_back(FormatFor(info.category));
}

void MmlHighlighter::Colour(qsizetype start, qsizetype length, MmlCategory category) {
  if (length > 0 && category != MmlCategory::Text)
    setFormat(static_cast<int>(start), static_cast<int>(length), formats_[static_cast<std::size_t>(category)]);
}

qsizetype MmlHighlighter::CloseRegion(const QString& text, qsizetype from, const Rule& rule) {
  const QRegularExpressionMatch end = rule.end.match(text, from);
  const qsizetype stop = end.hasMatch() ? end.capturedEnd() : text.size();
  Colour(from, stop - from, rule.category);
  return end.hasMatch() ? stop : -1;
}

// At each position the first rule that matches there wins; where none does,
// one character stays plain.
void MmlHighlighter::highlightBlock(const QString& text) {
  if (document()->characterCount() > MaxCharacters) return;
  qsizetype pos = 0;
  const int open = previousBlockState();
  if (open >= 0 && static_cast<std::size_t>(open) < rules_.size()) {
    pos = CloseRegion(text, 0, rules_[static_cast<std::size_t>(open)]);
    if (pos < 0) {
      setCurrentBlockState(open);
      return;
    }
  }
  setCurrentBlockState(NoRegion);
  constexpr auto anchored = QRegularExpression::AnchorAtOffsetMatchOption;
  while (pos < text.size()) {
    std::size_t index = 0;
    QRegularExpressionMatch match;
    for (; index < rules_.size(); ++index) {
      match = rules_[index].pattern.match(text, pos, QRegularExpression::NormalMatch, anchored);
      // An empty match would never move on: it counts as no match.
      if (match.hasMatch() && match.capturedLength() > 0) break;
    }
    if (index == rules_.size()) {
      ++pos;
      continue;
    }
    const Rule& rule = rules_[index];
    Colour(pos, match.capturedLength(), rule.category);
    pos = match.capturedEnd();
    if (!rule.end.pattern().isEmpty()) {
      pos = CloseRegion(text, pos, rule);
      if (pos < 0) {
        setCurrentBlockState(static_cast<int>(index));
        return;
      }
    } else if (!rule.follow.pattern().isEmpty()) {
      qsizetype next = pos;
      while (next < text.size() && (text[next] == u' ' || text[next] == u'\t')) ++next;
      const QRegularExpressionMatch follow =
          rule.follow.match(text, next, QRegularExpression::NormalMatch, anchored);
      if (follow.hasMatch()) {
        Colour(next, follow.capturedLength(), rule.followCategory);
        pos = follow.capturedEnd();
      }
    }
  }
}

}  // namespace vlm::ui
