#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/compile_harness.h"
#include "tests/support/counting_memory.h"
#include "tests/support/store_events.h"

namespace {

class SmfWriter : public ::testing::Test {
 protected:
  std::vector<std::string> messages;
  vlm::TSmf smf{[this](const std::string& t) { messages.push_back(t); }};
  std::string dir = vlmtest::ScratchDir();
  std::string file = dir + "/out.mid";

  ~SmfWriter() override { std::filesystem::remove_all(dir); }

  std::vector<std::uint8_t> Bytes(std::int32_t n) { return {smf.NumBuf.begin(), smf.NumBuf.begin() + n}; }
  void Event(int track, std::int32_t time, std::vector<std::uint8_t> bytes) {
    smf.TrackEvents[track].Add(time, bytes.data(), static_cast<std::int32_t>(bytes.size()));
  }
  std::vector<std::uint8_t> Write() {
    smf.WriteSmf(file);
    return vlmtest::ReadFileBytes(file);
  }
};

TEST_F(SmfWriter, VariableLengthQuantities) {
  using V = std::vector<std::uint8_t>;
  EXPECT_EQ(Bytes(smf.PutVarLen(0)), V{0x00});
  EXPECT_EQ(Bytes(smf.PutVarLen(127)), V{0x7F});
  EXPECT_EQ(Bytes(smf.PutVarLen(128)), (V{0x81, 0x00}));
  EXPECT_EQ(Bytes(smf.PutVarLen(200)), (V{0x81, 0x48}));
  EXPECT_EQ(Bytes(smf.PutVarLen(16383)), (V{0xFF, 0x7F}));
  EXPECT_EQ(Bytes(smf.PutVarLen(16384)), (V{0x81, 0x80, 0x00}));
  EXPECT_EQ(smf.PutVarLen(0xFFFFFFFF), 5);
}

TEST_F(SmfWriter, BigEndianNumbers) {
  using V = std::vector<std::uint8_t>;
  EXPECT_EQ(Bytes(smf.PutBigEndian(0)), V{0x00});
  EXPECT_EQ(Bytes(smf.PutBigEndian(255)), V{0xFF});
  EXPECT_EQ(Bytes(smf.PutBigEndian(256)), (V{0x01, 0x00}));
  EXPECT_EQ(Bytes(smf.PutBigEndian(65535)), (V{0xFF, 0xFF}));
  EXPECT_EQ(Bytes(smf.PutBigEndian(0x01020304)), (V{1, 2, 3, 4}));
}

TEST_F(SmfWriter, OneTrackWithTwoEvents) {
  Event(5, 200, {0x80, 60, 100});
  Event(5, 0, {0x90, 60, 100});
  const auto bytes = Write();
  const std::vector<std::uint8_t> expected = {
      0x4D, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 1, 0, 1, 0, 0x60,
      0x4D, 0x54, 0x72, 0x6B, 0, 0, 0, 0x0D,
      0x00, 0x90, 60, 100, 0x81, 0x48, 0x80, 60, 100, 0x00, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(messages.back(), "ok");
}

TEST_F(SmfWriter, NegativeTimesAreWrittenAtZero) {
  Event(0, -3, {0xFF, 0x51, 3, 7, 0xA1, 0x20});
  Event(0, -1, {0xC0, 5});
  Event(0, 10, {0x90, 60, 1});
  const auto f = vlmtest::ParseSmf(Write());
  ASSERT_TRUE(f.valid) << f.error;
  EXPECT_EQ(vlmtest::EventLines(f, 0),
            (std::vector<std::string>{"0: FF 51 03 07 A1 20", "0: C0 05", "10: 90 3C 01"}));
}

TEST_F(SmfWriter, ChunksOnlyForTracksWithEventsAndTheTimebase) {
  smf.Timebase = 480;
  Event(3, 0, {0x90, 1, 1});
  Event(100, 0, {0x91, 2, 2});
  const auto bytes = Write();
  EXPECT_EQ(bytes[10], 0);
  EXPECT_EQ(bytes[11], 2);
  EXPECT_EQ(bytes[12], 0x01);
  EXPECT_EQ(bytes[13], 0xE0);
  const auto f = vlmtest::ParseSmf(bytes);
  ASSERT_TRUE(f.valid) << f.error;
  EXPECT_EQ(vlmtest::EventLines(f, 1), (std::vector<std::string>{"0: 91 02 02"}));
}

TEST_F(SmfWriter, DeltasOfEveryQuantityLength) {
  const std::vector<std::int32_t> deltas = {0, 127, 128, 16383, 16384, 2097151, 2097152, 0x0FFFFFFF};
  std::vector<std::string> expected;
  std::int32_t time = 0;
  for (const std::int32_t delta : deltas) {
    time += delta;
    Event(0, time, {0x90, 60, 1});
    expected.push_back(std::to_string(time) + ": 90 3C 01");
  }
  const auto f = vlmtest::ParseSmf(Write());
  ASSERT_TRUE(f.valid) << f.error;
  EXPECT_EQ(vlmtest::EventLines(f, 0), expected);
}

// More events than the store keeps in one block, with exclusive messages and
// tempo events (kept apart from the short ones) among the notes.
TEST_F(SmfWriter, LongTrackWithLongEventsAmongShortOnes) {
  std::vector<std::string> expected;
  for (std::int32_t i = 0; i < 10000; ++i) {
    const std::int32_t time = (9999 - i) * 2;  // added in reverse
    if (i % 1000 == 0) {
      Event(1, time, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
      expected.push_back(std::to_string(time) + ": F0 7E 7F 09 01 F7");  // read back without its length
    } else if (i % 7 == 0) {
      Event(1, time, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
      expected.push_back(std::to_string(time) + ": FF 51 03 07 A1 20");
    } else {
      Event(1, time, {0xC0, static_cast<std::uint8_t>(i % 128)});
      char line[32];
      std::snprintf(line, sizeof line, "%d: C0 %02X", time, i % 128);
      expected.push_back(line);
    }
  }
  std::reverse(expected.begin(), expected.end());
  const auto f = vlmtest::ParseSmf(Write());
  ASSERT_TRUE(f.valid) << f.error;
  EXPECT_EQ(vlmtest::EventLines(f, 0), expected);
}

TEST_F(SmfWriter, HugeTimesStayAValidFile) {
  Event(0, INT32_MAX, {0x90, 1, 1});
  Event(0, -INT32_MAX, {0x80, 1, 1});
  const auto f = vlmtest::ParseSmf(Write());
  EXPECT_TRUE(f.valid) << f.error;
}

// A gap longer than a four-byte quantity holds is cut to the longest one;
// each later event moves back towards its own time by as much as one delta
// allows.
TEST_F(SmfWriter, LongGapsAreCutToTheLongestDelta) {
  Event(0, 5, {0x90, 1, 1});
  Event(0, 0x10000010, {0x80, 1, 1});
  Event(0, 0x10000011, {0x90, 2, 1});
  Event(0, INT32_MAX, {0x80, 2, 1});
  const auto f = vlmtest::ParseSmf(Write());
  ASSERT_TRUE(f.valid) << f.error;
  EXPECT_EQ(vlmtest::EventLines(f, 0), (std::vector<std::string>{"5: 90 01 01", "268435460: 80 01 01",
                                                                 "268435473: 90 02 01", "536870928: 80 02 01"}));
}

TEST_F(SmfWriter, RewritingReplacesTheFileAndLeavesNoTemporary) {
  Event(0, 0, {0x90, 1, 1});
  Write();
  smf.Reset();
  const auto bytes = Write();
  EXPECT_EQ(bytes.size(), 14u);
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    EXPECT_EQ(entry.path().filename(), "out.mid");
}

// The file in memory is the file on disk, "ok" follows either, and writing
// again gives the same bytes although equal times would be swapped by
// sorting again.
TEST_F(SmfWriter, BytesInMemoryAreTheFileOnDisk) {
  for (std::uint8_t k = 0; k < 9; ++k) Event(2, 0, {0x90, k, 1});
  Event(2, -5, {0xFF, 0x51, 3, 7, 0xA1, 0x20});
  Event(7, 300, {0xC1, 4});
  const auto onDisk = Write();
  const std::string inMemory = smf.WriteSmfBytes();
  EXPECT_EQ(std::vector<std::uint8_t>(inMemory.begin(), inMemory.end()), onDisk);
  EXPECT_EQ(messages, (std::vector<std::string>{"ok", "ok"}));
  const auto f = vlmtest::ParseSmf(onDisk);
  ASSERT_TRUE(f.valid) << f.error;
  EXPECT_EQ(vlmtest::EventLines(f, 1), (std::vector<std::string>{"300: C1 04"}));
  EXPECT_EQ(Write(), onDisk);
}

// A file that cannot be written ends the compile with the reason; no "ok".
TEST_F(SmfWriter, AFailedWriteIsReportedAndNotOk) {
  Event(0, 0, {0x90, 1, 1});
  EXPECT_THROW(smf.WriteSmf(dir + "/no-such-dir/out.mid"), vlm::CompileFailure);
  EXPECT_TRUE(messages.empty());
}

// A song written track by track, coming back to one of its tracks: every
// track of the file must end exactly as sorting its store after the compile
// leaves it (equal times in the sort's own order).
TEST(SmfWriterOnASong, TracksEndAsPlainSortingLeavesThem) {
  std::string source;
  for (int track = 1; track <= 4; ++track)
    source += "_tr(" + std::to_string(track) + ") l16 [3000 c d0g0e f c0 d0 e8 ]\n";
  source += "_tr(2) [50 g a ]\n_tr(5) [10 c ]\n";
  vlm::TSmf reference;
  reference.Reset();
  reference.Lines = {};
  for (std::size_t start = 0, end; (end = source.find('\n', start)) != std::string::npos; start = end + 1)
    reference.Lines.push_back(source.substr(start, end - start));
  reference.CompileLines();
  vlm::TSmf smf;
  std::vector<std::string> messages;
  const auto result = vlmtest::CompileWith(smf, messages, source);
  ASSERT_TRUE(result.smf.valid) << result.smf.error;
  for (int track = 1; track <= 5; ++track) {
    const vlm::Tivent& compiled = smf.TrackEvents[static_cast<std::size_t>(track)];
    const vlm::Tivent& left = reference.TrackEvents[static_cast<std::size_t>(track)];
    vlm::Tivent sorted;
    std::uint8_t bytes[vlm::Tivent::MaxEventBytes];
    std::int32_t time, len;
    for (std::int32_t i = 0; i < left.Count(); ++i) {
      left.GetEvent(i, time, bytes, len);
      sorted.Add(time, bytes, len);
    }
    sorted.Sort();
    ASSERT_EQ(compiled.Count(), sorted.Count()) << track;
    if (track <= 4) {
      ASSERT_GE(compiled.Count(), 32768) << "a large track";
    }
    std::uint8_t other[vlm::Tivent::MaxEventBytes];
    std::int32_t otherTime, otherLen;
    for (std::int32_t i = 0; i < compiled.Count(); ++i) {
      compiled.GetEvent(i, time, bytes, len);
      sorted.GetEvent(i, otherTime, other, otherLen);
      ASSERT_EQ(time, otherTime) << "track " << track << " event " << i;
      ASSERT_EQ(std::vector<std::uint8_t>(bytes, bytes + len), std::vector<std::uint8_t>(other, other + otherLen))
          << "track " << track << " event " << i;
    }
  }
}

// The compiler's stores take their memory only from the resource they are
// given, and whatever that memory held before, a song with chords (equal
// times), short events and controller curves compiles to the same file.
TEST(SmfWriterOnASong, EventMemoryIsGivenAndItsLeftoversChangeNothing) {
  const std::string source =
      "_tr(1) @3 l16 [400 c0e0g d e0g f ]\n"
      "_tr(2) CH=2 l8 [300 ACE(100,40,%96,0,1,0) c0f a c0 d ]\n";
  vlmtest::CountingResource fallback;
  std::pmr::memory_resource* const previous = std::pmr::set_default_resource(&fallback);
  std::vector<std::vector<std::uint8_t>> files;
  std::vector<std::vector<vlmtest::StoredEvent>> tracks;
  for (const std::uint8_t fill : {0x00, 0xFF, 0xA5}) {
    vlmtest::CountingResource memory(fill);
    vlm::TSmf smf;
    smf.SetEventStores({}, &memory);
    std::vector<std::string> messages;
    const auto result = vlmtest::CompileWith(smf, messages, source);
    ASSERT_TRUE(result.smf.valid) << result.smf.error;
    EXPECT_GT(memory.live, 2);
    files.push_back(result.bytes);
    tracks.push_back(vlmtest::ReadStore(smf.TrackEvents[1]));
    smf.SetEventStores({}, std::pmr::new_delete_resource());
    EXPECT_EQ(memory.live, 0);
  }
  std::pmr::set_default_resource(previous);
  EXPECT_EQ(fallback.allocations, 0);
  EXPECT_EQ(files[1], files[0]);
  EXPECT_EQ(files[2], files[0]);
  EXPECT_EQ(tracks[1], tracks[0]);
}

}  // namespace
