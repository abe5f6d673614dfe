#include <algorithm>
#include <cstring>
#include <string_view>

#include "common/instr.h"
#include "common/random.h"
#include "compiler/line_edit.h"
#include "compiler/tsmf.h"

namespace vlm {

namespace {

bool IsOneOf(int c, const char* set) { return c > 0 && std::strchr(set, c) != nullptr; }

// One operator of the variable command on 32-bit two's complement values.
// Sums, differences and products wrap; a quotient or remainder by zero, and
// the quotient of INT32_MIN by -1 that has no 32-bit result, give 0.
std::int32_t Operate(int op, std::int32_t a, std::int32_t b) {
  const auto ua = static_cast<std::uint32_t>(a);
  const auto ub = static_cast<std::uint32_t>(b);
  switch (op) {
    case '+': return Wrap32(static_cast<std::int64_t>(a) + b);
    case '-': return Wrap32(static_cast<std::int64_t>(a) - b);
    case '*': return Wrap32(static_cast<std::int64_t>(a) * b);
    case '/': return (b == 0 || (a == INT32_MIN && b == -1)) ? 0 : a / b;
    case '%': return (b == 0 || (a == INT32_MIN && b == -1)) ? 0 : a % b;
    case 'L': return static_cast<std::int32_t>(ua << (ub & 31u));  // shift by the low 5 bits
    case 'R': return static_cast<std::int32_t>(ua >> (ub & 31u));  // unsigned: zeros come in
    case '&': return a & b;
    case '|': return a | b;
    case '^': return a ^ b;
    case '>': return a > b ? 1 : 0;
    case '<': return a < b ? 1 : 0;
    default: return a == b ? 1 : 0;  // ':'
  }
}

}  // namespace

// ~N op value, ~N=value, ~N=value op value, ~N=name and ~N=nno(...)/rnd(...)/len(...).
// Blanks may stand between "~" and N only.
void TSmf::VariableCommand() {
  const std::int32_t start = Col;
  ++Col;
  while (CharAt(Line(), Col) == ' ') ++Col;
  std::int32_t len = 0;
  const std::int32_t n = ReadNumber(Line(), Col, len);
  Col += len;
  if (n < 0 || n >= VarCount) {
    ReportError(4, "~変数番号の不正");
    return;
  }
  std::int32_t& var = Vars[static_cast<std::size_t>(n)];
  const int op = CharAt(Line(), Col);
  ++Col;
  if (!IsOneOf(op, "=+-*/%RL|^&")) {
    ReportError(5, "~");
    return;
  }
  std::int32_t status = 0;
  if (op != '=') {  // compound: ~N op value
    const std::int32_t a = ReadValue(Line(), Col, status);
    if (status == -1) {
      ReportError(4, "~");
      return;
    }
    var = Operate(op, var, a);
    return;
  }

  // The three characters after "=", read in place (a shorter rest of the
  // line, padded with NUL, names nothing).
  char spelled[3] = {};
  for (std::int32_t k = 0; k < 3; ++k) spelled[k] = static_cast<char>(std::max(CharAt(Line(), Col + k), 0));
  const std::string_view name(spelled, 3);
  TrackState& t = Track();
  const auto track = static_cast<std::size_t>(CurTrack);
  // Named quantities stand alone: what follows them is compiled as ordinary text.
  if (name == "ptr") { var = ptr[track]; Col += 3; return; }
  if (name == "dly") { var = t.StrumStep; Col += 3; return; }
  if (name == "trk") { var = CurTrack; Col += 3; return; }
  if (name == "acv") { var = CurveStep[track]; Col += 3; return; }
  if (name == "bas") { var = Timebase; Col += 3; return; }
  if (name == "REV") { var = t.Reverb; Col += 3; return; }
  if (name == "CHO") { var = t.Chorus; Col += 3; return; }
  if (name == "nno") {
    Col += 3;
    ReadArgs(Line(), Col);
    if (ArgCount != 1) {
      ReportError(4, "nno");
      return;
    }
    const std::string note = Args[0];
    if (IsOneOf(CharAt(note, 1), "cdefgabn")) {
      std::int32_t at = 1;
      const std::int32_t number = ReadNoteNumber(note, at);
      if (number == -1)
        ReportError(4, "nno");
      else
        var = number;
      return;
    }
    // Leading commands (o5, "<", ">") are compiled as ordinary MML, then the
    // command runs again on the note that follows them.
    std::int32_t p = 0;
    for (const char* letter = "cdefgabn"; *letter != '\0' && p == 0; ++letter)
      p = InStr(note, std::string(1, *letter), 1);
    if (p == 0) {
      ReportError(4, "nno");
      return;
    }
    const auto cut = static_cast<std::size_t>(p - 1);
    // The leading commands are octave settings. A "(" among them would open a
    // command that reads on into the rewritten text and may rewrite it back,
    // for ever (~2=nno(~3=nno(<b)) alternates between the two): refused.
    if (note.find('(') < cut) {
      ReportError(4, "nno");
      return;
    }
    EraseColumns(*this, start, Col);
    InsertAt(*this, start,
             note.substr(0, cut) + "|~" + std::to_string(n) + "=nno(" + note.substr(cut) + ")");
    Col = start;
    CheckLineLength();
    return;
  }
  if (name == "rnd") {
    Col += 3;
    ReadArgs(Line(), Col);
    if (ArgCount != 1) {
      ReportError(3, "rnd()の引数は１つです");
      return;
    }
    var = Rng.Random(ReadNumber(Args[0], 1, len));
    return;
  }
  if (name == "len") {
    Col += 3;
    ReadArgs(Line(), Col);
    if (ArgCount != 1) {
      ReportError(3, "len");
      return;
    }
    // Measure the text with output off, between two ptr readings, then put
    // ptr back; ~508 and ~509 are scratch.
    EraseColumns(*this, start, Col);
    InsertAt(*this, start,
             "\\37 ~508=ptr|" + Args[0] + " ~509=ptr\\38 ~" + std::to_string(n) + "=~509-~508PTR=~508|");
    Col = start;
    CheckLineLength();
    return;
  }

  const int letter = CharAt(Line(), Col);
  if (IsOneOf(letter, "MPVEDBvloqQ")) {  // read-back of a track setting
    switch (letter) {
      case 'M': var = t.Modulation; break;
      case 'P': var = t.Pan; break;
      case 'V': case 'v': var = t.Velocity; break;
      case 'E': var = t.Expression; break;
      case 'D': var = t.DValue; break;
      case 'B': var = t.Bend; break;
      case 'l': var = t.Length; break;
      case 'o': var = t.Octave; break;
      case 'q': var = t.Gate; break;
      default: var = t.GateOffset; break;  // 'Q'
    }
    ++Col;
    return;
  }

  const std::int32_t a = ReadValue(Line(), Col, status);
  if (status == -1) {
    ReportError(4, "~");
    return;
  }
  const int binary = CharAt(Line(), Col);
  if (!IsOneOf(binary, "+-*/%><:RL^&|")) {
    var = a;
    return;
  }
  ++Col;
  const std::int32_t b = ReadValue(Line(), Col, status);
  if (status == -1) {
    ReportError(4, "~");
    return;
  }
  var = Operate(binary, a, b);
}

}  // namespace vlm
