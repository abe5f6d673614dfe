#include <algorithm>
#include <cmath>

#include "compiler/line_edit.h"
#include "compiler/system_rewrites.h"
#include "compiler/tsmf.h"

namespace vlm {

namespace {

// The controller-value commands \15 to \21, in command order.
struct ControllerValue {
  std::int32_t TrackState::*Field;  // where the unlimited value is kept
  std::uint8_t Controller;          // controller number of the event
  const char* Word;                 // error detail
};

// ORDER CONTROLLER VALUES: system commands 15, 16, ... 21.
constexpr ControllerValue ControllerValues[] = {
    {&TrackState::Reverb, 91, "REV"},     {&TrackState::Chorus, 93, "CHO"},
    {&TrackState::Modulation, 1, "M"},    {&TrackState::Pan, 10, "P"},
    {&TrackState::Expression, 11, "E"},   {&TrackState::Velocity, 7, "V"},
    {&TrackState::DValue, 6, "D"},
};

std::int32_t Clamp(std::int64_t Value, std::int32_t Low, std::int32_t High) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(Value, Low, High));
}

// The amount a "+" or "-" form moves a value by. ReadValue negates a number
// written after "-" but returns a variable's value unchanged, so the sign is
// taken off numbers only: PTR-96 and PTR-~1 (with ~1 = 96) both move back 96.
std::int64_t AmountAfterSign(int Sign, int FirstAfterSign, std::int32_t Value) {
  if (FirstAfterSign == '~') return Value;
  return Sign == '-' ? -static_cast<std::int64_t>(Value) : Value;
}

// \3 T: transpose of the current track, clamped to -127..127.
void TransposeCommand(TSmf& smf) {
  smf.ReadArgs(smf.Line(), smf.Col);
  std::int32_t at = 1;
  std::int32_t status = 0;
  const std::int32_t value = smf.ReadValue(smf.Args[0], at, status);
  if (status == -1 || smf.ArgCount != 1) {
    smf.ReportError(4, "T=-127~127");
    return;
  }
  smf.Transpose[static_cast<std::size_t>(smf.CurTrack)] = Clamp(value, -127, 127);
}

// \4 CH: channel 1..16 as written, 0..15 as stored.
void ChannelCommand(TSmf& smf) {
  smf.ReadArgs(smf.Line(), smf.Col);
  std::int32_t len = 0;
  const std::int32_t channel = smf.ReadNumber(smf.Args[0], 1, len);
  if (channel < 1 || channel > 16 || smf.ArgCount != 1) {
    smf.ReportError(4, "CH=1~16");
    return;
  }
  smf.Track().Channel = channel - 1;
}

// \6 PTR: "=" value sets the track position, "+" and "-" move it; no limit.
void PointerCommand(TSmf& smf) {
  smf.ReadArgs(smf.Line(), smf.Col);
  const std::string& arg = smf.Args[0];
  std::int32_t at = 1;
  std::int32_t status = 0;
  const std::int32_t value = smf.ReadValue(arg, at, status);
  if (status == -1 || smf.ArgCount != 1) {
    smf.ReportError(4, "PTR");
    return;
  }
  auto& position = smf.ptr[static_cast<std::size_t>(smf.CurTrack)];
  const int first = CharAt(arg, 1);
  if (first == '+' || first == '-') {
    const std::int64_t amount = AmountAfterSign(first, CharAt(arg, 2), value);
    position = Wrap32(first == '+' ? position + amount : position - amount);
  } else {
    position = value;
  }
}

// \13 RNDV, \14 RNDN, \22 RNDB: a random range of 0 or more; 0 switches it off.
void RandomRangeCommand(TSmf& smf, std::array<std::int32_t, TrackCount>& Ranges, const char* Word) {
  smf.ReadArgs(smf.Line(), smf.Col);
  std::int32_t at = 1;
  std::int32_t status = 0;
  std::int32_t value = smf.ReadValue(smf.Args[0], at, status);
  if (status == -1) value = 0;
  if (value < 0 || smf.ArgCount != 1) {
    smf.ReportError(4, Word);
    return;
  }
  Ranges[static_cast<std::size_t>(smf.CurTrack)] = value;
}

