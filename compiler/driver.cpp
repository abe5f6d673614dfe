#include <algorithm>

#include "common/random.h"
#include "compiler/builtin_table.h"
#include "compiler/tables.h"
#include "compiler/tsmf.h"

namespace vlm {

TSmf::TSmf(MessageSink sink) : Sink(std::move(sink)) { Reset(); }

void TSmf::Reset() {
  Lines.clear();
  Inclusions.clear();
  Macros.Clear();
  Rng.Seed = ClockSeed();
  SkipMode = 0;
  SelDepth = 0;
  NoOutput = 0;
  IfDepth = 0;
  for (const auto& row : BuiltinCommands) {
    if (row.Name == "*") break;
    Macros.Add(std::string(row.Name), std::string(row.Replacement));
  }
  Ahead.Reset();
  CurTrack = 0;
  Timebase = 96;
  for (int t = 0; t < TrackCount; ++t) {
    TrackState& s = Tracks[t];
    const std::int32_t keptBend = s.Bend;
    s = TrackState{};
    s.Length = Timebase;
    s.Bend = keptBend;
    TrackEvents[t].Clear();
    CurveStep[t] = 8;
    Transpose[t] = 0;
    RandVel[t] = 0;
    RandTime[t] = 0;
    RandBend[t] = 0;
    ptr[t] = 0;
  }
  LoopDepth = 0;
  ChordCount = 0;
  NextVelMode = -1;
  LastRpnPtr = -1;
  LastRpnTrack = -1;
  LastRpnTime = -1;
  TrackStackDepth = 0;
  OctaveSwap = 0;
  ErrorCount = 0;
  CompileSteps = 0;
  LineStored = false;
  StoreOwed = false;
  PendingEdits.clear();
}

// A compile that fails still ends the sorting ahead, so that nothing reads
// the stores after it.
void TSmf::Compile(const std::string& FileName) {
  AddMessage("Compile Start");
  try {
    CompileLines();
    WriteSmf(FileName);
  } catch (...) {
    Ahead.Stop();
    throw;
  }
}

void TSmf::CompileLines() {
  LineNo = 0;
  std::size_t sourceSize = 0;
  for (const auto& line : Lines) sourceSize += line.size() + 1;
  LineLengthLimit = std::max(MaxLineLength, sourceSize > SIZE_MAX / 16 ? SIZE_MAX : 16 * sourceSize);
  try {
    while (LineNo < static_cast<std::int32_t>(Lines.size())) {
      NextVelMode = -1;
      Line = Lines[static_cast<std::size_t>(LineNo)];
      LineStored = true;
      CompileLine();
      StoreLineNow();
      ++LineNo;
    }
  } catch (...) {
    // A compile that throws leaves Lines as the jumps stored them.
    SettleStoredLine();
    throw;
  }
  LineStored = false;
  if (LoopDepth > 0)
    ReportError(5, "] が" + std::to_string(LoopDepth) + "つ足りません。");
}

void TSmf::CompileLine() {
  Col = 1;
  for (int c; (c = CharAt(Line, Col)) >= 0;) {
    // Only an upper-case letter, or a lower-case one where single letters are
    // macros, can start a macro name: most commands skip the call.
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z' && Track().OneLetterMacros == 1)) {
      ExpandMacro();
      if (CharAt(Line, Col) < 0) break;
    }
    if (++CompileSteps > MaxCompileSteps) {
      // A source whose macros or selections rewrite it for ever ends here.
      CompileSteps = 0;
      AbortCompile("処理が多すぎるので、コンパイルを中止します。");
      return;
    }
    // A blank, the commonest separator, only moves on (even while skipping).
    if (c == ' ')
      ++Col;
    else
      DoCommand();
    // Every handler that rewrites the line is bounded here as well, whether
    // or not it checks the length itself.
    if (LineTooLong()) return;
  }
}

