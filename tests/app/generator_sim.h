#pragma once
// The rhythm and pitch draws written out from the generator's rules, over the
// independent Lcg, so that tests can say what a seed must produce.

#include <array>
#include <string>

#include "tests/app/fakes.h"

namespace vlmtest {

// weights[1..7] for "N", "r", "^", "m", "d", "B", "W".
inline std::string SimulateRhythm(std::uint32_t seed, int steps, const std::array<int, 8>& weights,
                                  std::uint32_t* seedAfter = nullptr) {
  Lcg g{seed};
  std::string out;
  for (int s = 0; s < steps; ++s) {
    int j;
    for (;;) {
      j = g.Next(7) + 1;
      const int r = g.Next(100);
      if (weights[j] > r && !(j == 3 && s == 0)) break;
    }
    out += "Nr^mdBW"[j - 1];
  }
  if (seedAfter) *seedAfter = g.state;
  return out;
}

struct PatternSimulation {
  Lcg g;
  int low = 4, high = 6;                // octave range (low <= high)
  int gateNormal = 16, gateMute = 4;
  int onpu = 16;                        // basic note value
  std::array<int, 13> scale{};          // weights of pitch classes 1..12
  int lastOctave = -1, lastGate = -1;
  int warnings = 0;                     // "RetNoteNo Error!" count

  int Pitch() {
    for (int t = 0; t < 5000; ++t) {
      const int k = g.Next(12) + 1;
      const int r = g.Next(100);
      if (scale[k] > r) return k;
    }
    ++warnings;
    return 0;
  }
  std::string Note(int gate) {
    static const char* names[] = {"r", "c", "c+", "d", "d+", "e", "f", "f+", "g", "g+", "a", "a+", "b"};
    const int o = g.Next(high - low + 1) + low;
    std::string t;
    if (o != lastOctave) t += "o" + std::to_string(o);
    if (gate != lastGate) t += "q" + std::to_string(gate);
    t += names[Pitch()];
    lastOctave = o;
    lastGate = gate;
    return t;
  }
  std::string Build(const std::string& rhythm, int steps) {
    std::string p = "l" + std::to_string(onpu);
    lastOctave = lastGate = -1;
    for (int i = 0; i < steps; ++i) {
      switch (rhythm[static_cast<std::size_t>(i) % rhythm.size()]) {
        case 'N': p += Note(gateNormal); break;
        case 'r': p += "r"; break;
        case '^': p += "^"; break;
        case 'm': p += Note(gateMute); break;
        case 'd': {
          const int n = g.Next(100) <= 30 ? 3 : 2;
          for (int k = 0; k < n; ++k) p += Note(gateNormal) + std::to_string(n * onpu);
          break;
        }
        case 'B': p += "ACB(0,64,,0,,0)" + Note(gateNormal); break;
        case 'W': {
          const std::string a = Note(gateNormal);
          p += a + "0" + Note(gateNormal);
          break;
        }
        default: p += "r"; break;
      }
    }
    return p;
  }
};

}  // namespace vlmtest
