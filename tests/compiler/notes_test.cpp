#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <sstream>

#include "tests/support/compile_harness.h"

namespace {

using vlmtest::CompileSource;
using Lines = std::vector<std::string>;

// Compiles Source with seed 0 after Setup has changed the fresh state (the
// commands that set strum steps, sequences and random ranges live elsewhere).
struct Prepared {
  std::vector<std::string> messages;
  vlm::TSmf smf{[this](const std::string& t) { messages.push_back(t); }};
  vlmtest::SmfFile file;

  Prepared(const std::function<void(vlm::TSmf&)>& Setup, const std::string& Source) {
    smf.Reset();
    smf.Rng.Seed = 0;
    Setup(smf);
    std::istringstream in(Source);
    for (std::string line; std::getline(in, line);) smf.Lines.push_back(line);
    const std::string dir = vlmtest::ScratchDir();
    smf.Compile(dir + "/out.mid");
    file = vlmtest::ParseSmf(vlmtest::ReadFileBytes(dir + "/out.mid"));
    std::filesystem::remove_all(dir);
  }
  Lines Events() const { return vlmtest::EventLines(file, 0); }
  Lines Errors() const {
    Lines errors;
    for (const auto& m : messages)
      if (m.rfind("err(", 0) == 0) errors.push_back(m);
    return errors;
  }
};

std::string Error(int line, const std::string& detail, const std::string& text, int ptr) {
  return "err(" + std::to_string(line) + ")\"" + detail + "\":" + text + "\"> _tr<0> ptr=" + std::to_string(ptr) +
         "<" + std::to_string(ptr / 96) + ">小節目";
}
const std::string Syntax = "文法のエラー";
const std::string BadArg = "引数が不正です";

// ---- ReadLength on its own ----

struct LengthCase {
  const char* text;
  std::int32_t ticks;
  std::int32_t end;  // At after the read
};

TEST(ReadLength, NoteValuesDotsTiesAndBars) {
  const LengthCase cases[] = {
      {"", 96, 1},        {"4", 96, 2},        {"8", 48, 2},      {"3", 128, 2},    {"5", 77, 2},
      {"4.", 144, 3},     {"4..", 216, 4},     {"%50.", 75, 5},   {"%7.", 11, 4},   {"4^8", 144, 4},
      {"4|^8", 144, 5},   {"4^", 192, 3},      {"4^^", 288, 4},   {"4|||x", 96, 5}, {"4^8.^16", 192, 8},
      {"0", 0, 2},        {"0.^4", 0, 2},      {"4^0^8", 144, 6}, {"$10", 24, 4},   {"1000", 0, 5},
      {".", 144, 2},
  };
  vlm::TSmf smf;
  for (const auto& c : cases) {
    std::int32_t at = 1;
    EXPECT_EQ(smf.ReadLength(std::string(c.text), at), c.ticks) << c.text;
    EXPECT_EQ(at, c.end) << c.text;
  }
}

TEST(ReadLength, FailuresAreReportedOnce) {
  std::vector<std::string> messages;
  vlm::TSmf smf([&](const std::string& t) { messages.push_back(t); });
  smf.Vars[5] = -4;
  for (const char* text : {"%", "%0", "4^%0", "~5"}) {
    messages.clear();
    std::int32_t at = 1;
    EXPECT_EQ(smf.ReadLength(std::string(text), at), -1) << text;
    EXPECT_EQ(messages.size(), 1u) << text;
  }
  EXPECT_NE(messages[0].find("\"音長\""), std::string::npos);
}

TEST(ReadLength, SaturatesAtTheInt32Limit) {
  vlm::TSmf smf;
  for (const char* text : {"%2147483647.", "%2147483647^%2147483647", "%2147483600^^^"}) {
    std::int32_t at = 1;
    EXPECT_EQ(smf.ReadLength(std::string(text), at), INT32_MAX) << text;
  }
  smf.Tracks[0].Length = INT32_MAX;
  std::int32_t at = 1;
  EXPECT_EQ(smf.ReadLength(std::string("^^.."), at), INT32_MAX);
}

// ---- notes and their events ----

TEST(Notes, FirstNoteAfterReset) {
  const auto r = CompileSource("c c");
  EXPECT_TRUE(r.Errors().empty());
  EXPECT_EQ(r.Events(), (Lines{"0: 90 30 64", "83: 80 30 64", "96: 90 30 64", "179: 80 30 64"}));
}

TEST(Notes, LettersOctavesAndAccidentals) {
  const auto r = CompileSource("o5c d+ e- f++ g a b- o10b++ o0c-- n60 n$3D, n~1");
  EXPECT_TRUE(r.Errors().empty());
  const auto events = r.Events();
  Lines ons;
  for (const auto& e : events)
    if (e.find(": 9") != std::string::npos) ons.push_back(e.substr(e.find(':') + 2));
  // n~1 reads variable 1, which is 0 in a fresh compiler.
  EXPECT_EQ(ons, (Lines{"90 3C 64", "90 3F 64", "90 3F 64", "90 43 64", "90 43 64", "90 45 64", "90 46 64",
                        "90 7F 64", "90 00 64", "90 3C 64", "90 3D 64", "90 00 64"}));
}

// Plain notes are read in one pass; every neighbouring form must still read
// as the general readers read it: bar lines and ties after a length, a
// chord note, "%", "$" and "~" lengths, dots, mixed accidentals and the
// track's default length.
TEST(Notes, EveryFormAroundThePlainNoteReadsAlike) {
  const auto r = CompileSource("c8|d8 c8|^8 c8 |^8 c8^8 c0e0g4 c%12 c$10 c~1 c8.. c+-+8 l3 c d4. e-");
  EXPECT_TRUE(r.Errors().empty());
  Lines ons;
  for (const auto& e : r.Events())
    if (e.find(": 9") != std::string::npos) ons.push_back(e);
  EXPECT_EQ(ons, (Lines{"0: 90 30 64", "48: 90 32 64", "96: 90 30 64", "192: 90 30 64", "288: 90 30 64",
                        "384: 90 34 64", "384: 90 37 64", "384: 90 30 64", "480: 90 30 64", "492: 90 30 64",
                        "516: 90 30 64", "516: 90 30 64", "624: 90 31 64", "672: 90 30 64", "800: 90 32 64",
                        "944: 90 33 64"}));
  // Sounding ends: 48 ticks sound 42, ties make 96, "%12" sounds 10 (half to
  // even), "$10" is a 16th, "c8.." is 108 ticks, "l3" 128.
  const auto events = r.Events();
  EXPECT_NE(std::find(events.begin(), events.end(), "41: 80 30 64"), events.end());
  EXPECT_NE(std::find(events.begin(), events.end(), "179: 80 30 64"), events.end());
  EXPECT_NE(std::find(events.begin(), events.end(), "489: 80 30 64"), events.end());
  EXPECT_NE(std::find(events.begin(), events.end(), "512: 80 30 64"), events.end());
  EXPECT_NE(std::find(events.begin(), events.end(), "609: 80 30 64"), events.end());
  EXPECT_NE(std::find(events.begin(), events.end(), "783: 80 30 64"), events.end());
}

TEST(Notes, LengthsAndGate) {
  // 144 ticks sound 126, 216 sound 189, 75 sound 65.625 -> 66, 77 sound 67.375 -> 67.
  const auto r = CompileSource("o5c4. c4.. c%50. c5");
  EXPECT_TRUE(r.Errors().empty());
  EXPECT_EQ(r.Events(), (Lines{"0: 90 3C 64", "125: 80 3C 64", "144: 90 3C 64", "332: 80 3C 64", "360: 90 3C 64",
                               "425: 80 3C 64", "435: 90 3C 64", "501: 80 3C 64"}));
}

TEST(Notes, NoteOffAlwaysFollowsItsNoteOn) {
  // Sounding lengths of 0 and 1 tick would put the note-off at or before the
  // note-on, where the sort could leave the note hanging.
  EXPECT_EQ(CompileSource("q1 c%6 q14 d%1 e%3").Events(),
            (Lines{"0: 90 30 64", "1: 80 30 64", "6: 90 32 64", "7: 90 34 64", "7: 80 32 64", "9: 80 34 64"}));
  const Prepared offset([](vlm::TSmf& s) { s.Tracks[0].GateOffset = -200; }, "c");
  EXPECT_EQ(offset.Events(), (Lines{"0: 90 30 64", "1: 80 30 64"}));
}

TEST(Notes, ChordNotesSoundWithTheNextNoteThatHasALength) {
  const auto r = CompileSource("c0e0\ng4 c");
  EXPECT_TRUE(r.Errors().empty());
  // Events of equal time come in the order of the store's unstable sort.
  EXPECT_EQ(r.Events(), (Lines{"0: 90 34 64", "0: 90 37 64", "0: 90 30 64", "83: 80 37 64", "83: 80 30 64",
                               "83: 80 34 64", "96: 90 30 64", "179: 80 30 64"}));

  const Prepared strum([](vlm::TSmf& s) { s.Tracks[0].StrumStep = 10; }, "c0e0g4");
  EXPECT_EQ(strum.Events(), (Lines{"0: 90 30 64", "10: 90 34 64", "20: 90 37 64", "83: 80 30 64", "93: 80 34 64",
                                   "103: 80 37 64"}));
}

TEST(Notes, MoreThanThirtyOnePendingChordNotesAreDropped) {
  std::string full;
  for (int i = 0; i < 31; ++i) full += "c0";
  const auto ok = CompileSource(full + "e");
  EXPECT_TRUE(ok.Errors().empty());
  EXPECT_EQ(ok.Events().size(), 64u);

  const auto over = CompileSource(full + "d0d0e");
  const std::string tooMany = Error(0, "和音の音が多すぎます", Syntax, 0);
  EXPECT_EQ(over.Errors(), (Lines{tooMany, tooMany}));
  EXPECT_EQ(over.Events().size(), 64u);
  for (const auto& e : over.Events()) EXPECT_EQ(e.find(" 32 "), std::string::npos) << e;  // no d sounds
}

TEST(Notes, TiesAcrossBlanksAndBars) {
  for (const char* src : {"c4^8", "c4 ^8", "c4 | ^8", "c4&^8", "c4 & | ^8"}) {
    const auto r = CompileSource(std::string(src) + " c");
    EXPECT_TRUE(r.Errors().empty()) << src;
    const auto events = r.Events();
    ASSERT_EQ(events.size(), 4u) << src;
    EXPECT_EQ(events[2], "144: 90 30 64") << src;
  }
  EXPECT_EQ(CompileSource("c4^8").Events()[1], "125: 80 30 64");
  EXPECT_EQ(CompileSource("c4&^8").Events()[1], "143: 80 30 64");
  EXPECT_EQ(CompileSource("c4 d").Events().size(), 4u);

  // The tie without a number adds the track's Length; the 8 stands alone.
  const auto r = CompileSource("c4 ^ 8 c");
  EXPECT_EQ(r.Errors(), Lines{Error(0, "8", "解読不能文字です", 192)});
  EXPECT_EQ(r.Events()[2], "192: 90 30 64");
}

TEST(Notes, AHundredThousandTiesCompileWithoutDeepRecursion) {
  std::string spaced = "c4";
  std::string packed = "c4";
  for (int i = 0; i < 100000; ++i) {
    spaced += " ^8";
    packed += "^8";
  }
  for (const auto& src : {spaced, packed}) {
    const auto r = CompileSource(src);
    EXPECT_TRUE(r.Errors().empty());
    // 96 + 100000 x 48 = 4800096 ticks, sounding 14/16 of it.
    EXPECT_EQ(r.Events(), (Lines{"0: 90 30 64", "4200083: 80 30 64"}));
  }
}

TEST(Notes, PerNoteParametersLastOneNote) {
  const auto r = CompileSource("v90 n60,4,100,8 c g4,,16 c4,+20 c4,,+4 c4,-20,-20 c4,0,0");
  EXPECT_TRUE(r.Errors().empty());
  EXPECT_EQ(r.Events(), (Lines{"0: 90 3C 64",   "47: 80 3C 64",   "96: 90 30 5A",  "179: 80 30 5A",
                               "192: 90 37 5A", "287: 80 37 5A",  "288: 90 30 6E", "371: 80 30 6E",
                               "384: 90 30 5A", "480: 90 30 46",  "485: 80 30 46", "491: 80 30 5A",
                               "576: 90 30 5A", "659: 80 30 5A"}));
}

TEST(Notes, BadSignedParameterDropsTheNote) {
  const Prepared r([](vlm::TSmf& s) { s.Vars[3] = -1; }, "c4,+~3 d4,,-~3 e");
  EXPECT_EQ(r.Errors(), (Lines{Error(0, "c", BadArg, 0), Error(0, "d", BadArg, 0)}));
  EXPECT_EQ(r.Events(), (Lines{"0: 90 34 64", "83: 80 34 64"}));
}

TEST(Notes, NoteNumberFailures) {
  const auto r = CompileSource("n o0c- n+ e");
  const std::string noNumber = Error(0, "ノートナンバー指定", Syntax, 0);
  EXPECT_EQ(r.Errors(), (Lines{noNumber, noNumber, noNumber, Error(0, "+", "解読不能文字です", 0)}));
  EXPECT_EQ(r.Events(), (Lines{"0: 90 04 64", "83: 80 04 64"}));
}

TEST(Notes, TransposeIsClampedToTheNoteRange) {
  const Prepared up([](vlm::TSmf& s) { s.Transpose[0] = 100; }, "c n127");
  EXPECT_EQ(up.Events(), (Lines{"0: 90 7F 64", "83: 80 7F 64", "96: 90 7F 64", "179: 80 7F 64"}));
  const Prepared down([](vlm::TSmf& s) { s.Transpose[0] = -100; }, "c");
  EXPECT_EQ(down.Events(), (Lines{"0: 90 00 64", "83: 80 00 64"}));
}

TEST(Rests, MoveTimeOnly) {
  const auto r = CompileSource("r r8. l%10 r c0 r c r0 r%0 c");
  EXPECT_EQ(r.Errors(), (Lines{Error(0, "r", Syntax, 198), Error(0, "%", BadArg, 198)}));
  // The pending c0 waits over the rest and sounds with the next c, at 188.
  EXPECT_EQ(r.Events(), (Lines{"188: 90 30 64", "188: 90 30 64", "196: 80 30 64", "196: 80 30 64",
                               "198: 90 30 64", "206: 80 30 64"}));
}

TEST(Notes, SequencesAreConsumedOneEntryPerNote) {
  const Prepared r(
      [](vlm::TSmf& s) {
        s.Tracks[0].RvList = {"+20", "50", "x"};
        s.Tracks[0].RqList = {"16", "-4"};
        s.Tracks[0].RnList = {"5", "-3"};
      },
      "c c c c");
  EXPECT_TRUE(r.Errors().empty());
  // Third entry "x" holds no value and is consumed without effect.
  // The timing entry -3 moves the second note-on before its position.
  EXPECT_EQ(r.Events(), (Lines{"5: 90 30 78", "93: 90 30 32", "100: 80 30 78", "152: 80 30 32",
                               "192: 90 30 64", "275: 80 30 64", "288: 90 30 64", "371: 80 30 64"}));
  EXPECT_EQ(r.smf.Tracks[0].Velocity, 100);
  EXPECT_EQ(r.smf.Tracks[0].Gate, 14);
}

TEST(Notes, NoOutputMovesTimeAndConsumesButWritesNothing) {
  const Prepared r(
      [](vlm::TSmf& s) {
        s.NoOutput = 1;
        s.Tracks[0].RvList = {"10"};
      },
      "!c0 e0 g");
  EXPECT_TRUE(r.file.tracks.empty());
  EXPECT_EQ(r.smf.ptr[0], 96);
  EXPECT_EQ(r.smf.ChordCount, 0);
  EXPECT_EQ(r.smf.NextVelMode, -1);
  EXPECT_TRUE(r.smf.Tracks[0].RvList.empty());
}

// ---- random humanising ----

std::string Event(std::int64_t time, int status, int data1, int data2) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%lld: %02X %02X %02X", static_cast<long long>(time), status, data1, data2);
  return buf;
}

