#include <gtest/gtest.h>

#include <filesystem>

#include "audio/midi_sequence.h"
#include "audio/tempo_map.h"
#include "compiler/tsmf.h"
#include "tests/audio/audio_support.h"
#include "tests/support/compile_harness.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using vlmtest::BuildSmf;
using vlmtest::TrackBytes;

std::string Describe(const vlm::TimedMessage& m) {
  std::string s = std::to_string(m.tick) + "@" + std::to_string(m.track) + ":";
  char hex[4];
  for (std::uint8_t b : m.bytes) {
    std::snprintf(hex, sizeof hex, " %02X", b);
    s += hex;
  }
  return s;
}

std::vector<std::string> Describe(const vlm::MidiSequence& seq) {
  std::vector<std::string> lines;
  for (const auto& m : seq.messages) lines.push_back(Describe(m));
  return lines;
}

std::string ErrorOf(const Bytes& file) {
  try {
    vlm::ParseMidiFile(file);
  } catch (const vlm::SmfError& e) {
    return e.what();
  }
  return "accepted";
}

TEST(SmfReader, FormatZeroAtTheDefaultTempo) {
  TrackBytes t;
  t.Event(0, {0xC0, 5}).Event(96, {0x90, 60, 100}).Event(48, {0x80, 60, 64}).End(48);
  const auto seq = vlm::ParseMidiFile(BuildSmf(0, 96, {t}));
  EXPECT_EQ(seq.format, 0);
  EXPECT_EQ(seq.trackCount, 1);
  EXPECT_EQ(Describe(seq), (std::vector<std::string>{"0@0: C0 05", "96@0: 90 3C 64", "144@0: 80 3C 40"}));
  // 120 beats per minute until a tempo event says otherwise: 96 ticks = 0.5 s.
  EXPECT_DOUBLE_EQ(seq.messages[1].seconds, 0.5);
  EXPECT_DOUBLE_EQ(seq.messages[2].seconds, 0.75);
  EXPECT_DOUBLE_EQ(seq.lengthSeconds, 1.0);
}

TEST(SmfReader, FileWithoutTracksIsSilence) {
  const auto seq = vlm::ParseMidiFile({0x4D, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 1, 0, 0, 0, 0x60});
  EXPECT_EQ(seq.trackCount, 0);
  EXPECT_TRUE(seq.messages.empty());
  EXPECT_EQ(seq.lengthSeconds, 0);
}

TEST(SmfReader, TracksMergeInTimeOrderKeepingTrackOrderAtEqualTimes) {
  TrackBytes a, b, c;
  a.Event(10, {0x90, 60, 1}).Event(10, {0x80, 60, 0}).End();
  b.Event(0, {0xB1, 7, 100}).Event(10, {0x91, 62, 2}).End(100);
  c.Event(5, {0xE2, 0, 64}).Event(5, {0x92, 64, 3}).End();
  const auto seq = vlm::ParseMidiFile(BuildSmf(1, 96, {a, b, c}));
  EXPECT_EQ(seq.trackCount, 3);
  EXPECT_EQ(Describe(seq), (std::vector<std::string>{"0@1: B1 07 64", "5@2: E2 00 40", "10@0: 90 3C 01",
                                                      "10@1: 91 3E 02", "10@2: 92 40 03", "20@0: 80 3C 00"}));
  // The longest track sets the length: 110 ticks.
  EXPECT_DOUBLE_EQ(seq.lengthSeconds, 110 / 192.0);
}

TEST(SmfReader, RunningStatusIsAcceptedOnRead) {
  TrackBytes t;
  t.Event(0, {0x90, 60, 100}).Event(10, {62, 100}).Event(10, {60, 0}).Event(0, {0xC3, 9}).Event(0, {10}).End();
  EXPECT_EQ(Describe(vlm::ParseMidiFile(BuildSmf(0, 96, {t}))),
            (std::vector<std::string>{"0@0: 90 3C 64", "10@0: 90 3E 64", "20@0: 90 3C 00", "20@0: C3 09",
                                      "20@0: C3 0A"}));
}

