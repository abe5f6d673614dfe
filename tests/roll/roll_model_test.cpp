// The roll's notes, bends, grid and rectangles against the compiler's MIDI
// files as midicsv reads them.
#include "roll/roll_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "compiler/mml_compiler.h"
#include "roll/roll_layout.h"
#include "tests/roll/midicsv_notes.h"

namespace {

using vlm::roll::RollModel;

vlm::CompileResult Compile(const std::string& text) {
  vlm::CompileOptions options;
  options.Seed = 1;
  options.SourceMap = true;
  return vlm::CompileMmlText(text, options);
}

// Three tracks on three channels, chords, ties, a loop, gates and velocities:
// every note must come out as midicsv hears it.
TEST(RollNotes, MatchTheMidiFileAsMidicsvReadsIt) {
  const vlm::CompileResult result = Compile(
      "t132 l8 q6 v90 [2 c d e0g f^^ ]\n"
      "_tr(1) CH=2 o3 v40 c4. r8 c+16 d16 q8 e2\n"
      "_tr(2) CH=3 o6 !=127 l16 [4 c e g ] _tr(0) a b\n");
  ASSERT_EQ(result.ErrorLines, 0);
  const vlmtest::CsvFile csv = vlmtest::ReadWithMidicsv(result.MidiBytes);
  ASSERT_TRUE(csv.read) << "midicsv must be installed";
  const RollModel model = RollModel::FromMidi(result.MidiBytes, &*result.Map);
  EXPECT_EQ(model.Timebase(), csv.timebase);
  ASSERT_EQ(model.Notes().size(), csv.notes.size());
  std::vector<vlmtest::CsvNote> seen;
  for (const auto& n : model.Notes())
    seen.push_back({n.Track, n.Channel, n.Pitch, n.Velocity, n.StartTick, n.LengthTicks});
  std::stable_sort(seen.begin(), seen.end());
  for (std::size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE("note " + std::to_string(i));
    // Tracks 0, 1 and 2 all have notes, so their chunks are 0, 1 and 2.
    EXPECT_EQ(seen[i].chunk, csv.notes[i].chunk);
    EXPECT_EQ(seen[i].channel, csv.notes[i].channel);
    EXPECT_EQ(seen[i].pitch, csv.notes[i].pitch);
    EXPECT_EQ(seen[i].velocity, csv.notes[i].velocity);
    EXPECT_EQ(seen[i].start, csv.notes[i].start);
    EXPECT_EQ(seen[i].length, csv.notes[i].length);
  }
  EXPECT_TRUE(std::is_sorted(model.Notes().begin(), model.Notes().end(),
                             [](const auto& a, const auto& b) { return a.StartTick < b.StartTick; }));
  EXPECT_EQ(model.LowestPitch(), std::min_element(csv.notes.begin(), csv.notes.end(), [](auto& a, auto& b) { return a.pitch < b.pitch; })->pitch);
  EXPECT_EQ(model.HighestPitch(), std::max_element(csv.notes.begin(), csv.notes.end(), [](auto& a, auto& b) { return a.pitch < b.pitch; })->pitch);
}

TEST(RollNotes, RectanglesPlaceEachNoteByItsTicksAndPitchInTrackColours) {
  const vlm::CompileResult result = Compile("l4 o4 c d8 e16\n_tr(1) CH=2 o5 g2 _tr(3) CH=4 o2 b1\n");
  const vlmtest::CsvFile csv = vlmtest::ReadWithMidicsv(result.MidiBytes);
  ASSERT_TRUE(csv.read);
  const RollModel model = RollModel::FromMidi(result.MidiBytes, &*result.Map);
  // 48 pixels a quarter, 10 a semitone; the top row two above the highest note.
  const vlm::roll::RollLayout layout = vlm::roll::FitPitches(model, 10, 48);
  const int highest = std::max_element(csv.notes.begin(), csv.notes.end(), [](auto& a, auto& b) { return a.pitch < b.pitch; })->pitch;
  std::set<std::tuple<double, double, double, int>> expected, drawn;
  const int trackOfChunk[] = {0, 1, 3};  // tracks with notes, one chunk each in order
  for (const auto& n : csv.notes) {
    const double x = layout.GutterWidth + n.start * 48.0 / csv.timebase;
    const double y = (highest + 2 - n.pitch) * 10.0;
    expected.insert({x, y, n.length * 48.0 / csv.timebase, trackOfChunk[n.chunk]});
  }
  for (const auto& n : model.Notes()) {
    const vlm::roll::NoteRect r = layout.RectOf(n);
    EXPECT_DOUBLE_EQ(r.Height, 10);
    drawn.insert({r.X, r.Y, r.Width, n.Track});
  }
  EXPECT_EQ(drawn, expected);
  // One colour a track: the three tracks differ.
  std::set<std::tuple<int, int, int>> colours;
  for (int track : {0, 1, 3}) {
    const vlm::roll::Rgb c = vlm::roll::TrackColour(track);
    colours.insert({c.R, c.G, c.B});
  }
  EXPECT_EQ(colours.size(), 3u);
  // Hit testing finds each note at its rectangle's middle.
  for (std::size_t i = 0; i < model.Notes().size(); ++i) {
    const vlm::roll::NoteRect r = layout.RectOf(model.Notes()[i]);
    EXPECT_EQ(layout.NoteAt(model, r.X + r.Width / 2, r.Y + r.Height / 2), i);
  }
  EXPECT_FALSE(layout.NoteAt(model, layout.GutterWidth + 1, 1).has_value());
}

TEST(RollBends, CurvesFollowThePitchBendEventsInSemitones) {
  // A bend-up curve before the note, then a fixed bend on the next.
  const vlm::CompileResult result = Compile("BR=2 l4 ACB(0,64,,0,,0)c B=100 d B=64 e\n");
  const vlmtest::CsvFile csv = vlmtest::ReadWithMidicsv(result.MidiBytes);
  ASSERT_TRUE(csv.read);
  ASSERT_FALSE(csv.bends.empty());
  const RollModel model = RollModel::FromMidi(result.MidiBytes, &*result.Map, 2);
  ASSERT_EQ(model.Curves().size(), 1u);
  for (const auto& bend : csv.bends)
    EXPECT_NEAR(model.Curves()[0].SemitonesAt(bend.tick), (bend.raw - 8192) / 8192.0 * 2, 1e-9) << bend.tick;
  for (const auto& note : model.Notes()) EXPECT_EQ(note.BendCurve, 0);
}

TEST(RollGrid, BarsAndBeatsFromTheTimebaseAndTimeTicksFromTheTempo) {
  const vlm::CompileResult result = Compile("#timebase 480\nt150 c1 c1\n");
  const RollModel model = RollModel::FromMidi(result.MidiBytes);
  ASSERT_EQ(model.Timebase(), 480);
  const auto grid = model.Grid(0, 1920);
  ASSERT_EQ(grid.size(), 5u);  // 4/4 without a time signature: a beat a quarter, a bar four
  for (std::size_t i = 0; i < grid.size(); ++i) {
    EXPECT_EQ(grid[i].Tick, static_cast<std::int64_t>(i) * 480);
    EXPECT_EQ(grid[i].Bar, i % 4 == 0);
  }
  // 150 quarters a minute: one second is 2.5 quarters, 1200 ticks.
  EXPECT_EQ(model.TickAtSeconds(1.0), 1200);
  EXPECT_EQ(model.TickAtSeconds(0.0), 0);
  EXPECT_DOUBLE_EQ(model.SecondsAtTick(1200), 1.0);
}

// Seconds from ticks through a tempo change: 120 quarters a minute, then 60
// from three ticks before the second note (where the compiler puts a tempo).
TEST(RollGrid, SecondsAtATickFollowTheTempoChanges) {
  const RollModel model = RollModel::FromMidi(Compile("t120 c4 t60 c4 c4\n").MidiBytes);
  const std::int64_t quarter = model.Timebase();
  const std::int64_t change = quarter - 3;
  const double fast = 0.5 / static_cast<double>(quarter), slow = 1.0 / static_cast<double>(quarter);
  EXPECT_DOUBLE_EQ(model.SecondsAtTick(quarter / 2), 0.25);
  EXPECT_DOUBLE_EQ(model.SecondsAtTick(change), static_cast<double>(change) * fast);
  EXPECT_DOUBLE_EQ(model.SecondsAtTick(change + quarter), static_cast<double>(change) * fast + 1.0);
  EXPECT_EQ(model.TickAtSeconds(static_cast<double>(change) * fast + 0.5 + slow / 2), change + quarter / 2);
}

TEST(RollNotes, VisibleRangeFindsEverySoundingNoteOfALongSong) {
  std::string song = "l16 ";
  for (int i = 0; i < 400; ++i) song += i % 7 == 0 ? "c1 " : "d e ";
  const vlm::CompileResult result = Compile(song);
  const RollModel model = RollModel::FromMidi(result.MidiBytes);
  for (std::int64_t from : {0, 5000, 20000, 60000}) {
    const std::int64_t to = from + 700;
    const auto [first, last] = model.CandidateRange(from, to);
    for (std::size_t i = 0; i < model.Notes().size(); ++i) {
      const auto& n = model.Notes()[i];
      const bool sounds = n.StartTick < to && n.StartTick + n.LengthTicks >= from;
      if (sounds) {
        EXPECT_TRUE(i >= first && i < last) << "note " << i << " at " << n.StartTick;
      }
    }
  }
}

// A playhead hears a note from its start up to, not including, its end; a
// chord's notes together, and a long note under the short ones after it.
TEST(RollNotes, TheNotesSoundingAtAPlayhead) {
  const vlm::CompileResult result = Compile("q16 l4 o4 c e0g d\n_tr(1) o3 c1\n");
  const RollModel model = RollModel::FromMidi(result.MidiBytes);
  const auto pitchesAt = [&](std::int64_t tick) {
    std::vector<std::int32_t> pitches;
    for (const std::size_t k : model.NotesSoundingAt(tick)) pitches.push_back(model.Notes()[k].Pitch);
    std::sort(pitches.begin(), pitches.end());
    return pitches;
  };
  const std::int64_t quarter = model.Timebase();
  EXPECT_EQ(pitchesAt(0), (std::vector<std::int32_t>{36, 48}));
  EXPECT_EQ(pitchesAt(quarter + 1), (std::vector<std::int32_t>{36, 52, 55}));
  EXPECT_EQ(pitchesAt(2 * quarter + quarter / 2), (std::vector<std::int32_t>{36, 50}));
  EXPECT_EQ(pitchesAt(4 * quarter + 1), std::vector<std::int32_t>{});
}

TEST(RollNotes, BytesThatAreNoMidiFileAreRefused) {
  const vlm::CompileResult result = Compile("c d e\n");
  EXPECT_THROW(RollModel::FromMidi(result.MidiBytes.substr(0, result.MidiBytes.size() - 5)), vlm::roll::SmfReadError);
  EXPECT_THROW(RollModel::FromMidi("RIFF....WAVE"), vlm::roll::SmfReadError);
  EXPECT_THROW(RollModel::FromMidi(""), vlm::roll::SmfReadError);
}

}  // namespace
