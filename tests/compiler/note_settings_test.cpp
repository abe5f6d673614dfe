#include <gtest/gtest.h>

#include <tuple>

#include "tests/support/compile_harness.h"

namespace {

using Lines = std::vector<std::string>;

class NoteSettings : public ::testing::Test {
 protected:
  std::vector<std::string> sink;
  vlm::TSmf smf{[this](const std::string& t) { sink.push_back(t); }};

  vlmtest::CompileResult Run(const std::string& src) { return vlmtest::CompileWith(smf, sink, src); }
  vlm::TrackState& Track() { return smf.Tracks[0]; }

  // Velocities of the note-ons, in time order, as two hex digits each.
  Lines Velocities(const std::string& src) {
    Lines v;
    for (const auto& e : Run(src).Events())
      if (e.find(": 9") != std::string::npos) v.push_back(e.substr(e.size() - 2));
    return v;
  }
  // The detail texts of the error lines of the last run.
  Lines Details() {
    Lines d;
    for (const auto& m : sink)
      if (m.rfind("err(", 0) == 0) {
        const auto open = m.find('"') + 1;
        d.push_back(m.substr(open, m.find('"', open) - open));
      }
    return d;
  }
};

struct FieldCase {
  const char* src;
  std::int32_t vlm::TrackState::*field;
  std::int32_t expected;
  Lines details;
};

TEST_F(NoteSettings, LengthOctaveAndGateCommands) {
  using T = vlm::TrackState;
  const FieldCase cases[] = {
      {"l8", &T::Length, 48, {}},
      {"l8 l+8", &T::Length, 96, {}},
      {"l8 l-16", &T::Length, 24, {}},
      {"l=16", &T::Length, 24, {}},
      {"l3", &T::Length, 128, {}},
      {"l5", &T::Length, 77, {}},
      {"l500", &T::Length, 2, {}},  // l256: 1.5 ticks, rounded to even
      {"l%30", &T::Length, 30, {}},
      {"l%30 l%-5", &T::Length, 25, {}},
      {"l%5 l%-10", &T::Length, 0, {}},
      {"l%2147483647 l%+5", &T::Length, INT32_MAX, {}},
      {"l%2147483647 l+1", &T::Length, INT32_MAX, {}},
      {"l-%5", &T::Length, 96, {"l", "%", "5"}},  // "%" and "5" are then no commands
      {"l0", &T::Length, 96, {"l"}},
      {"l", &T::Length, 96, {"l"}},
      {"l%", &T::Length, 96, {"%"}},
      {"l%0", &T::Length, 0, {}},
      {"l8.", &T::Length, 48, {"."}},
      {"o+2", &T::Octave, 6, {}},
      {"o-9", &T::Octave, 0, {}},
      {"o12", &T::Octave, 10, {}},
      {"o=3", &T::Octave, 3, {}},
      {"o%3", &T::Octave, 4, {"oに%指定をした", "3"}},
      {"o", &T::Octave, 4, {"o"}},
      {"q16", &T::Gate, 16, {}},
      {"q+4", &T::Gate, 18, {}},
      {"q300", &T::Gate, 256, {}},
      {"q0", &T::Gate, 1, {}},
      {"q-20", &T::Gate, 1, {}},
      {"q%", &T::Gate, 14, {"qに%指定をした"}},
      {"q-", &T::Gate, 14, {"q"}},
      {">", &T::Octave, 5, {}},
      {"<3", &T::Octave, 1, {}},
      {"<9", &T::Octave, 0, {}},
      {">9", &T::Octave, 10, {}},
      {"<<>", &T::Octave, 3, {}},
  };
  for (const auto& c : cases) {
    Run(c.src);
    EXPECT_EQ(Track().*c.field, c.expected) << c.src;
    EXPECT_EQ(Details(), c.details) << c.src;
  }
}

TEST_F(NoteSettings, OctaveSwapExchangesTheDirections) {
  for (auto [swap, text, octave] : {std::tuple{0, ">2", 6}, {0, "<", 3}, {1, ">2", 2}, {1, "<", 5}}) {
    smf.Reset();
    smf.OctaveSwap = swap;
    std::vector<std::string> lines{text};
    smf.Begin(lines);
    smf.OctaveShift();
    EXPECT_EQ(Track().Octave, octave) << swap << text;
    EXPECT_EQ(smf.Col, static_cast<std::int32_t>(smf.Line().size()) + 1);
  }
}

TEST_F(NoteSettings, GateDecidesTheSoundingPart) {
  EXPECT_EQ(Run("q16 c q8 c q32 c").Events(),
            (Lines{"0: 90 30 64", "95: 80 30 64", "96: 90 30 64", "143: 80 30 64", "192: 90 30 64",
                   "383: 80 30 64"}));
}

TEST_F(NoteSettings, VelocityCommand) {
  const struct {
    const char* src;
    std::int32_t velocity, step, mode;
    Lines details;
  } cases[] = {
      {"v120 v+10", 127, 0, 0, {}},
      {"v120 v-10", 110, 0, 0, {}},
      {"v=64", 64, 0, 0, {}},
      {"v200", 127, 0, 0, {}},
      {"v-200", 0, 0, 0, {}},
      {"v100,5,1", 100, 5, 1, {}},
      {"v100,-127", 100, -127, 0, {}},
      {"v100,-128", 100, 0, 0, {"v"}},
      {"v90,200", 90, 0, 0, {"v"}},
      {"v90,5,-3", 90, 5, 0, {"v"}},
      {"v", 100, 0, 0, {"v"}},
      {"vx", 100, 0, 0, {"v", "x"}},
  };
  for (const auto& c : cases) {
    Run(c.src);
    EXPECT_EQ(Track().Velocity, c.velocity) << c.src;
    EXPECT_EQ(Track().VelStep, c.step) << c.src;
    EXPECT_EQ(Track().VelStepMode, c.mode) << c.src;
    EXPECT_EQ(Details(), c.details) << c.src;
  }
}

TEST_F(NoteSettings, VelocityStepCarriesOverFromNoteToNote) {
  EXPECT_EQ(Velocities("v100,5 c c c"), (Lines{"69", "6E", "73"}));
  EXPECT_EQ(Track().Velocity, 115);
  // A crescendo stops at the top; a decrescendo at 0.
  EXPECT_EQ(Velocities("v120,5 c c c"), (Lines{"7D", "7F", "7F"}));
  EXPECT_EQ(Velocities("v10,-5 c c c"), (Lines{"05", "00", "00"}));
  // Mode 1 turns round once the stepped velocity leaves 0..127.
  EXPECT_EQ(Velocities("v120,5,1 c c c c"), (Lines{"7D", "7F", "7A", "75"}));
  EXPECT_EQ(Track().VelStep, -5);
  // A note with its own parameters takes no step and changes nothing for the next.
  EXPECT_EQ(Velocities("v100,5 c c,90 c"), (Lines{"69", "5A", "6E"}));
  // Chord members (length 0) take no step; the chord steps once.
  EXPECT_EQ(Velocities("v100,5 c0e c"), (Lines{"69", "69", "6E"}));
}

TEST_F(NoteSettings, AccentChangesOneNote) {
  EXPECT_EQ(Velocities("!c c"), (Lines{"7F", "64"}));
  EXPECT_EQ(Velocities("v60 !c"), (Lines{"5A"}));
  EXPECT_EQ(Velocities("v63 !c v61 !c"), (Lines{"5E", "5C"}));  // 94.5 -> 94, 91.5 -> 92
  EXPECT_EQ(Velocities("!=50c !50c"), (Lines{"32", "32"}));
  EXPECT_EQ(Velocities("!+20c !-20c c"), (Lines{"78", "50", "64"}));
  EXPECT_EQ(Velocities("!c0e"), (Lines{"7F", "7F"}));
  EXPECT_EQ(Velocities("!r c"), (Lines{"7F"}));  // a rest leaves it for the next note
  EXPECT_EQ(Velocities("!\nc"), (Lines{"64"}));
  EXPECT_EQ(Velocities("!+ c"), (Lines{"64"}));
  EXPECT_EQ(Details(), Lines{"!の相対指定値が不正"});
}

}  // namespace
