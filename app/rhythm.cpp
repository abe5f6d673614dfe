#include <algorithm>
#include <string>

#include "app/main_form.h"

namespace vlm {

namespace {
constexpr char RhythmSymbols[] = "Nr^mdBW";  // symbol of index j is character j
constexpr int TieSymbol = 3;
}  // namespace

// Each try draws a symbol, then an acceptance number, in that order, so a
// generator state always yields the same rhythm. The tries end because ryt1
// (the weight of "N") is at least 2; a phrase never starts with a tie.
void TForm1::MakeRythm1Click() {
  const std::int32_t steps = std::clamp(speLength.Value(), 0, speLength.Max());
  std::string result;
  for (std::int32_t s = 0; s < steps; ++s) {
    int j;
    for (;;) {
      j = Rng.Random(7) + 1;
      const std::int32_t w = Ryt(j).Position();
      const std::int32_t r = Rng.Random(100);
      if (w > r && !(j == TieSymbol && s == 0)) break;
    }
    result += RhythmSymbols[j - 1];
  }
  memRythm = result;
}

void TForm1::btnRythmRndClick() {
  for (int j = 1; j <= 7; ++j) Ryt(j).SetPosition(Rng.Random(100));
}

}  // namespace vlm
