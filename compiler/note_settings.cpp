// The per-track values that notes read: default length (l, l%), octave (o,
// <, >), gate (q), velocity with its step (v), and the one-note accent (!).

#include <algorithm>
#include <cstdint>
#include <string>

#include "compiler/tsmf.h"

namespace vlm {

namespace {

// Current Op N, where Op is '+', '-', or anything else for "set", clamped
// to Lo..Hi; computed wide so that no operand can overflow.
std::int32_t ApplyOp(std::int32_t Current, int Op, std::int64_t N, std::int64_t Lo, std::int64_t Hi) {
  std::int64_t r = N;
  if (Op == '+') r = static_cast<std::int64_t>(Current) + N;
  if (Op == '-') r = static_cast<std::int64_t>(Current) - N;
  return static_cast<std::int32_t>(std::clamp(r, Lo, Hi));
}

}  // namespace

// l, l%, o and q: the letter, "%" (l only), an optional "+", "-" or "=", and
// an unsigned number. A dot after "l8" is not part of it.
void TSmf::LengthCommand() {
  TrackState& t = Track();
  const int letter = CharAt(Line(), Col);
  const std::string letterText(1, static_cast<char>(letter));
  ++Col;
  bool ticks = false;
  if (CharAt(Line(), Col) == '%') {
    ++Col;
    if (letter != 'l') {
      ReportError(5, letterText + "に%指定をした");
      return;
    }
    ticks = true;
  }
  int op = 0;
  const int c = CharAt(Line(), Col);
  if (c == '+' || c == '-' || c == '=') {
    op = c;
    ++Col;
  }
  std::int32_t len = 0;
  const std::int32_t n = ReadNumber(Line(), Col, len);
  Col += len;
  if (n == -1) {
    ReportError(4, ticks ? "%" : letterText);
    return;
  }
  if (ticks) {
    t.Length = ApplyOp(t.Length, op, n, 0, INT32_MAX);
  } else if (letter == 'l') {
    if (n < 1) {
      ReportError(4, "l");
      return;
    }
    const std::int32_t value = std::clamp(n, 1, 256);
    const std::int32_t lengthTicks = RoundTicks(4.0 / value * Timebase);
    t.Length = ApplyOp(t.Length, op, lengthTicks, 0, INT32_MAX);
  } else if (letter == 'o') {
    t.Octave = ApplyOp(t.Octave, op, n, 0, 10);
  } else {
    t.Gate = ApplyOp(t.Gate, op, n, 1, 256);
  }
}

// ">" raises and "<" lowers by the count (1 when absent); OctaveSwap
// exchanges the two.
void TSmf::OctaveShift() {
  const int c = CharAt(Line(), Col);
  ++Col;
  std::int32_t len = 0;
  std::int32_t n = ReadNumber(Line(), Col, len);
  if (n == -1) {
    n = 1;
  } else {
    Col += len;
  }
  const bool raise = (c == '>') == (OctaveSwap == 0);
  Track().Octave = ApplyOp(Track().Octave, raise ? '+' : '-', n, 0, 10);
}

// v velocity[, step[, mode]]: a signed velocity is relative. Each value is
// stored as soon as it is read, so a bad step still leaves the velocity set.
void TSmf::VelocityCommand() {
  TrackState& t = Track();
  ++Col;
  ReadEqArgs(Line(), Col);
  if (ArgCount == 0) {
    ReportError(4, "v");
    return;
  }
  const std::string velocityText = Args[0];
  const std::string stepText = ArgCount >= 2 ? Args[1] : std::string();
  const std::string modeText = ArgCount >= 3 ? Args[2] : std::string();
  const std::int32_t count = ArgCount;

  std::int32_t at = 1;
  std::int32_t status = 0;
  const std::int32_t velocity = ReadValue(velocityText, at, status);
  if (status == -1) {
    ReportError(4, "v");
    return;
  }
  const bool relative = CharAt(velocityText, 1) == '+' || CharAt(velocityText, 1) == '-';
  t.Velocity = ApplyOp(t.Velocity, relative ? '+' : '=', velocity, 0, 127);

  if (count >= 2) {
    at = 1;
    const std::int32_t step = ReadValue(stepText, at, status);
    if (status == -1 || step < -127 || step > 127) {
      ReportError(4, "v");
      return;
    }
    t.VelStep = step;
  }
  if (count >= 3) {
    std::int32_t len = 0;
    const std::int32_t mode = ReadNumber(modeText, 1, len);
    if (mode == -1) {
      ReportError(4, "v");
    } else {
      t.VelStepMode = mode;
    }
  }
}

// "!" alone accents the next note (velocity x 1.5, half to even); "!+n" and
// "!-n" add to its velocity; "!n" or "!=n" replace it.
void TSmf::AccentCommand() {
  NextVelMode = -1;
  ++Col;
  std::int32_t status = 0;
  const int c = CharAt(Line(), Col);
  if (c == '+' || c == '-') {
    NextVelMode = 1;
    NextVelValue = ReadValue(Line(), Col, status);
    if (status == -1) ReportError(4, "!の相対指定値が不正");
    return;
  }
  if (c == '=') ++Col;
  NextVelValue = ReadValue(Line(), Col, status);
  if (status == -1) NextVelValue = RoundTicks(Track().Velocity * 1.5);
  NextVelMode = 0;
}

}  // namespace vlm
