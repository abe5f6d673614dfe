#include <algorithm>
#include <string>
#include <utility>

#include "app/main_form.h"
#include "common/tr_marker.h"
#include "common/warning.h"

namespace vlm {

namespace {
constexpr int MaxPitchTries = 5000;
constexpr const char* BendUpWord = "ACB(0,64,,0,,0)";  // bend-up curve before a "B" note
}  // namespace

void TForm1::MakePattern1Click() {
  if (memRythm.empty()) MakeRythm1Click();
  LastOctave = -1;
  LastGate = -1;
  const std::string rhythm = memRythm;
  const std::size_t length = rhythm.size();
  int errors = 0;
  std::string pattern = "l" + speOnpu.Text();
  const std::int32_t steps = std::clamp(speLength.Value(), 0, speLength.Max());
  // The rhythm repeats when shorter than the steps; its tail is ignored when longer.
  for (std::int32_t i = 0; length > 0 && i < steps; ++i) {
    switch (rhythm[static_cast<std::size_t>(i) % length]) {
      case 'N':  // note, normal gate
        pattern += MakeNote();
        break;
      case 'r':  // rest
        pattern += "r";
        break;
      case '^':  // tie
        pattern += "^";
        break;
      case 'm':  // note, mute gate
        pattern += MakeMuteNote();
        break;
      case 'd':  // split step
        pattern += MakeDivNote();
        break;
      case 'B':  // bent note
        pattern += BendUpWord;
        pattern += MakeNote();
        break;
      case 'W': {  // two notes at once: the first of length 0
        const std::string first = MakeNote();
        const std::string second = MakeNote();
        pattern += first + "0" + second;
        break;
      }
      default:  // anything else, line breaks included, rests and is counted
        pattern += "r";
        ++errors;
        break;
    }
  }
  memPatten = pattern;
  if (errors > 0) ShowWarning(platform_.Translate(QT_TRANSLATE_NOOP("Messages", "Rythm窓に指定エラーがあります。")));
}

// Each try picks one of the twelve classes and keeps it with chance W/100.
std::int32_t TForm1::RetNoteNo() {
  for (int tries = 0; tries < MaxPitchTries; ++tries) {
    const std::int32_t k = Rng.Random(12) + 1;
    const std::int32_t w = Scl(k).Position();
    const std::int32_t r = Rng.Random(100);
    if (w > r) return k;
  }
  ShowWarning("RetNoteNo Error!");
  return 0;
}

// The octave is drawn first, for every note. A lowest octave above the
// highest draws from the range as if the two were swapped.
std::string TForm1::MakeNoteWithGate(std::int32_t gate) {
  std::int32_t low = speOlow.ClampedValue();
  std::int32_t high = speOhigh.ClampedValue();
  if (low > high) std::swap(low, high);
  const std::int32_t octave = Rng.Random(high - low + 1) + low;
  std::string text;
  if (octave != LastOctave) text += "o" + std::to_string(octave);
  if (gate != LastGate) text += "q" + std::to_string(gate);
  text += Notes[static_cast<std::size_t>(RetNoteNo())];
  LastOctave = octave;
  LastGate = gate;
  return text;
}

std::string TForm1::MakeNote() { return MakeNoteWithGate(GateNormal.Position()); }

std::string TForm1::MakeMuteNote() { return MakeNoteWithGate(GateMute.Position()); }

// Two notes of twice the basic value, or (31 times in 100) a triplet of three.
std::string TForm1::MakeDivNote() {
  const std::int64_t n = Rng.Random(100) <= 30 ? 3 : 2;
  std::string text;
  for (std::int64_t i = 0; i < n; ++i) {
    text += MakeNote();
    text += std::to_string(n * speOnpu.Value());
  }
  return text;
}

}  // namespace vlm
