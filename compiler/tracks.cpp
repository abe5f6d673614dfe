#include <algorithm>

#include "common/instr.h"
#include "compiler/line_edit.h"
#include "compiler/tsmf.h"

namespace vlm {

namespace {

// Column of the backslash that started the system command whose number ends
// just before Col. A command number (digits, "$" and hex digits, "~" chains)
// holds no backslash, so the last one before Col is it.
std::int32_t CommandStart(const LineBuffer& Text, std::int32_t Col) {
  for (std::int32_t c = std::min<std::int32_t>(Col - 1, static_cast<std::int32_t>(Text.size())); c >= 1; --c)
    if (CharAt(Text, c) == '\\') return c;
  return Col;
}

}  // namespace

// _tr(list): selects a track, or opens a multi-track section that is compiled
// once per listed track, up to the next "_tr". While a section is pending,
// "_tr" ends the current pass and replays the section for the next track.
void TSmf::TrackSelect() {
  if (TrackStackDepth > 0) {
    --TrackStackDepth;
    EnterTrack(TrackStack[static_cast<std::size_t>(TrackStackDepth)]);
    // A section that ends on the line where it began replays that line as
    // rewritten so far, as loops do: ReplayCol was measured on it. A later
    // line is left as stored.
    MoveTo(ReplayLine, ReplayCol, Leaving::Keep);
    return;
  }

  Col += 2;
  ReadArgs(Line(), Col);
  if (ArgCount == 0) {
    ReportError(4, "_tr");
    return;
  }
  // The list is pushed from its last argument to its first, each range from
  // its low end up, so that passes run in the written order and ranges downward.
  // A list longer than the stack is refused like a bad track number.
  std::int32_t depth = 0;
  bool bad = false;
  auto push = [&](std::int32_t track) {
    if (track < 0 || track >= TrackCount || depth >= static_cast<std::int32_t>(TrackStack.size())) {
      bad = true;
      return;
    }
    TrackStack[static_cast<std::size_t>(depth++)] = track;
  };
  for (std::int32_t i = ArgCount - 1; i >= 0 && !bad; --i) {
    const std::string& arg = Args[static_cast<std::size_t>(i)];
    std::int32_t len = 0;
    const std::int32_t a = ReadNumber(arg, 1, len);
    if (arg.find('-') == std::string::npos) {
      push(a);
      continue;
    }
    const std::int32_t dash = 1 + len;
    std::int32_t lenB = 0;
    const std::int32_t b = CharAt(arg, dash) == '-' ? ReadNumber(arg, dash + 1, lenB) : -1;
    if (a < 0 || b < 0 || a > b) {
      bad = true;
      break;
    }
    for (std::int32_t track = a; track <= b && !bad; ++track) push(track);
  }
  if (bad) {
    TrackStackDepth = 0;
    ReportError(4, "_tr");
    return;
  }
  if (depth == 1) {
    TrackStackDepth = 0;
    EnterTrack(TrackStack[0]);
    return;
  }

  // A section runs to the next "_tr" (looked for in the line as rewritten so
  // far, then in the following lines); without one it runs to the end of the source.
  bool closed = InStr(Line(), "_tr", Col) != 0;
  for (std::int32_t i = LineNo() + 1; i < LineCount() && !closed; ++i)
    closed = StoredLine(i).find("_tr") != std::string::npos;
  if (!closed) Append("_tr(0)");
  ReplayCol = Col;
  ReplayLine = LineNo();
  TrackStackDepth = depth - 1;
  EnterTrack(TrackStack[static_cast<std::size_t>(TrackStackDepth)]);
}

void TSmf::EnterTrack(std::int32_t Next) {
  CurTrack = Next;
}

// TR(text0, text1, ...) and TRL/PLAY: each non-empty text compiled on the
// track of its position. The command replaces itself by the generated text,
// so that a loop or a section replaying the compiled line compiles the texts
// once per pass instead of once more on every pass.
void TSmf::TrackListCommand(bool Align) {
  const std::int32_t start = CommandStart(Line(), Col);
  ReadArgs(Line(), Col);
  if (ArgCount == 0) {  // ReadArgs caps a list at 127 arguments
    ReportError(4, Align ? "TRL" : "TR");
    return;
  }
  std::string text = Align ? "{-->}" : "";
  for (std::int32_t i = 0; i < ArgCount; ++i) {
    const std::string part = StripQuotes(Args[static_cast<std::size_t>(i)]);
    if (part.empty()) continue;
    text += (Align ? "{TRL}_tr(" : "_tr(") + std::to_string(i) + ")" + part + "|";
  }
  if (Align) text += "|\\8|";
  EraseColumns(*this, start, Col);
  InsertAt(*this, start, text);
  Col = start;
  CheckLineLength();
}

// TRN(first, text1, text2, ...) and TRNL: the texts on tracks first, first+1, ...
void TSmf::TrackFromCommand(bool Align) {
  const std::string word = Align ? "TRNL" : "TRN";
  const std::int32_t start = CommandStart(Line(), Col);
  ReadArgs(Line(), Col);
  if (ArgCount == 0) {  // ReadArgs caps a list at 127 arguments
    ReportError(4, word);
    return;
  }
  std::int32_t len = 0;
  const std::int32_t first = ReadNumber(Args[0], 1, len);
  if (first == -1) {
    ReportError(5, word + "の1つめの引数が不正");
    return;
  }
  std::string text = "{-->}";
  for (std::int32_t i = 1; i < ArgCount; ++i) {
    const std::string part = StripQuotes(Args[static_cast<std::size_t>(i)]);
    if (part.empty()) continue;
    // Numbers past the last track are written as 128, which the generated
    // _tr refuses (error 4), rather than as a number too large to read.
    const std::int64_t track = std::min<std::int64_t>(static_cast<std::int64_t>(first) + i - 1, TrackCount);
    text += "{" + word + "}_tr(" + std::to_string(track) + ")" + part + "|";
  }
  text += Align ? "|\\8|" : "|";
  EraseColumns(*this, start, Col);
  InsertAt(*this, start, text);
  Col = start;
  CheckLineLength();
}

// LAST_PTR: every track continues at the latest position of all (never below 0).
void TSmf::LastPtrCommand() {
  ReadArgs(Line(), Col);
  if (ArgCount > 1) {
    ReportError(4, "LAST_PTR");
    return;
  }
  const std::int32_t latest = std::max(0, *std::max_element(ptr.begin(), ptr.end()));
  ptr.fill(latest);
}

// CD_(length, item1, item2, ...): the items start StrumStep ticks apart, each
// with the chord length as its default length; the position then moves on by
// that length. ~509..~511 are scratch.
void TSmf::StrumChordCommand() {
  const std::int32_t start = CommandStart(Line(), Col);
  EraseColumns(*this, start, Col);
  Col = start;
  ReadArgs(Line(), Col);
  if (ArgCount < 2) {
    ReportError(4, "CD_");
    return;
  }
  EraseColumns(*this, start, Col);
  Col = start;
  const std::int32_t defaultLength = Track().Length;
  std::int32_t at = 1;
  const std::string lengthText = Args[0];
  const std::int32_t chordLength = ReadLength(lengthText, at);
  if (chordLength < 1) {
    ReportError(4, "CD_");
    return;
  }
  const std::string length = std::to_string(chordLength);
  std::string text = "|~511=ptr~510=dly~509=~511 l%" + length;
  for (std::int32_t i = 1; i < ArgCount; ++i)
    text += "PTR=~511" + StripQuotes(Args[static_cast<std::size_t>(i)]) + " ~511+~510 ";
  text += " l%" + std::to_string(defaultLength) + "~509+" + length + "PTR=~509|";
  InsertAt(*this, Col, text);
  CheckLineLength();
}

}  // namespace vlm
