#include "msgview/text_pane.h"

#include <algorithm>

namespace vlm {

namespace {

std::int64_t TextLength(const std::vector<std::string>& lines) {
  if (lines.empty()) return 0;
  std::int64_t length = static_cast<std::int64_t>(lines.size()) - 1;
  for (const auto& l : lines) length += static_cast<std::int64_t>(l.size());
  return length;
}

// Offsets are int32 like the widget positions they mirror; a text beyond that
// range is clamped rather than allowed to wrap.
std::int32_t ClampOffset(std::int64_t offset) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(offset, 0, INT32_MAX));
}

}  // namespace

std::string TextPane::Text() const {
  std::string text;
  text.reserve(static_cast<std::size_t>(TextLength(Lines)));
  for (std::size_t i = 0; i < Lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += Lines[i];
  }
  return text;
}

std::string TextPane::SelectedText() const {
  if (SelLength <= 0) return {};
  const std::string text = Text();
  const auto start = static_cast<std::size_t>(std::clamp<std::int64_t>(SelStart, 0, static_cast<std::int64_t>(text.size())));
  return text.substr(start, static_cast<std::size_t>(SelLength));
}

std::int32_t TextPane::LineStart(std::int32_t line) const {
  if (line <= 0) return 0;
  if (static_cast<std::size_t>(line) >= Lines.size()) return ClampOffset(TextLength(Lines));
  std::int64_t offset = 0;
  for (std::int32_t i = 0; i < line; ++i) offset += static_cast<std::int64_t>(Lines[static_cast<std::size_t>(i)].size()) + 1;
  return ClampOffset(offset);
}

std::int32_t TextPane::LineAt(std::int32_t offset) const {
  std::int64_t lineStart = 0;
  for (std::size_t i = 0; i < Lines.size(); ++i) {
    const std::int64_t lineEnd = lineStart + static_cast<std::int64_t>(Lines[i].size());
    if (offset <= lineEnd) return static_cast<std::int32_t>(i);
    lineStart = lineEnd + 1;
  }
  return Lines.empty() ? 0 : static_cast<std::int32_t>(Lines.size() - 1);
}

void TextPane::Select(std::int32_t start, std::int32_t length) {
  const std::int32_t end = ClampOffset(TextLength(Lines));
  SelStart = std::clamp(start, 0, end);
  SelLength = std::clamp(length, 0, end - SelStart);
}

void TextPane::Clear() {
  Lines.clear();
  SelStart = 0;
  SelLength = 0;
}

}  // namespace vlm