void TSmf::DoCommand() {
  const int c = CharAt(Line, Col);
  if (SkipMode == 1 && c != '_' && c != ';' && c != '{' && c != '}' && c != '#') {
    ++Col;
    return;
  }
  switch (c) {
    case '\t': case ' ': case '"': case '|':  // separators
      ++Col;
      break;
    case 'a': case 'b': case 'c': case 'd': case 'e': case 'f': case 'g': case 'n':
      NoteCommand();  // note letter or n number
      break;
    case 'r':  // rest
      RestCommand();
      break;
    case 'l': case 'o': case 'q':  // default length, octave, gate
      LengthCommand();
      break;
    case 'v':  // velocity
      VelocityCommand();
      break;
    case '<': case '>':  // octave up and down
      OctaveShift();
      break;
    case '!':  // one-note velocity override
      AccentCommand();
      break;
    case 'y':  // controller
      ControlCommand();
      break;
    case '@':  // program change
      ProgramCommand();
      break;
    case 'p':  // pitch bend
      BendCommand(0);
      break;
    case 't':  // tempo
      TempoCommand();
      break;
    case ':': case '[': case ']':  // loops
      LoopCommand();
      break;
    case '/':  // slash chord
      SlashChord();
      break;
    case '~':  // variables
      VariableCommand();
      break;
    case ';': case '{':  // comments
      SkipComment();
      break;
    case '_':  // underscore commands
      UnderscoreCommand();
      break;
    case '#':  // directives
      Directive();
      break;
    case '\\':  // system commands
      SystemCommand();
      break;
    default:  // no handler: upper-case letters, digits, "}", "=", "$", bytes above 0x7E
      Unhandled();
      break;
  }
}

void TSmf::Unhandled() {
  const int c = CharAt(Line, Col);
  ReportError(2, c < 0 ? std::string() : std::string(1, static_cast<char>(c)));
  ++Col;
}

void TSmf::ReportError(std::int32_t ErrNo, const std::string& Detail) {
  const std::int32_t here = ptr[static_cast<std::size_t>(CurTrack)];
  const std::int32_t position = Timebase == 0 ? 0 : here / Timebase;
  const std::string_view text =
      (ErrNo >= 0 && ErrNo < static_cast<std::int32_t>(ErrorTexts.size())) ? ErrorTexts[ErrNo] : "";
  std::string line = "err(";
  line += std::to_string(LineNo);
  line += ")\"";
  line += Detail;
  line += "\":";
  line += text;
  line += "\"> _tr<";
  line += std::to_string(CurTrack);
  line += "> ptr=";
  line += std::to_string(here);
  line += "<";
  line += std::to_string(position);
  line += ">小節目";
  AddMessage(line);
  if (++ErrorCount >= 10) {
    AddMessage("エラー数が１０個を超えたので、コンパイルを中止します。");
    StopCompile();
    ErrorCount = 0;
  }
}

void TSmf::EditLine(std::size_t At, std::size_t Count, const std::string& Text) {
  if (StoreOwed)
    PendingEdits.push_back({static_cast<std::int32_t>(At), static_cast<std::int32_t>(Text.size()),
                            Line.substr(At, Count)});
  Line.replace(At, Count, Text);
  LineStored = false;
}

void TSmf::StoreLineLater() {
  // A short line is cheaper to copy than to keep a record of its edits.
  constexpr std::size_t OweFromLength = 4096;
  if (!LineStored) {
    if (Line.size() < OweFromLength) {
      Line.CopyTo(Lines[static_cast<std::size_t>(LineNo)]);
      StoreOwed = false;
    } else {
      StoreOwed = true;
    }
    PendingEdits.clear();
  }
  LineStored = true;
}

void TSmf::StoreLineNow() {
  if (!LineStored || StoreOwed) Line.CopyTo(Lines[static_cast<std::size_t>(LineNo)]);
  StoreOwed = false;
  PendingEdits.clear();
}

// The owed copy is Line with the edits since the last jump undone, newest
// first; it costs the line once, on the rare paths that need it.
void TSmf::SettleStoredLine() {
  if (!StoreOwed) return;
  std::string stored = Line.str();
  for (auto edit = PendingEdits.rbegin(); edit != PendingEdits.rend(); ++edit)
    stored.replace(static_cast<std::size_t>(edit->At), static_cast<std::size_t>(edit->Inserted), edit->Removed);
  Lines[static_cast<std::size_t>(LineNo)] = std::move(stored);
  StoreOwed = false;
  PendingEdits.clear();
}

void TSmf::StopCompile() {
  SettleStoredLine();
  Line = " ";
  LineStored = false;
  Col = 1;
  Lines.emplace_back();
  LineNo = static_cast<std::int32_t>(Lines.size()) - 1;
}

void TSmf::AbortCompile(const std::string& Detail) {
  const auto linesBefore = Lines.size();
  ReportError(5, Detail);
  if (Lines.size() == linesBefore) StopCompile();  // the tenth error has stopped it already
}

void TSmf::AddMessage(const std::string& Text) {
  if (Sink) Sink(Text);
}

bool TSmf::LineTooLong() {
  if (Line.size() <= LineLengthLimit) return false;
  AbortCompile("行が長すぎるので、コンパイルを中止します。");
  return true;
}

}  // namespace vlm