TEST(SmfReader, TempoChangesFromAnyTrackApplyToAll) {
  TrackBytes conductor, notes;
  // 60 bpm (1 s per quarter) from 0, 240 bpm from tick 96.
  conductor.Event(0, {0xFF, 0x51, 3, 0x0F, 0x42, 0x40}).Event(96, {0xFF, 0x51, 3, 0x03, 0xD0, 0x90}).End();
  notes.Event(48, {0x90, 60, 1}).Event(48, {0x90, 61, 1}).Event(96, {0x90, 62, 1})
      .Event(0, {0xFF, 0x51, 3, 0x07, 0xA1, 0x20})  // 120 bpm from tick 192, written in the second track
      .Event(96, {0x90, 63, 1}).End();
  const auto seq = vlm::ParseMidiFile(BuildSmf(1, 96, {conductor, notes}));
  ASSERT_EQ(seq.messages.size(), 4u);
  EXPECT_DOUBLE_EQ(seq.messages[0].seconds, 0.5);
  EXPECT_DOUBLE_EQ(seq.messages[1].seconds, 1.0);
  EXPECT_DOUBLE_EQ(seq.messages[2].seconds, 1.25);
  EXPECT_DOUBLE_EQ(seq.messages[3].seconds, 1.75);
  EXPECT_DOUBLE_EQ(seq.lengthSeconds, 1.75);
}

TEST(SmfReader, TempoMapOrderAndSmpteTime) {
  vlm::TempoMap map(96);
  map.AddChange(192, 250000);
  map.AddChange(0, 1000000);
  map.AddChange(0, 2000000);  // the later of two changes at one tick wins
  map.Prepare();
  EXPECT_DOUBLE_EQ(map.Seconds(96), 2.0);
  EXPECT_DOUBLE_EQ(map.Seconds(288), 4.0 + 0.25);
  vlm::TempoMap smpte(0xE728);  // 25 frames per second, 40 ticks per frame
  smpte.AddChange(0, 1000000);  // ignored in SMPTE time
  smpte.Prepare();
  EXPECT_DOUBLE_EQ(smpte.Seconds(500), 0.5);
  vlm::TempoMap dropFrame(0xE302);
  EXPECT_NEAR(dropFrame.Seconds(60), 1.001, 1e-9);
}

TEST(SmfReader, OnlyWholeExclusiveMessagesAreKept) {
  TrackBytes t;
  t.Event(0, {0xF0, 5, 0x7E, 0x7F, 0x09, 0x01, 0xF7})  // GM system on
      .Event(0, {0xF7, 2, 0x90, 0x40})                   // escaped bytes
      .Event(0, {0xF0, 3, 0x41, 0x90, 0xF7})             // a data byte with its top bit set
      .Event(0, {0xF0, 2, 0x41, 0x10})                   // no closing F7
      .Event(0, {0xFF, 0x01, 2, 'h', 'i'})               // text
      .End();
  EXPECT_EQ(Describe(vlm::ParseMidiFile(BuildSmf(0, 96, {t}))),
            (std::vector<std::string>{"0@0: F0 7E 7F 09 01 F7"}));
}

TEST(SmfReader, OtherChunksAndTrailingBytesAreSkipped) {
  TrackBytes t;
  t.Event(0, {0x90, 60, 1}).End();
  Bytes file = BuildSmf(0, 96, {});
  file[11] = 1;
  file.insert(file.end(), {'X', 'Y', 'Z', 'W', 0, 0, 0, 2, 0xAA, 0xBB});
  const Bytes track = BuildSmf(0, 96, {t});
  file.insert(file.end(), track.begin() + 14, track.end());
  file.insert(file.end(), {0, 0, 0});
  EXPECT_EQ(Describe(vlm::ParseMidiFile(file)), (std::vector<std::string>{"0@0: 90 3C 01"}));
}

