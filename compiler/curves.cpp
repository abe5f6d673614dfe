#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/random.h"
#include "compiler/tsmf.h"

namespace vlm {

namespace {

// The sine modes use this constant, not pi: the shapes users know were
// computed with it, and the steps that land on a limit depend on it.
constexpr double HalfTurn = 3.141519;


// Trunc of a floating-point curve value into a range where the clamping that
// follows cannot overflow (huge slopes, or a NaN, in degenerate curves).
std::int64_t TruncValue(double x) {
  if (std::isnan(x)) return 0;
  return static_cast<std::int64_t>(std::clamp(x, -1e15, 1e15));
}

// The arguments both curves share, after reading and limiting.
struct CurveShape {
  std::int32_t From;    // start value (the bend curve on the x128 scale)
  std::int32_t To;      // end value
  std::int32_t End;     // ticks from ptr to the end of the curve
  std::int32_t Start;   // ticks from ptr to the first step
  std::int32_t Cycles;  // repetitions of the shape
  std::int32_t Mode;    // 0 ramp, 1..3 sines, 4 random, 5 triangle, 6 alternation
};

// The working values of one curve and its per-step computation. Every
// expression keeps the operation order of the original computation in 64-bit
// floating point; a division by zero takes the documented fallback instead.
class CurveSteps {
 public:
  CurveSteps(const CurveShape& shape, bool bend, std::int32_t step) : s_(shape), bend_(bend) {
    const std::int32_t span = Wrap32(static_cast<std::int64_t>(s_.End) - s_.Start);
    if (span == 0)
      nd_ = 1.0;
    else if (bend_)
      nd_ = static_cast<double>(span) / step;
    else
      nd_ = static_cast<double>(span / step);
    n_ = static_cast<std::int32_t>(nd_);
    d_ = s_.To - s_.From;
    hInt_ = d_ == 0 ? 1 : d_ / 2;
    h_ = bend_ ? hInt_ : (d_ == 0 ? 1.0 : d_ / 2.0);
    const double half = s_.Cycles / 2.0;
    a_ = d_;
    x_ = s_.From;
    switch (s_.Mode) {
      case 0: {  // ramp: D / ((span / Cycles) / S)
        a_ = std::abs(d_);
        const double divisor = (static_cast<double>(span) / s_.Cycles) / step;
        inc_ = divisor == 0.0 ? 1.0 : d_ / divisor;
        break;
      }
      case 1: case 2: case 3: {  // sines: the controller divides by Nd, the bend by N
        const double divisor = bend_ ? static_cast<double>(n_) : nd_;
        inc_ = divisor == 0.0 ? 1.0 : (HalfTurn / divisor) * half;
        break;
      }
      case 4:  // random around the lower bound
        a_ = std::abs(d_);
        m_ = std::min(s_.From, s_.To);
        break;
      case 5:  // triangle
        if (nd_ == 0.0)
          inc_ = 1.0;
        else
          inc_ = bend_ ? (d_ / nd_) * s_.Cycles : (d_ / nd_) * half * 2.0;
        break;
      default:  // 6: alternation needs no set-up
        break;
    }
  }

  std::int32_t LastIndex() const { return n_; }

  // Unlimited value of step K.
  std::int64_t Value(std::int32_t K, RandomGenerator& Rng) {
    const double d = d_;
    switch (s_.Mode) {
      case 0:  // ramp, wrapping back to From after each cycle; the last step is To
        if (K == n_) return s_.To;
        // From == To leaves nothing to ramp: the flat curve holds From rather
        // than writing the division fallback (1, which mutes a volume curve).
        if (a_ == 0) return s_.From;
        return TruncValue(K * inc_) % a_ + s_.From;
      case 1:  // constant amplitude
        return bend_ ? TruncValue(std::sin(K * inc_) * hInt_) + s_.From
                     : TruncValue(std::sin(K * inc_) * d) + s_.From;
      case 2:  // growing amplitude
        if (n_ == 0) return Fallback();
        return bend_ ? TruncValue(std::sin(K * inc_) * (h_ / n_ * K + h_ / 3.0) + s_.From)
                     : TruncValue(std::sin(K * inc_) * (d / n_ * K + d / 6.0) + s_.From);
      case 3:  // shrinking amplitude
        if (n_ == 0) return Fallback();
        return bend_ ? TruncValue(std::sin(K * inc_) * (h_ - h_ / n_ * K + h_ / 6.0) + s_.From)
                     : TruncValue(std::sin(K * inc_) * (d - h_ / n_ * K + d / 6.0) + s_.From);
      case 4:  // independent random values in M - A .. M + A - 1
        return static_cast<std::int64_t>(Rng.Random(2 * a_)) - a_ + m_;
      case 5: {  // triangle: a value beyond a bound is written once, then the slope turns
        const std::int64_t j = TruncValue(x_);
        if (x_ < std::min(s_.From, s_.To) || x_ > std::max(s_.From, s_.To)) {
          inc_ = -inc_;
          x_ += 2 * inc_;
        } else {
          x_ += inc_;
        }
        return j;
      }
      default: {  // 6: From, To, From, ...
        const std::int32_t j = sgn_ == 1 ? s_.From : s_.To;
        sgn_ = -sgn_;
        return j;
      }
    }
  }

 private:
  std::int64_t Fallback() const { return TruncValue(h_); }

