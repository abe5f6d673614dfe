#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "tests/support/compile_harness.h"

namespace {

using Lines = std::vector<std::string>;
using vlmtest::CompileSource;

// Detail texts of the error lines of a compile.
Lines Details(const vlmtest::CompileResult& r) {
  Lines d;
  for (const auto& m : r.Errors()) {
    const auto open = m.find('"') + 1;
    d.push_back(m.substr(open, m.find('"', open) - open));
  }
  return d;
}

struct GoldenCase {
  const char* src;  // compiled after "r%960", so that ptr is 960
  Lines events;
  Lines details;
};

void ExpectGolden(const GoldenCase& c) {
  const auto r = CompileSource(std::string("r%960 ") + c.src);
  EXPECT_EQ(r.Events(), c.events) << c.src;
  EXPECT_EQ(Details(r), c.details) << c.src;
  EXPECT_TRUE(r.smf.valid) << c.src << ": " << r.smf.error;
}

TEST(ChannelMessages, ControlChange) {
  const GoldenCase cases[] = {
      {"y7,100", {"959: B0 07 64"}, {}},
      {"y=10,$40", {"959: B0 0A 40"}, {}},
      {"y7,200", {"959: B0 07 7F"}, {}},
      {"y7,-5", {"959: B0 07 00"}, {}},   // an unreadable value counts as 0
      {"y200,5", {"959: B0 7F 05"}, {}},  // controller numbers are clamped too
      {"y7", {}, {"y"}},
      {"y7,1,2", {}, {"y"}},
      {"y-7,1", {}, {"y"}},
  };
  for (const auto& c : cases) ExpectGolden(c);
}

TEST(ChannelMessages, ProgramChangeWithBankSelect) {
  const GoldenCase cases[] = {
      {"@5", {"959: C0 05"}, {}},
      {"@5,1", {"958: B0 00 01", "959: C0 05"}, {}},
      // Both bank selects share a time; the store's unstable sort orders them.
      {"@5,1,3", {"958: B0 20 03", "958: B0 00 01", "959: C0 05"}, {}},
      {"@200,300,128", {"958: B0 20 7F", "958: B0 00 7F", "959: C0 7F"}, {}},
      {"@", {}, {"@"}},
      {"@1,2,3,4", {}, {"@"}},
      {"@1,-2", {}, {"@"}},
  };
  for (const auto& c : cases) ExpectGolden(c);
}

TEST(ChannelMessages, PitchBendAndTempo) {
  const GoldenCase cases[] = {
      {"p0", {"959: E0 00 40"}, {}},
      {"p-8192", {"959: E0 00 00"}, {}},
      {"p8191", {"959: E0 7F 7F"}, {}},
      {"p-1", {"959: E0 7F 3F"}, {}},
      {"p8192", {}, {"p:-8192~8191"}},
      {"p-8193", {}, {"p:-8192~8191"}},
      {"p+5", {}, {"p", "+", "5"}},
      {"t120", {"957: FF 51 03 07 A1 20"}, {}},
      {"t999", {"957: FF 51 03 00 EA 9C"}, {}},
      {"t20", {"957: FF 51 03 2D C6 C0"}, {}},
      {"t19", {}, {"t"}},
      {"t1000", {}, {"t"}},
      {"t", {}, {"t"}},
  };
  for (const auto& c : cases) ExpectGolden(c);
  EXPECT_EQ(CompileSource("p+5").Errors()[0], "err(0)\"p\":引数が不正です\"> _tr<0> ptr=0<0>小節目");
}

TEST(ChannelMessages, SystemCommandWordsReachTheHandlers) {
  const auto r = CompileSource("r%960 B=64 B=+10\nEX=$F0,$7E,$7F,$09,$01,$F7\nEX2=$F0,$41,$10,$42,$12,$40,$00,$7F,$00,$F7");
  EXPECT_TRUE(r.Errors().empty());
  auto events = r.Events();
  std::sort(events.begin(), events.end());
  EXPECT_EQ(events, (Lines{"959: E0 00 40", "959: E0 00 4A", "960: F0 41 10 42 12 40 00 7F 00 41 F7",
                           "960: F0 7E 7F 09 01 F7"}));
}

// The system commands B, EX, EX2 and the text meta commands reach these
// handlers through other dispatchers; here they are called directly.
class DirectCall : public ::testing::Test {
 protected:
  std::vector<std::string> messages;
  vlm::TSmf smf{[this](const std::string& t) { messages.push_back(t); }};