TEST(SmfReader, MalformedFilesAreRejectedWithTheReason) {
  TrackBytes good;
  good.Event(0, {0x90, 60, 1}).End();
  auto withBody = [](std::initializer_list<std::uint8_t> body) {
    TrackBytes t;
    t.body = body;
    return BuildSmf(1, 96, {t});
  };
  Bytes shortHeader = BuildSmf(0, 96, {good});
  shortHeader[7] = 4;
  Bytes truncated = BuildSmf(0, 96, {good});
  truncated.pop_back();
  Bytes formatTwo = BuildSmf(2, 96, {good});
  const struct {
    Bytes file;
    const char* reason;
  } cases[] = {
      {{'R', 'I', 'F', 'F', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "no MThd header"},
      {{'M', 'T', 'h', 'd', 0, 0, 0, 6}, "no MThd header"},
      {shortHeader, "header: chunk of 4 bytes, 6 needed"},
      {formatTwo, "format 2 (independent sequences) cannot be played"},
      {BuildSmf(3, 96, {good}), "unknown format 3"},
      {BuildSmf(0, 96, {good, good}), "format 0 with 2 tracks"},
      {BuildSmf(0, 96, {}, 0), "format 0 with 0 tracks"},
      {BuildSmf(1, 0, {good}), "0 ticks per quarter note"},
      {BuildSmf(1, 0xE500, {good}), "27 SMPTE frames per second"},
      {BuildSmf(1, 0xE700, {good}), "0 ticks per SMPTE frame"},
      {BuildSmf(1, 96, {good}, 2), "file ends after 1 of 2 tracks"},
      {truncated, "track 1: chunk of 8 bytes runs past the end of the file"},
      {withBody({0x00, 0x90, 60, 1}), "track 1: no end-of-track event (byte 26)"},
      {withBody({0x00, 0x90, 60}), "track 1: chunk ends inside channel message"},
      {withBody({0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 60, 1}), "events after the end-of-track event"},
      {withBody({0x00, 0xFF, 0x2F, 0x01, 0x00}), "end-of-track event with data"},
      {withBody({0x00, 60, 1, 0x00, 0xFF, 0x2F, 0x00}), "data byte 0x3C where a status byte belongs (byte 23)"},
      {withBody({0x00, 0x90, 0x80, 1, 0x00, 0xFF, 0x2F, 0x00}), "data byte 0x80 has its top bit set"},
      {withBody({0x81, 0x80, 0x80, 0x80, 0x00, 0xFF, 0x2F, 0x00}), "delta time longer than four bytes"},
      {withBody({0x00, 0xF8, 0x00, 0xFF, 0x2F, 0x00}), "system message 0xF8 in a file"},
      {withBody({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1, 0x00, 0xFF, 0x2F, 0x00}), "tempo event with 2 data bytes"},
      {withBody({0x00, 0xFF, 0x51, 0x03, 0, 0, 0, 0x00, 0xFF, 0x2F, 0x00}), "tempo of 0 microseconds"},
      {withBody({0x00, 0xFF, 0x01, 0x10, 'a', 0x00, 0xFF, 0x2F, 0x00}), "meta event runs past the end of the chunk"},
      {withBody({0x00, 0xF0, 0x05, 0x7E}), "exclusive message runs past the end of the chunk"},
      // Meta and exclusive events cancel running status.
      {withBody({0x00, 0x90, 60, 1, 0x00, 0xFF, 0x01, 0x00, 0x00, 61, 1, 0x00, 0xFF, 0x2F, 0x00}),
       "data byte 0x3D where a status byte belongs"},
  };
  for (const auto& c : cases) {
    const std::string error = ErrorOf(c.file);
    EXPECT_NE(error.find(c.reason), std::string::npos) << "expected \"" << c.reason << "\", got \"" << error << "\"";
  }
}

TEST(SmfReader, LoadingNamesTheFileAndTheReason) {
  const std::string dir = vlmtest::ScratchDir();
  const std::string broken = dir + "/broken.mid";
  vlmtest::WriteBytes(broken, {'M', 'T', 'h', 'd'});
  auto errorOf = [](const std::string& path) -> std::string {
    try {
      vlm::LoadMidiFile(path);
    } catch (const vlm::SmfError& e) {
      return e.what();
    }
    return "accepted";
  };
  EXPECT_EQ(errorOf(dir + "/missing.mid"), dir + "/missing.mid: no such file");
  EXPECT_EQ(errorOf(dir), dir + ": not a regular file");
  EXPECT_EQ(errorOf(broken), broken + " is not a valid MIDI file: no MThd header at its start (too short, or another kind of file)");
  std::filesystem::remove_all(dir);
}

// The compiler writes one chunk per track that holds events, up to 128 of them.
TEST(SmfReader, ReadsAFileOf128TracksWrittenByTheCompiler) {
  const std::string dir = vlmtest::ScratchDir();
  vlm::TSmf smf{[](const std::string&) {}};
  smf.Reset();
  for (int track = 0; track < 128; ++track) {
    const std::uint8_t on[] = {static_cast<std::uint8_t>(0x90 + track % 16), static_cast<std::uint8_t>(track), 100};
    const std::uint8_t off[] = {static_cast<std::uint8_t>(0x80 + track % 16), static_cast<std::uint8_t>(track), 100};
    smf.TrackEvents[track].Add(track * 10, on, 3);
    smf.TrackEvents[track].Add(track * 10 + 5, off, 3);
  }
  smf.WriteSmf(dir + "/all.mid");
  const auto seq = vlm::LoadMidiFile(dir + "/all.mid");
  EXPECT_EQ(seq.trackCount, 128);
  ASSERT_EQ(seq.messages.size(), 256u);
  for (int track = 0; track < 128; ++track) {
    const auto& on = seq.messages[static_cast<std::size_t>(2 * track)];
    EXPECT_EQ(on.track, track);
    EXPECT_EQ(Bytes(on.bytes.begin(), on.bytes.end()),
              (Bytes{static_cast<std::uint8_t>(0x90 + track % 16), static_cast<std::uint8_t>(track), 100}));
    EXPECT_DOUBLE_EQ(on.seconds, track * 10 / 192.0);
  }
  std::filesystem::remove_all(dir);
}

// A large file keeps to at most eight times its size in memory (the file's
// bytes while it is read, and the sequence): one written by the compiler
// (4 bytes an event), and a denser one of 2-byte events in running status
// with exclusive messages and tempo changes between them. The messages come
// out whole and in time order across tracks.
TEST(SmfReader, MemoryStaysWithinEightTimesTheFileSize) {
  TrackBytes notes, dense, tempos;
  constexpr int Events = 300000;
  for (int i = 0; i < Events; ++i) {
    const auto key = static_cast<std::uint8_t>(i % 128);
    notes.Event(1, {static_cast<std::uint8_t>(0x90 | (i % 16)), key, 100});
    if (i % 2 == 0) dense.Event(1, {0xC3, key});
    else dense.Event(0, {key});  // running status: delta and one data byte
    if (i % 1000 == 1) dense.Event(0, {0xF0, 3, 0x41, key, 0xF7});  // ends the running status
    if (i % 5000 == 0) tempos.Event(i == 0 ? 0 : 5000, {0xFF, 0x51, 3, 0x07, 0xA1, 0x20});
  }
  notes.End();
  dense.End();
  tempos.End();
  for (const auto& file : {BuildSmf(1, 96, {notes}), BuildSmf(1, 96, {tempos, dense, notes})}) {
    const auto seq = vlm::ParseMidiFile(file);
    EXPECT_LE(file.size() + seq.messages.MemoryBytes(), 8 * file.size())
        << seq.messages.MemoryBytes() / static_cast<double>(file.size()) << " times the file";
    std::int64_t tick = 0;
    int lastTrack = 0;
    for (const auto& m : seq.messages) {
      ASSERT_TRUE(m.tick > tick || (m.tick == tick && m.track >= lastTrack));
      tick = m.tick;
      lastTrack = m.track;
    }
  }
  const auto seq = vlm::ParseMidiFile(BuildSmf(1, 96, {tempos, dense, notes}));
  ASSERT_EQ(seq.messages.size(), 2u * Events + Events / 1000);
  // Tick 1 holds the dense track's two program changes and its exclusive
  // message, in file order, then the notes' first note.
  EXPECT_EQ(Describe(seq.messages[0]), "1@1: C3 00");
  EXPECT_EQ(Describe(seq.messages[1]), "1@1: C3 01");
  EXPECT_EQ(Describe(seq.messages[2]), "1@1: F0 41 01 F7");
  EXPECT_EQ(Describe(seq.messages[3]), "1@2: 90 00 64");
  EXPECT_EQ(Describe(seq.messages[4]), "2@1: C3 02");
  // 500,000 microseconds a quarter: 96 ticks make half a second.
  EXPECT_DOUBLE_EQ(seq.messages[seq.messages.size() - 1].seconds, Events / 96.0 * 0.5);
}

}  // namespace