// \15 to \21: the field keeps the unlimited value (so relative steps build on
// it); the event carries it limited to 0..127. A missing number counts as -1.
void ControllerValueCommand(TSmf& smf, const ControllerValue& Command) {
  smf.ReadArgs(smf.Line(), smf.Col);
  if (smf.ArgCount != 1) {
    smf.ReportError(4, Command.Word);
    return;
  }
  const std::string& arg = smf.Args[0];
  std::int32_t& field = smf.Track().*Command.Field;
  std::int32_t len = 0;
  const int first = CharAt(arg, 1);
  if (first == '+' || first == '-') {
    const std::int64_t n = smf.ReadNumber(arg, 2, len);
    field = Wrap32(static_cast<std::int64_t>(field) + (first == '-' ? -n : n));
  } else {
    field = smf.ReadNumber(arg, 1, len);
  }
  smf.EmitControl(smf.ptr[static_cast<std::size_t>(smf.CurTrack)], Command.Controller,
                  static_cast<std::uint8_t>(Clamp(field, 0, 127)));
}

// \23 Q: Qn (sixteenths of the default length), Q%n (ticks), each with an
// optional sign after the "%" that adds or subtracts instead of setting;
// Q(...) takes the same forms as one argument.
void GateOffsetCommand(TSmf& smf) {
  bool percent = false;
  int sign = 0;
  std::int32_t n = -1;
  std::int32_t len = 0;
  if (CharAt(smf.Line(), smf.Col) != '(') {
    if (CharAt(smf.Line(), smf.Col) == '=') ++smf.Col;
    if (CharAt(smf.Line(), smf.Col) == '%') {
      percent = true;
      ++smf.Col;
    }
    const int c = CharAt(smf.Line(), smf.Col);
    if (c == '+' || c == '-') {
      sign = c;
      ++smf.Col;
    }
    n = smf.ReadNumber(smf.Line(), smf.Col, len);
    smf.Col += len;
    if (n == -1) {
      smf.ReportError(4, "Qの%指定が不正");
      return;
    }
  } else {
    smf.ReadArgs(smf.Line(), smf.Col);
    if (smf.ArgCount != 1) {
      smf.ReportError(4, "Q");
      return;
    }
    const std::string& arg = smf.Args[0];
    std::int32_t at = 1;
    if (CharAt(arg, at) == '%') {
      percent = true;
      ++at;
    }
    const int c = CharAt(arg, at);
    if (c == '+' || c == '-') {
      sign = c;
      ++at;
    }
    n = smf.ReadNumber(arg, at, len);
    if (n == -1) {
      smf.ReportError(4, "Q");
      return;
    }
  }
  std::int64_t amount = n;
  if (!percent) {
    if (n < 0) {
      smf.ReportError(4, "Q");
      return;
    }
    const double ticks = std::trunc(static_cast<double>(smf.Track().Length) *
                                    (static_cast<double>(std::min(n, 256)) / 16.0));
    amount = static_cast<std::int64_t>(std::clamp(ticks, -2147483648.0, 2147483647.0));
  }
  std::int32_t& offset = smf.Track().GateOffset;
  if (sign == '+')
    offset = Wrap32(offset + amount);
  else if (sign == '-')
    offset = Wrap32(offset - amount);
  else
    offset = static_cast<std::int32_t>(amount);
}

