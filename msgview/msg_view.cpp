#include "msgview/msg_view.h"

#include <cstdint>
#include <optional>

#include "common/instr.h"
#include "common/int_text.h"
#include "common/tr_marker.h"
#include "common/warning.h"

namespace vlm {

std::string OnePaneLine(const std::string& text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    line += LineBreakMark;
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;  // CR LF is one break
  }
  return line;
}

TfrmMsg::TfrmMsg(Platform& platform) : platform_(platform) {}

void TfrmMsg::SetWindow(MsgViewWindow* window) { window_ = window; }

void TfrmMsg::ClearMessages() {
  RichEdit1.Clear();
  if (window_) window_->PaneReplaced(MsgPage::Message);
}

void TfrmMsg::AddMessage(const std::string& text) {
  RichEdit1.Lines.push_back(OnePaneLine(text));
  if (window_) window_->MessageAppended(RichEdit1.Lines.back());
}

std::string TfrmMsg::MessageText() const { return RichEdit1.Text(); }

void TfrmMsg::SetDebugLines(const std::vector<std::string>& lines) {
  reDebug.Lines.clear();
  reDebug.Lines.reserve(lines.size());
  for (const auto& line : lines) reDebug.Lines.push_back(OnePaneLine(line));
  reDebug.Select(0, 0);
  if (window_) window_->PaneReplaced(MsgPage::Debug);
}

void TfrmMsg::ShowView() {
  Visible = true;
  if (window_) window_->ShowWindow();
}

void TfrmMsg::ShowMessagePage() {
  ShowView();
  SelectPage(MsgPage::Message);
  Focus(MsgPage::Message);
}

void TfrmMsg::Hide() { Visible = false; }

void TfrmMsg::SelectPage(MsgPage page) {
  ActivePage = page;
  if (window_) window_->PageSelected(page);
}

void TfrmMsg::Focus(MsgPage pane) {
  if (window_) window_->PaneFocused(pane);
}

void TfrmMsg::RichEdit1MouseDown() {
  if (RichEdit1.Lines.empty()) return;
  const std::string& line = RichEdit1.Lines[static_cast<std::size_t>(RichEdit1.LineAt(RichEdit1.SelStart))];
  const auto open = line.find('(');
  if (open == std::string::npos) return;
  const auto close = line.find(')');
  // A ")" missing or before the "(" leaves an empty piece, which is no number.
  std::string piece;
  if (close != std::string::npos && close > open + 1) piece = line.substr(open + 1, close - open - 1);
  const auto n = StrToInt(piece);
  if (!n) return;
  SelectPage(MsgPage::Debug);
  // A line number outside the pane puts the caret at the start of the first
  // line (negative) or at the end of the text (past the last line).
  reDebug.Select(reDebug.LineStart(*n), 0);
  if (window_) window_->SelectionMoved(MsgPage::Debug);
  Focus(MsgPage::Debug);
  if (!ErrorClicked || line.rfind("err(", 0) != 0) return;
  std::int32_t index = 0;
  for (std::int32_t k = 0; k < RichEdit1.LineAt(RichEdit1.SelStart); ++k)
    if (RichEdit1.Lines[static_cast<std::size_t>(k)].rfind("err(", 0) == 0) ++index;
  ErrorClicked(index);
}

// The copy is source to paste elsewhere: each mark becomes the line break it
// stands for (a mark typed into the source itself is taken for one too).
void TfrmMsg::Copy1Click() {
  std::string selected = reDebug.SelectedText();
  if (selected.empty()) return;
  const std::string mark = LineBreakMark;
  for (std::size_t at = selected.find(mark); at != std::string::npos; at = selected.find(mark, at + 1))
    selected.replace(at, mark.size(), "\n");
  platform_.SetClipboardText(selected);
}

void TfrmMsg::Find1Click() {
  SearchText = platform_.InputBox(platform_.Translate(QT_TRANSLATE_NOOP("Messages", "検索文字列を入力してください。")),
                                  platform_.Translate(QT_TRANSLATE_NOOP("Messages", "検索")), SearchText);
  if (!SearchText.empty()) FindNext1Click();
}

void TfrmMsg::FindNext1Click() {
  if (SearchText.empty()) {
    Find1Click();
    return;
  }
  const std::string text = reDebug.Text();
  const std::int32_t first = InStr(text, SearchText, 1);
  if (first == 0) {
    const std::string missing = platform_.Translate(QT_TRANSLATE_NOOP("Messages", "検索文字列\"%1\"はありません。"));
    ShowWarning(WithArgument(missing, SearchText));
    return;
  }
  // Search from one byte after the start of the selection, so that the
  // occurrence under the selection is skipped; wrap to the first one.
  const std::int32_t from = reDebug.SelStart < INT32_MAX - 1 ? reDebug.SelStart + 2 : INT32_MAX;
  const std::int32_t next = InStr(text, SearchText, from);
  const std::int32_t found = next > 0 ? next : first;
  SelectPage(MsgPage::Debug);
  Focus(MsgPage::Debug);
  reDebug.Select(found - 1, static_cast<std::int32_t>(SearchText.size()));
  if (window_) window_->SelectionMoved(MsgPage::Debug);
}

}  // namespace vlm
