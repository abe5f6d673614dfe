#include "compiler/note_origins.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {

using vlm::MappedNote;
using vlm::NoteOrigins;
using vlm::SourceOrigin;
using vlm::Tivent;

// A recorded note-on; its velocity names it, and its origin's column is that
// name, so that a note can be checked against the event it is.
void AddNote(Tivent& Store, NoteOrigins& Map, std::size_t Track, std::int32_t Time, std::uint8_t Note,
             std::uint8_t Name) {
  const std::uint8_t bytes[3] = {0x90, Note, Name};
  const std::int32_t serial = Store.Count();
  Store.Add(Time, bytes, 3);
  Map.Add(Track, serial, SourceOrigin{0, 1, Name});
}

void AddOff(Tivent& Store, std::int32_t Time, std::uint8_t Note) {
  const std::uint8_t bytes[3] = {0x80, Note, 64};
  Store.Add(Time, bytes, 3);
}

// As the writer lists them: track by track, the empty ones left out, each
// sorted, then listed (which empties it).
vlm::MappedNoteList Walk(std::array<Tivent, NoteOrigins::Tracks>& Stores, NoteOrigins& Map) {
  Map.StartList();
  for (std::size_t t = 0; t < Stores.size(); ++t) {
    if (Stores[t].Count() == 0) continue;
    Map.SortTrack(t, Stores[t]);
    Map.ListTrack(t, Stores[t]);
    EXPECT_EQ(Stores[t].Count(), 0);
  }
  return Map.TakeNotes();
}

// Chords of distinct notes, added out of order and with note-offs at the
// same times, come out in the sorted order, each with its own origin; the
// file's ticks are those the writer gives (negative times as 0).
TEST(NoteOrigins, EachNoteKeepsItsOwnOriginThroughTheSort) {
  auto stores = std::make_unique<std::array<Tivent, NoteOrigins::Tracks>>();
  NoteOrigins map;
  NoteOrigins unused;
  Tivent twin;  // the same events, sorted without tags: the file's order
  std::uint8_t name = 1;
  for (std::int32_t bar = 40; bar >= -2; --bar) {
    for (std::uint8_t note = 60; note < 64; ++note) {
      AddNote((*stores)[3], map, 3, bar * 12, note, name);
      AddNote(twin, unused, 3, bar * 12, note, name++);
    }
    for (std::uint8_t note = 60; note < 64; ++note) {
      AddOff((*stores)[3], bar * 12 + 12, note);
      AddOff(twin, bar * 12 + 12, note);
    }
  }
  const auto notes = Walk(*stores, map);
  twin.Sort();
  ASSERT_EQ(notes.size(), 43u * 4);
  std::vector<std::int32_t> ticks;
  for (const MappedNote& n : notes) {
    ASSERT_EQ(n.Track, 3);
    ticks.push_back(n.Tick);
  }
  // The note-on at each place has the velocity its origin names.
  std::int32_t event = 0;
  twin.ForEachEvent([&](std::uint64_t word) {
    const std::uint32_t body = vlm::SortWordBody(word);
    if (((body >> 8) & 0xF0) != 0x90) return;
    const MappedNote& n = notes[static_cast<std::size_t>(event++)];
    EXPECT_EQ(n.Note, static_cast<std::int32_t>((body >> 16) & 0x7F));
    EXPECT_EQ(n.At(), (SourceOrigin{0, 1, static_cast<std::int32_t>(body >> 24)}));
    EXPECT_EQ(n.Tick, std::max(vlm::SortWordTime(word), 0));
  });
  EXPECT_EQ(event, 43 * 4);
  EXPECT_TRUE(std::is_sorted(ticks.begin(), ticks.end()));
}