  void SetUp() override { smf.ptr[0] = 960; }
  void At(const std::string& text) {
    std::vector<std::string> lines{text};
    smf.Begin(lines);
  }
  // The store's events in order of addition, as "time: XX XX ..".
  Lines Events() {
    Lines lines;
    std::array<std::uint8_t, vlm::Tivent::MaxEventBytes> buf{};
    for (std::int32_t i = 0; i < smf.TrackEvents[0].Count(); ++i) {
      std::int32_t time = 0, len = 0;
      smf.TrackEvents[0].GetEvent(i, time, buf.data(), len);
      std::string line = std::to_string(time) + ":";
      char hex[4];
      for (std::int32_t j = 0; j < len; ++j) {
        std::snprintf(hex, sizeof hex, " %02X", buf[static_cast<std::size_t>(j)]);
        line += hex;
      }
      lines.push_back(line);
    }
    smf.TrackEvents[0].Clear();
    return lines;
  }
};

TEST_F(DirectCall, SevenBitBendIsAbsoluteOrRelativeToTheLastOne) {
  At("=64");
  smf.BendCommand(1);
  At("=+10");
  smf.BendCommand(1);
  EXPECT_EQ(smf.Tracks[0].Bend, 74);
  At("(200)");
  smf.BendCommand(1);
  EXPECT_EQ(smf.Tracks[0].Bend, 200);
  At("=-250");
  smf.BendCommand(1);
  EXPECT_EQ(smf.Tracks[0].Bend, -50);
  EXPECT_EQ(Events(), (Lines{"959: E0 00 40", "959: E0 00 4A", "959: E0 00 7F", "959: E0 00 00"}));
  EXPECT_EQ(smf.Col, 6);

  for (const char* bad : {"", "=x", "(1,2)"}) {
    At(bad);
    smf.BendCommand(1);
  }
  EXPECT_EQ(messages.size(), 3u);
  EXPECT_NE(messages[0].find("\"B=0~127\""), std::string::npos);
  EXPECT_EQ(smf.Tracks[0].Bend, -50);
  EXPECT_TRUE(Events().empty());
}

TEST_F(DirectCall, ExclusiveMessages) {
  At("=$F0,$7E,$7F,$09,$01,$F7");
  smf.ExclusiveCommand(0);
  EXPECT_EQ(Events(), Lines{"960: F0 05 7E 7F 09 01 F7"});

  At("=$F0,$41,$10,$42,$12,$40,$00,$7F,$00,$F7");
  smf.ExclusiveCommand(1);
  EXPECT_EQ(Events(), Lines{"960: F0 0A 41 10 42 12 40 00 7F 00 41 F7"});
  // A sum that is a multiple of 128 gives the checksum 0.
  At("=$F0,$41,$10,$42,$12,$40,$00,$40,$00,$F7");
  smf.ExclusiveCommand(1);
  EXPECT_EQ(Events(), Lines{"960: F0 0A 41 10 42 12 40 00 40 00 00 F7"});

  // Data bytes of an F0 message stay below 128; an F7 message is raw.
  At("=$F0,$80,300,-1,$F7");
  smf.ExclusiveCommand(0);
  At("=$F7,$90,$3C,$64");
  smf.ExclusiveCommand(0);
  EXPECT_EQ(Events(), (Lines{"960: F0 04 7F 7F 00 F7", "960: F7 03 90 3C 64"}));
  EXPECT_TRUE(messages.empty());

  for (auto [text, mode] : {std::pair{"=$F0,1", 0}, {"=$F0,1,2,3,4", 1}, {"=$F1,1,2", 0}, {"=$F0", 0}}) {
    At(text);
    smf.ExclusiveCommand(mode);
  }
  EXPECT_TRUE(Events().empty());
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_NE(messages[0].find("\"EX\":必要な引数が足りません"), std::string::npos);
  EXPECT_NE(messages[1].find("\"EX\":必要な引数が足りません"), std::string::npos);
  EXPECT_NE(messages[2].find("\"EX\":引数が不正です"), std::string::npos);
  EXPECT_NE(messages[3].find("\"EX\":必要な引数が足りません"), std::string::npos);
}

TEST_F(DirectCall, TextMetaEventsAreCutTo127Bytes) {
  const std::string title(200, 'x');
  At("(" + title + ")");
  smf.MetaText(3);
  At("(\"Song one\")");
  smf.MetaText(2);
  const auto events = Events();
  ASSERT_EQ(events.size(), 2u);
  std::string expected = "959: FF 03 7F";
  for (int i = 0; i < 127; ++i) expected += " 78";
  EXPECT_EQ(events[0], expected);
  EXPECT_EQ(events[1], "959: FF 02 0A 22 53 6F 6E 67 20 6F 6E 65 22");  // quotes kept

  At("(a,b)");
  smf.MetaText(4);
  At("x");
  smf.MetaText(4);
  EXPECT_TRUE(Events().empty());
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_NE(messages[0].find("\"_\""), std::string::npos);
}

TEST_F(DirectCall, EmittersUseTheChannelAndKeepDataBytesBelow128) {
  smf.Tracks[0].Channel = 3;
  smf.EmitControl(100, 200, 255);
  smf.EmitBend(0, 0x7F, 0x80);
  At("y7,1");
  smf.ControlCommand();
  EXPECT_EQ(Events(), (Lines{"99: B3 7F 7F", "-1: E3 7F 7F", "959: B3 07 01"}));
}

TEST_F(DirectCall, TimesBeforeThePointerWrapAtTheInt32Limit) {
  smf.ptr[0] = INT32_MIN;
  At("t120");
  smf.TempoCommand();
  EXPECT_EQ(Events(), Lines{std::to_string(INT32_MAX - 2) + ": FF 51 03 07 A1 20"});
}

}  // namespace