TEST(Notes, RandomDrawsVelocityThenTimingThenOneBendPerChordNote) {
  const auto setup = [](vlm::TSmf& s) {
    s.RandVel[0] = 10;
    s.RandTime[0] = 5;
    s.RandBend[0] = 3;
    s.Tracks[0].Bend = 64;
  };
  const Prepared r(setup, "r%960 c0e");
  vlm::RandomGenerator g{0};
  const int vel = 100 + g.Random(20) - 10;
  const int on = 960 + g.Random(10) - 5;
  Lines expected;
  int bends = 0;
  for (int i = 0; i < 2; ++i) {
    const int bend = g.Random(6) - 3;
    if (bend == 0) continue;
    const int value = (64 + bend) * 127;
    expected.push_back(Event(on - 2, 0xE0, value & 0x7F, value >> 7));
    ++bends;
  }
  ASSERT_GT(bends, 0);  // the seed must exercise the bend
  for (int key : {0x30, 0x34}) {
    expected.push_back(Event(on, 0x90, key, vel));
    expected.push_back(Event(on + 83, 0x80, key, vel));
  }
  auto events = r.Events();
  std::sort(events.begin(), events.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(events, expected);

  // Draws are made even for ranges of 0, so they shift the timing draws.
  const Prepared timing([](vlm::TSmf& s) { s.RandTime[0] = 5; }, "r%960 c d");
  vlm::RandomGenerator t{0};
  std::vector<int> starts;
  for (int base : {960, 1056}) {
    t.Random(0);
    starts.push_back(base + t.Random(10) - 5);
    t.Random(0);
  }
  EXPECT_EQ(timing.Events()[0], Event(starts[0], 0x90, 0x30, 100));
  EXPECT_EQ(timing.Events()[2], Event(starts[1], 0x90, 0x32, 100));
}

TEST(Notes, RandomVelocityStaysWithinItsRangeAndIsClamped) {
  std::string src = "v120";
  for (int i = 0; i < 200; ++i) src += " c";
  const Prepared r([](vlm::TSmf& s) { s.RandVel[0] = 10; }, src);
  int lowest = 127;
  int clamped = 0;
  for (const auto& e : r.Events()) {
    const int v = std::stoi(e.substr(e.size() - 2), nullptr, 16);
    lowest = std::min(lowest, v);
    if (v == 127) ++clamped;
    EXPECT_GE(v, 110);
  }
  EXPECT_EQ(lowest, 110);
  EXPECT_GT(clamped, 0);
}

// ---- positions near the int32 limit ----

TEST(Notes, LengthsAndPositionsNearTheLimitWrapWithoutOverflow) {
  const Prepared r([](vlm::TSmf& s) { s.ptr[0] = INT32_MAX - 100; }, "l%2147483647 c^ c");
  EXPECT_TRUE(r.Errors().empty());
  EXPECT_TRUE(r.file.valid) << r.file.error;
  // The tied length saturates at 2147483647; the position wraps as 32 bits.
  // (2147483547 + 2147483647) wraps to -102; -102 + 2147483647 = 2147483545.
  EXPECT_EQ(r.smf.ptr[0], 2147483545);
  EXPECT_EQ(r.smf.Tracks[0].Length, INT32_MAX);

  const Prepared rest([](vlm::TSmf& s) { s.ptr[0] = INT32_MAX; }, "r%2");
  EXPECT_EQ(rest.smf.ptr[0], INT32_MIN + 1);
}

// ---- end to end ----

TEST(Demo, CompilesCleanlyAndReadsBackNoteForNote) {
  std::ifstream in(std::string(VLM_SOURCE_DIR) + "/examples/demo.vlm");
  ASSERT_TRUE(in);
  const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto r = CompileSource(source);
  EXPECT_TRUE(r.Errors().empty());
  ASSERT_TRUE(r.smf.valid) << r.smf.error;
  ASSERT_EQ(r.smf.tracks.size(), 1u);
  Lines ons;
  std::string lastOff;
  for (const auto& e : r.Events()) {
    if (e.find(": 9") != std::string::npos) ons.push_back(e);
    if (e.find(": 8") != std::string::npos) lastOff = e;
  }
  EXPECT_EQ(r.Events()[0], "0: FF 51 03 08 2C A2");  // t112, placed before the start
  EXPECT_EQ(ons.size(), 45u);
  EXPECT_EQ(ons.front(), "0: 90 3C 60");
  EXPECT_EQ(std::count_if(ons.begin(), ons.end(), [](const std::string& e) { return e.rfind("720: ", 0) == 0; }), 3);
  EXPECT_EQ(std::count(ons.begin(), ons.end(), "2112: 90 3C 78"), 1);  // the accented c: 80 x 1.5
  EXPECT_EQ(lastOff.substr(0, 5), "2975:");  // the tied final chord, held to its end
}

}  // namespace
