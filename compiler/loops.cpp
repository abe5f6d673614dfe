#include "common/instr.h"
#include "compiler/line_edit.h"
#include "compiler/tsmf.h"

namespace vlm {

namespace {

// Where the "]" that closes the innermost open loop stands, searched from
// column Col of line LineNo (the line being compiled is read as rewritten,
// the others as stored). Nested loops are passed over whole, and so are
// comments. On success LineNo and Col name the "]".
bool FindLoopEnd(const TSmf& smf, std::int32_t& LineNo, std::int32_t& Col) {
  const std::int32_t count = smf.LineCount();
  int depth = 0;
  bool inComment = false;
  for (std::int32_t n = LineNo; n < count; ++n) {
    const TextRef text = n == smf.LineNo() ? TextRef(smf.Line()) : TextRef(smf.StoredLine(n));
    for (std::int32_t at = n == LineNo ? Col : 1; CharAt(text, at) >= 0; ++at) {
      const int c = CharAt(text, at);
      if (inComment) {
        inComment = c != '}';
      } else if (c == '{') {
        inComment = true;
      } else if (c == ';') {
        break;
      } else if (c == '[') {
        ++depth;
      } else if (c == ']') {
        if (depth == 0) {
          LineNo = n;
          Col = at;
          return true;
        }
        --depth;
      }
    }
  }
  return false;
}

bool Compare(std::int32_t Left, const std::string& Operator, std::int32_t Right, bool& Valid) {
  Valid = true;
  if (Operator == ">") return Left > Right;
  if (Operator == ">=" || Operator == "=>") return Left >= Right;
  if (Operator == "<") return Left < Right;
  if (Operator == "<=" || Operator == "=<") return Left <= Right;
  if (Operator == "=") return Left == Right;
  Valid = false;
  return false;
}

}  // namespace

void TSmf::LoopCommand() {
  switch (CharAt(Line(), Col)) {
    case '[': {  // "[" count: open a loop whose body starts here (or on the next line)
      ++Col;
      std::int32_t len = 0;
      std::int32_t passes = ReadNumber(Line(), Col, len);
      Col += len;
      if (passes == -1) passes = 2;
      if (LoopDepth >= StackSlots) {
        ReportError(5, "ループのネストが深すぎます。");
        return;
      }
      LoopRecord& loop = LoopStack[static_cast<std::size_t>(LoopDepth)];
      if (CharAt(Line(), Col) >= 0) {
        loop.StartCol = Col;
        loop.StartLine = LineNo();
      } else {
        loop.StartCol = 1;
        loop.StartLine = LineNo() + 1;
      }
      loop.Passes = passes;
      loop.ExitCol = 0;
      loop.ExitLine = 0;
      ++LoopDepth;
      break;
    }
    case ']': {  // "]": jump back to the body, or leave after the last pass
      if (LoopDepth == 0) {
        ++Col;
        ReportError(5, "]が多い");
        return;
      }
      LoopRecord& loop = LoopStack[static_cast<std::size_t>(LoopDepth - 1)];
      --loop.Passes;
      if (loop.Passes <= 0) {
        --LoopDepth;
        ++Col;
        return;
      }
      loop.ExitCol = Col + 1;
      loop.ExitLine = LineNo();
      MoveTo(loop.StartLine, loop.StartCol, Leaving::Store);
      break;
    }
    default: {  // ":": on the last pass, leave the loop at once
      ++Col;
      if (LoopDepth == 0) {
        ReportError(5, "ループ外に:がある");
        return;
      }
      const LoopRecord loop = LoopStack[static_cast<std::size_t>(LoopDepth - 1)];
      if (loop.Passes > 1) return;
      if (loop.ExitCol > 0) {
        --LoopDepth;
        MoveTo(loop.ExitLine, loop.ExitCol, Leaving::Store);
        return;
      }
      // Its "]" has not been reached yet (a count of 0 or 1): look for it
      // ahead. Without one the body goes on, and the missing "]" is
      // reported at the end of the source.
      std::int32_t endLine = LineNo();
      std::int32_t endCol = Col;
      if (!FindLoopEnd(*this, endLine, endCol)) return;
      --LoopDepth;
      if (endLine == LineNo())
        Col = endCol + 1;
      else
        MoveTo(endLine, endCol + 1, Leaving::Store);
      break;
    }
  }
}

// IF(condition, then[, else]) inserts the chosen branch and an end marker
// after itself; the marker, once reached, takes both out again, so the
// stored line still holds the IF and a replay decides afresh. The marker is
// written as the system command itself, "\31(*IF*)", not as the word IF: a
// branch that ends in a command word (GHOST_ON) would run into the word and
// form one unknown word, and a source may redefine IF.
void TSmf::IfCommand() {
  ReadArgs(Line(), Col);
  if (ArgCount == 1) {
    if (IfDepth > 0 && Args[0] == "*IF*") {
      --IfDepth;
      const std::int32_t start = IfCols[static_cast<std::size_t>(IfDepth)];
      EraseColumns(*this, start, Col);
      if (start < Col) Col = start;
    }
    return;
  }
  if (ArgCount == 0) {
    ReportError(4, "IF");
    return;
  }
  const std::string& condition = Args[0];
  std::int32_t at = 1;
  std::int32_t status = 0;
  const std::int32_t left = ReadValue(condition, at, status);
  if (status == -1) {
    ReportError(4, "IF条件式左辺");
    return;
  }
  std::string op;
  for (int c = CharAt(condition, at); c == '>' || c == '=' || c == '<'; c = CharAt(condition, ++at))
    op += static_cast<char>(c);
  if (op.empty()) {
    ReportError(4, "IF条件式の演算子がない");
    return;
  }
  const std::int32_t right = ReadValue(condition, at, status);
  if (status == -1) {
    ReportError(4, "IF条件式右辺");
    return;
  }
  bool valid = false;
  const bool holds = Compare(left, op, right, valid);
  if (!valid) {
    ReportError(0, "IF");
    return;
  }
  const std::string branch = holds ? Args[1] : (ArgCount >= 3 ? Args[2] : std::string());
  if (IfDepth >= StackSlots) {
    // Only a branch that contains an IF can nest this deep; refusing to
    // insert it ends the recursion.
    ReportError(5, "IFのネストが深すぎます。");
    return;
  }
  IfCols[static_cast<std::size_t>(IfDepth)] = Col;
  ++IfDepth;
  InsertAt(*this, Col, branch + "\\31(*IF*)");
  CheckLineLength();
}

void TSmf::SlashChord() {
  ++Col;
  TrackState& track = Track();
  const std::int32_t savedLength = track.Length;
  const std::int32_t strum = track.StrumStep;
  const std::int32_t close = InStr(Line(), "/", Col);
  if (close == 0) {
    ReportError(5, "/が同行上にみつかりません。");
    return;
  }
  std::int32_t after = close + 1;
  const std::int32_t total = ReadLength(Line(), after);
  if (total < 0) {
    Col = after;  // the length's failure is reported; the chord is skipped
    return;
  }
  track.Length = total;
  auto& position = ptr[static_cast<std::size_t>(CurTrack)];
  const std::int32_t start = position;
  std::int64_t offset = 0;
  for (int c = CharAt(Line(), Col); c >= 0 && c != '/'; c = CharAt(Line(), Col)) {
    switch (c) {
      case 'c': case 'd': case 'e': case 'f': case 'g': case 'a': case 'b': case 'n':
        NoteCommand();  // each note starts StrumStep ticks after the previous one
        offset += strum;
        position = Wrap32(start + offset);
        break;
      case '<': case '>':  // octave shifts stay in force after the chord
        OctaveShift();
        break;
      default:
        ReportError(4, "/の中には音符か<>しか置けません。");
        track.Length = savedLength;
        return;
    }
  }
  Col = after;
  track.Length = savedLength;
  position = Wrap32(static_cast<std::int64_t>(start) + total);
}

std::int32_t TSmf::ReadSingleValue(TextRef S, std::int32_t& At, std::int32_t& Status) {
  const int c = CharAt(S, At);
  if (c == '=') {
    ++At;
    return ReadValue(S, At, Status);
  }
  if (c == '(') {
    ++At;
    const std::int32_t value = ReadValue(S, At, Status);
    if (CharAt(S, At) == ')') ++At;
    return value;
  }
  return ReadValue(S, At, Status);
}

}  // namespace vlm