  CurveShape s_;
  bool bend_;             // bend curve: float N division and the bend amplitudes
  double nd_ = 1.0;       // step count as a float
  std::int32_t n_ = 0;    // index of the last step
  std::int32_t d_ = 0;    // To - From
  std::int32_t hInt_ = 1; // D / 2 truncated, or 1 (the bend's H)
  double h_ = 1.0;        // the controller's D / 2.0, or 1.0; the bend's H as a float
  double inc_ = 0.0;      // per-step increment
  std::int32_t a_ = 0;    // amplitude of the ramp and random modes
  std::int32_t m_ = 0;    // lower bound of the random mode
  double x_ = 0.0;        // running value of the triangle
  std::int32_t sgn_ = 1;  // phase of the alternation
};

// Walks the curve's steps from the track's position plus Start, one curve
// step apart, and emits a value one tick before each step whenever it differs
// from the last one written (and always at the first step). Last receives the
// final value. The steps count against the compile's work bound.
template <typename ToValue, typename Emit>
void WalkCurve(TSmf& smf, const CurveShape& shape, bool bend, bool debug, ToValue toValue, Emit emit,
               std::int32_t& Last) {
  const std::int32_t step = smf.CurveStep[static_cast<std::size_t>(smf.CurTrack)];
  CurveSteps curve(shape, bend, step);
  std::int64_t time = static_cast<std::int64_t>(smf.ptr[static_cast<std::size_t>(smf.CurTrack)]) + shape.Start;
  const std::int32_t n = curve.LastIndex();
  if (n >= 0) smf.ChargeSteps(n);  // a huge curve cannot hang the compile
  std::int32_t last = 0;
  for (std::int32_t k = 0; k <= n; ++k) {
    Last = toValue(curve.Value(k, smf.Rng));
    if (Last != last || k == 0) {
      emit(Wrap32(time - 1), Last);
      last = Last;
      if (debug) smf.AddMessage(std::to_string(Last));
    }
    time += step;
  }
}

}  // namespace

// ACTIVE_CC(cc, from, to, end, start, cycles, mode[, debug]) and the AC...
// words: controller events every CurveStep ticks from ptr+start to ptr+end,
// each two ticks before its step, written only when the value changes.
void TSmf::ControllerCurve() {
  ReadArgs(Line(), Col);
  if (ArgCount != 7 && ArgCount != 8) {
    ReportError(4, "ACTIVE_CC");
    return;
  }
  std::int32_t len = 0;
  const std::int32_t cc = ReadNumber(Args[0], 1, len);
  if (cc < 0 || cc > 127) {
    ReportError(4, "ACTIVE_CC CC#の値が不正");
    return;
  }
  const auto& args = Args;  // read in place: nothing below reads an argument list
  CurveShape shape{};
  shape.From = std::clamp(ReadNumber(args[1], 1, len), 0, 127);
  shape.To = std::clamp(ReadNumber(args[2], 1, len), 0, 127);
  std::int32_t at = 1;
  shape.End = ReadLength(args[3], at);
  at = 1;
  shape.Start = ReadLength(args[4], at);
  shape.Cycles = std::clamp(ReadNumber(args[5], 1, len), 1, 256);
  shape.Mode = ReadNumber(args[6], 1, len);
  const bool debug = ArgCount == 8 && ReadNumber(args[7], 1, len) == 1;
  if (debug) AddMessage("--ACTIVE_CC = " + std::to_string(cc) + "--");
  if (shape.Mode < 0 || shape.Mode > 6) {
    ReportError(4, "ACTIVE_CC Modeの番号が不正");
    return;
  }

  std::int32_t j = 0;
  WalkCurve(
      *this, shape, false, debug,
      [](std::int64_t value) { return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, 127)); },
      [&](std::int32_t time, std::int32_t value) {
        EmitControl(time, static_cast<std::uint8_t>(cc), static_cast<std::uint8_t>(value));
      },
      j);

  TrackState& t = Track();
  switch (cc) {  // relative controller commands continue from the curve's last value
    case 91: t.Reverb = j; break;
    case 93: t.Chorus = j; break;
    case 1: t.Modulation = j; break;
    case 6: t.DValue = j; break;
    case 11: t.Expression = j; break;
    case 7: t.Velocity = j; break;
    case 10: t.Pan = j; break;
    default: break;
  }
}

// ACTIVE_PB(from, to, end, start, cycles, mode[, debug]) and ACB: the same on
// the 14-bit bend scale, From and To given as 0..127 and multiplied by 128.
void TSmf::BendCurve() {
  ReadArgs(Line(), Col);
  if (ArgCount != 6 && ArgCount != 7) {
    ReportError(4, "Active B");
    return;
  }
  const auto& args = Args;  // read in place: nothing below reads an argument list
  std::int32_t len = 0;
  CurveShape shape{};
  shape.From = std::clamp(ReadNumber(args[0], 1, len), 0, 127) * 128;
  shape.To = std::clamp(ReadNumber(args[1], 1, len), 0, 127) * 128;
  std::int32_t at = 1;
  shape.End = ReadLength(args[2], at);
  at = 1;
  shape.Start = ReadLength(args[3], at);
  shape.Cycles = std::clamp(ReadNumber(args[4], 1, len), 1, 127);
  shape.Mode = ReadNumber(args[5], 1, len);
  const bool debug = ArgCount == 7 && ReadNumber(args[6], 1, len) == 1;
  if (debug) AddMessage("--ACTIVE_PB--");
  if (shape.Mode < 0 || shape.Mode > 6) {
    ReportError(4, "Active B Mode No");
    return;
  }

  std::int32_t j = 0;
  WalkCurve(
      *this, shape, true, debug,
      [](std::int64_t value) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::abs(value), 0, 16383));
      },
      [&](std::int32_t time, std::int32_t value) {
        EmitBend(time, static_cast<std::uint8_t>(value & 127), static_cast<std::uint8_t>((value >> 7) & 127));
      },
      j);
  Track().Bend = j / 127;  // back on the 0..127 scale of the random bend
}

}  // namespace vlm
