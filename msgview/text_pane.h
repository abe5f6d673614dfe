#pragma once
// A read-only text pane as the message view's models see it: a list of lines
// and a selection. The pane's text is the lines joined by "\n" (no break after
// the last line); offsets count bytes of that UTF-8 text from 0, so a line
// break counts as one. The window converts between these offsets and its
// widget's own character positions.

#include <cstdint>
#include <string>
#include <vector>

namespace vlm {

struct TextPane {
  std::vector<std::string> Lines;  // the pane's lines, without line breaks
  std::int32_t SelStart = 0;       // byte offset of the selection (or caret) in Text()
  std::int32_t SelLength = 0;      // selected bytes after SelStart; 0 = caret only

  std::string Text() const;
  std::string SelectedText() const;
  // Byte offset of the first character of line `line` (0-based); lines past
  // the end give the end of the text, negative lines the start.
  std::int32_t LineStart(std::int32_t line) const;
  // 0-based index of the line holding byte offset `offset` (clamped to the text).
  std::int32_t LineAt(std::int32_t offset) const;
  // Moves the selection, clamped into the text.
  void Select(std::int32_t start, std::int32_t length);
  void Clear();
};

}  // namespace vlm