// \24 CD_DELAY, DLY: "=" value or "(" value ")" sets the strum step; a
// leading "+" or "-" moves it.
void StrumDelayCommand(TSmf& smf) {
  const int first = CharAt(smf.Line(), smf.Col);
  const int afterSign = CharAt(smf.Line(), smf.Col + 1);
  std::int32_t status = 0;
  const std::int32_t value = smf.ReadSingleValue(smf.Line(), smf.Col, status);
  if (status == -1) {
    smf.ReportError(4, "CD_DELAY or DLY");
    return;
  }
  std::int32_t& step = smf.Track().StrumStep;
  if (first == '+' || first == '-') {
    const std::int64_t amount = AmountAfterSign(first, afterSign, value);
    step = Wrap32(first == '+' ? step + amount : step - amount);
  } else {
    step = value;
  }
}

// \28 RV, \29 RQ, \30 RN: every argument joins the track's sequence as written.
void SequenceAppend(TSmf& smf, NoteSequence& Sequence, const char* Word) {
  smf.ReadArgs(smf.Line(), smf.Col);
  if (smf.ArgCount < 1) {
    smf.ReportError(4, Word);
    return;
  }
  Sequence.insert(Sequence.end(), smf.Args.begin(), smf.Args.begin() + smf.ArgCount);
}

}  // namespace

void TSmf::SystemCommand() {
  const std::int32_t commandStart = Col;  // the backslash
  ++Col;
  std::int32_t len = 0;
  const std::int32_t number = ReadNumber(Line(), Col, len);
  Col += len;
  if (number == -1) {
    ReportError(4, "\\");
    return;
  }
  TrackState& track = Track();
  switch (number) {
    case 0: ExclusiveCommand(0); break;          // EX
    case 1: ParamWrite(99, 98); break;           // NRPN
    case 2: ParamWrite(101, 100); break;         // RPN
    case 3: TransposeCommand(*this); break;      // T
    case 4: ChannelCommand(*this); break;        // CH
    case 5: ExclusiveCommand(1); break;          // EX2, with checksum
    case 6: PointerCommand(*this); break;        // PTR
    case 7: TrackListCommand(false); break;      // TR
    case 8: LastPtrCommand(); break;             // LAST_PTR
    case 9: TrackListCommand(true); break;       // TRL, PLAY
    case 10: ControllerCurve(); break;           // ACTIVE_CC and the AC words
    case 11: BendCurve(); break;                 // ACTIVE_PB, ACB
    case 12: BendCommand(1); break;              // B, on the 0..127 scale
    case 13: RandomRangeCommand(*this, RandVel, "RNDV"); break;   // RNDV
    case 14: RandomRangeCommand(*this, RandTime, "RNDN"); break;  // RNDN
    case 15: case 16: case 17: case 18: case 19: case 20: case 21:  // REV CHO M P E V D
      ControllerValueCommand(*this, ControllerValues[number - 15]);
      break;
    case 22: RandomRangeCommand(*this, RandBend, "RNDB"); break;  // RNDB
    case 23: GateOffsetCommand(*this); break;    // Q
    case 24: StrumDelayCommand(*this); break;    // CD_DELAY, DLY
    case 25: DivideLength(*this, commandStart); break;  // DIV
    case 26: StrumChordCommand(); break;         // CD_
    case 27: SelectText(*this); break;           // SEL, SWITCH and their end marker
    case 28: SequenceAppend(*this, track.RvList, "RV"); break;  // RV
    case 29: SequenceAppend(*this, track.RqList, "RQ"); break;  // RQ
    case 30: SequenceAppend(*this, track.RnList, "RN"); break;  // RN
    case 31: IfCommand(); break;                 // IF and its end marker
    case 32: track.RvList.clear(); break;        // RV_CLEAR
    case 33: track.RqList.clear(); break;        // RQ_CLEAR
    case 34: track.RnList.clear(); break;        // RN_CLEAR
    case 35: TrackFromCommand(false); break;     // TRN
    case 36: TrackFromCommand(true); break;      // TRNL
    case 37: NoOutput = 1; break;                // GHOST_ON
    case 38: NoOutput = 0; break;                // GHOST_OFF
    case 39: Glide(*this, commandStart); break;  // PRT
    default:
      ReportError(5, "\\の番号が未定義です。");
      break;
  }
}

}  // namespace vlm
