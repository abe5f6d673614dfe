#include <algorithm>

#include "common/random.h"
#include "compiler/tables.h"
#include "compiler/tsmf.h"

namespace vlm {

TSmf::TSmf(MessageSink sink) : Sink(std::move(sink)) { Reset(); }

void TSmf::Reset() {
  Lines.clear();
  Inclusions.clear();
  IncludedFiles.clear();
  NoteMap.Clear();
  ErrorOrigins.clear();
  Written = {};
  Macros.Clear();
  Rng.Seed = ClockSeed();
  SkipMode = 0;
  SelDepth = 0;
  NoOutput = 0;
  IfDepth = 0;
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
}

void TSmf::Compile(const std::string& FileName) {
  AddMessage("Compile Start");
  CompileLines();
  WriteSmf(FileName);
}

std::string TSmf::CompileToBytes() {
  AddMessage("Compile Start");
  CompileLines();
  return WriteSmfBytes();
}

// A stop ends the line being compiled: the rest of the source is not
// compiled, and an entry " " after the last line marks where it stopped. A
// stop raised by the final check, after the last line, ends no line: its
// entry stays empty.
void TSmf::CompileLines() {
  std::size_t sourceSize = 0;
  for (const auto& line : Lines) sourceSize += line.size() + 1;
  LineLengthLimit = std::max(MaxLineLength, sourceSize > SIZE_MAX / 16 ? SIZE_MAX : 16 * sourceSize);
  Begin(Lines);
  try {
    try {
      while (!AtEnd()) {
        NextVelMode = -1;
        CompileLine();
        MoveTo(LineNo() + 1, 1, Leaving::Store);
      }
    } catch (const CompileStop&) {
      MoveTo(Append(" "), 1, Leaving::Keep);
      MoveTo(LineNo() + 1, 1, Leaving::Store);
    }
    if (LoopDepth > 0) {
      try {
        ReportError(5, "] が" + std::to_string(LoopDepth) + "つ足りません。");
      } catch (const CompileStop&) {
        Append("");
      }
    }
  } catch (...) {
    // A compile that fails leaves Lines as the moves stored them.
    End(Lines);
    throw;
  }
  End(Lines);
}

void TSmf::CompileLine() {
  for (int c; (c = CharAt(Line(), Col)) >= 0;) {
    // Only an upper-case letter, or a lower-case one where single letters are
    // macros, can start a macro name: most commands skip the call.
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z' && Track().OneLetterMacros == 1)) {
      ExpandMacro();
      if (CharAt(Line(), Col) < 0) break;
    }
    // A source whose macros or selections rewrite it for ever ends here.
    ChargeSteps(1);
    // A blank, the commonest separator, only moves on (even while skipping).
    if (c == ' ') {
      ++Col;
    } else {
      StartCommand();
      DoCommand();
    }
    // Every handler that rewrites the line is bounded here as well, whether
    // or not it checks the length itself.
    CheckLineLength();
  }
}

void TSmf::DoCommand() {
  const int c = CharAt(Line(), Col);
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
  const int c = CharAt(Line(), Col);
  ReportError(2, c < 0 ? std::string() : std::string(1, static_cast<char>(c)));
  ++Col;
}

void TSmf::ReportError(std::int32_t ErrNo, const std::string& Detail) {
  const std::int32_t here = ptr[static_cast<std::size_t>(CurTrack)];
  const std::int32_t position = Timebase == 0 ? 0 : here / Timebase;
  const std::string_view text =
      (ErrNo >= 0 && ErrNo < static_cast<std::int32_t>(ErrorTexts.size())) ? ErrorTexts[ErrNo] : "";
  std::string line = "err(";
  line += std::to_string(LineNo());
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
  if (MapsOrigins()) ErrorOrigins.push_back(OriginAt(Col));
  AddMessage(line);
  if (++ErrorCount >= 10) {
    AddMessage("エラー数が１０個を超えたので、コンパイルを中止します。");
    ErrorCount = 0;
    throw CompileStop{};
  }
}

void TSmf::AbortCompile(const std::string& Detail) {
  ReportError(5, Detail);
  throw CompileStop{};
}

void TSmf::ChargeSteps(std::int64_t Steps) {
  if (Steps <= MaxCompileSteps - CompileSteps) {
    CompileSteps += Steps;
    return;
  }
  CompileSteps = 0;
  AbortCompile("処理が多すぎるので、コンパイルを中止します。");
}

void TSmf::AddMessage(const std::string& Text) {
  if (Sink) Sink(Text);
}

void TSmf::CheckLineLength() {
  if (Line().size() > LineLengthLimit) AbortCompile("行が長すぎるので、コンパイルを中止します。");
}

}  // namespace vlm