// Notes of the same time and number are alike in the file: the first of
// them in the file takes the first origin added, whichever the sort put
// first. A note-on of velocity 0 is a note-off and is left out; a note-on
// nothing recorded has an unknown origin.
TEST(NoteOrigins, AlikeNotesTakeTheirOriginsInTheOrderAdded) {
  auto stores = std::make_unique<std::array<Tivent, NoteOrigins::Tracks>>();
  NoteOrigins map;
  Tivent& store = (*stores)[0];
  for (std::uint8_t k = 1; k <= 5; ++k) {
    AddNote(store, map, 0, 96, 60, k);
    AddOff(store, 96, 61);
  }
  AddNote(store, map, 0, 96, 62, 0);  // velocity 0
  const std::uint8_t raw[3] = {0x90, 64, 100};
  store.Add(96, raw, 3);
  const auto notes = Walk(*stores, map);
  ASSERT_EQ(notes.size(), 6u);
  std::vector<std::int32_t> columns;
  for (const MappedNote& n : notes) {
    EXPECT_EQ(n.Tick, 96);
    if (n.Note == 60) columns.push_back(n.Column);
    if (n.Note == 64) {
      EXPECT_EQ(n.Line, 0);
    }
  }
  EXPECT_EQ(columns, (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
}

// Alike notes at a track's very first time, on a track listed after
// another's, are handed their origins among themselves, the other track's
// notes left as they were; a note-on of velocity 0 among them gives up its
// origin to the sounding notes first.
TEST(NoteOrigins, AlikeNotesOnALaterTrackKeepToThatTrack) {
  auto stores = std::make_unique<std::array<Tivent, NoteOrigins::Tracks>>();
  NoteOrigins map;
  AddNote((*stores)[0], map, 0, 0, 60, 1);
  AddNote((*stores)[0], map, 0, 0, 60, 2);
  Tivent& later = (*stores)[2];
  AddNote(later, map, 2, 0, 60, 0);  // velocity 0, added first
  for (std::uint8_t k = 3; k <= 6; ++k) {
    AddNote(later, map, 2, 0, 60, k);
    AddOff(later, 0, 61);
  }
  const auto notes = Walk(*stores, map);
  ASSERT_EQ(notes.size(), 6u);
  std::vector<std::int32_t> columns;
  for (const MappedNote& n : notes) columns.push_back(n.Column);
  EXPECT_EQ(columns, (std::vector<std::int32_t>{1, 2, 0, 3, 4, 5}));
  EXPECT_EQ(notes[2].Track, 2);
}

// A record is a byte while the column moves at most 127 either way on one
// line; further moves, other lines and the extremes of both are kept exactly.
TEST(NoteOrigins, NearAndFarOriginsAreKeptExactly) {
  auto stores = std::make_unique<std::array<Tivent, NoteOrigins::Tracks>>();
  NoteOrigins map;
  constexpr std::int32_t most = INT32_MAX, least = INT32_MIN;
  const std::vector<SourceOrigin> origins = {
      {0, 1, 1},    {0, 1, 128},  {0, 1, 1},     {0, 1, 129},   {0, 1, 1},     {0, 2, 1},   {0, 1, 1},
      {0, 1, -126}, {0, most, most}, {0, least, least}, {0, most, least}, {0, 0, 0}, {3, 0, 127}, {3, 0, 0}};
  Tivent& store = (*stores)[9];
  for (std::size_t k = 0; k < origins.size(); ++k) {
    const std::uint8_t on[3] = {0x90, static_cast<std::uint8_t>(k), 100};
    map.Add(9, store.Count(), origins[k]);
    store.Add(static_cast<std::int32_t>(k), on, 3);
  }
  const auto notes = Walk(*stores, map);
  ASSERT_EQ(notes.size(), origins.size());
  for (std::size_t k = 0; k < origins.size(); ++k) EXPECT_EQ(notes[k].At(), origins[k]) << k;
}

// Notes on tracks apart, and notes added to a track after another track's,
// are found all the same.
TEST(NoteOrigins, NotesOnOtherTracksAreFound) {
  auto stores = std::make_unique<std::array<Tivent, NoteOrigins::Tracks>>();
  NoteOrigins map;
  std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> names;  // (track, note) -> name
  std::uint8_t name = 1;
  for (std::size_t track : {0u, 127u}) {
    for (std::int32_t i = 0; i < 20; ++i) {
      const auto note = static_cast<std::uint8_t>(30 + i);
      AddNote((*stores)[track], map, track, 200 - i * 10, note, name);
      names[{static_cast<std::int32_t>(track), note}] = name++;
    }
  }
  for (std::int32_t i = 0; i < 20; ++i) {
    const auto note = static_cast<std::uint8_t>(80 + i);
    AddNote((*stores)[0], map, 0, 5 + i * 3, note, name);
    names[{0, note}] = name++;
  }
  const auto notes = Walk(*stores, map);
  ASSERT_EQ(notes.size(), 60u);
  for (const MappedNote& n : notes) EXPECT_EQ(n.Column, (names[{n.Track, n.Note}])) << n.Track << " " << n.Note;
  EXPECT_EQ(notes[0].Track, 0);
  EXPECT_EQ(notes[notes.size() - 1].Track, 127);
}

// Many notes against the time, between other events and in files that
// change now and then: the records span several chunks and the marks many
// words. Each note's column names its tick.
TEST(NoteOrigins, ManyNotesAmongOtherEventsKeepTheirOrigins) {
  auto stores = std::make_unique<std::array<Tivent, NoteOrigins::Tracks>>();
  NoteOrigins map;
  Tivent& store = (*stores)[5];
  constexpr std::int32_t count = 10007;
  std::vector<std::int32_t> fileAt(count);  // by time
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t time = (i * 7919) % count;  // every time once, out of order
    const std::uint8_t controller[3] = {0xB0, 7, static_cast<std::uint8_t>(i % 128)};
    for (std::int32_t k = 0; k < i % 3; ++k) store.Add(time, controller, 3);
    const std::uint8_t on[3] = {0x90, static_cast<std::uint8_t>(i % 128), 100};
    fileAt[static_cast<std::size_t>(time)] = (i / 700) % 3 == 1 ? i / 700 : 0;
    map.Add(5, store.Count(), SourceOrigin{fileAt[static_cast<std::size_t>(time)], 2, time + 1});
    store.Add(time, on, 3);
    AddOff(store, time + 1, static_cast<std::uint8_t>(i % 128));
  }
  const auto notes = Walk(*stores, map);
  ASSERT_EQ(notes.size(), static_cast<std::size_t>(count));
  for (std::size_t k = 0; k < notes.size(); ++k) {
    ASSERT_EQ(notes[k].Tick, static_cast<std::int32_t>(k));
    ASSERT_EQ(notes[k].At(), (SourceOrigin{fileAt[k], 2, notes[k].Tick + 1}));
  }
}

// Alike notes of one time on either side of the store's chunk boundaries,
// behind runs of other events: the walk lets go of the chunks it has passed
// while such a group is still open, and the group's notes still take their
// origins in the order added.
TEST(NoteOrigins, AlikeNotesAcrossTheStoresChunksKeepTheirOrigins) {
  auto stores = std::make_unique<std::array<Tivent, NoteOrigins::Tracks>>();
  NoteOrigins map;
  Tivent& store = (*stores)[1];
  const std::uint8_t controller[3] = {0xB0, 7, 100};
  std::vector<std::int32_t> expected;  // columns in the order of the file
  std::int32_t column = 1;
  for (std::int32_t time = 0; time < 12; ++time) {
    for (std::int32_t k = 0; k < 1500 + 300 * time; ++k) store.Add(time, controller, 3);
    // Ten alike notes, with the controllers of the next time between them.
    for (std::int32_t k = 0; k < 10; ++k) {
      const std::uint8_t on[3] = {0x90, 60, 100};
      map.Add(1, store.Count(), SourceOrigin{0, 1, column});
      store.Add(time, on, 3);
      expected.push_back(column++);
      for (std::int32_t c = 0; c < 97; ++c) store.Add(time, controller, 3);
    }
  }
  ASSERT_GT(store.Count(), 8 * vlm::ChunkedWords::ChunkWords);
  const auto notes = Walk(*stores, map);
  ASSERT_EQ(notes.size(), expected.size());
  for (std::size_t k = 0; k < notes.size(); ++k) {
    EXPECT_EQ(notes[k].Column, expected[k]) << k;
    EXPECT_EQ(notes[k].Tick, static_cast<std::int32_t>(k / 10));
  }
}

// A file index past what a mapped note can hold gives no origin rather than
// another file's.
TEST(NoteOrigins, AnOriginInAFileTooFarOnIsNoOrigin) {
  auto stores = std::make_unique<std::array<Tivent, NoteOrigins::Tracks>>();
  NoteOrigins map;
  AddNote((*stores)[0], map, 0, 0, 60, 9);
  const std::uint8_t on[3] = {0x90, 62, 100};
  map.Add(0, (*stores)[0].Count(), SourceOrigin{65536, 4, 5});
  (*stores)[0].Add(1, on, 3);
  map.Add(0, (*stores)[0].Count(), SourceOrigin{65535, 6, 7});
  (*stores)[0].Add(2, on, 3);
  const auto notes = Walk(*stores, map);
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_EQ(notes[0].At(), (SourceOrigin{0, 1, 9}));
  EXPECT_EQ(notes[1].At(), SourceOrigin{});
  EXPECT_EQ(notes[2].At(), (SourceOrigin{65535, 6, 7}));
}

}  // namespace
