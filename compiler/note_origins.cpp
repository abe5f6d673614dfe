#include "compiler/note_origins.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace vlm {

// The memory goes back too: a compiler kept for the next compile should not
// hold a million notes' records in between.
void NoteOrigins::Clear() {
  for (TrackNotes& track : Kept) track = TrackNotes{};
  std::vector<std::uint32_t>().swap(Tags);
  std::vector<SourceOrigin>().swap(Origins);
  Listed.clear();
}

// All but the rare cases (a far record, more room, more marks) in a few
// instructions: it runs for every note.
void NoteOrigins::Add(std::size_t Track, std::int32_t Serial, const SourceOrigin& At) {
  TrackNotes& track = Kept[Track];
  const auto serial = static_cast<std::size_t>(Serial);
  const std::int64_t column = static_cast<std::int64_t>(At.Column) - track.Column;
  if (At.Line != track.Line || At.File != track.File || column < -Near || column > Near ||
      track.Size == track.Capacity || serial / 64 >= track.Marked.size()) {
    AddSlowly(track, serial, At);
    return;
  }
  track.Bytes[track.Size++] = static_cast<std::uint8_t>(column + Near);
  track.Column = At.Column;
  ++track.Count;
  track.Marked[serial / 64] |= std::uint64_t{1} << (serial % 64);
}

namespace {

std::uint8_t* PutVarint(std::uint8_t* At, std::uint64_t Value) {
  for (; Value >= 0x80; Value >>= 7) *At++ = static_cast<std::uint8_t>(Value | 0x80);
  *At++ = static_cast<std::uint8_t>(Value);
  return At;
}

// A difference of two int32 values, small either way as a small unsigned number.
std::uint8_t* PutDifference(std::uint8_t* At, std::int64_t Value) {
  return PutVarint(At, Value < 0 ? (static_cast<std::uint64_t>(-(Value + 1)) << 1) | 1 : static_cast<std::uint64_t>(Value) << 1);
}

// Bytes come from AddSlowly only, which wrote whole numbers.
std::int64_t GetDifference(const std::uint8_t*& At) {
  std::uint64_t value = 0;
  for (int shift = 0;; shift += 7) {
    const std::uint8_t byte = *At++;
    value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
    if (byte < 0x80) break;
  }
  return (value & 1) != 0 ? -static_cast<std::int64_t>(value >> 1) - 1 : static_cast<std::int64_t>(value >> 1);
}

}  // namespace

// The records grow by doubling: a million notes' records take about a
// megabyte, so the copies cost little beside the pages of eight-byte records.
void NoteOrigins::AddSlowly(TrackNotes& Track, std::size_t Serial, const SourceOrigin& At) {
  constexpr std::size_t MostRecordBytes = 1 + 2 * 10;  // Escape, two differences
  if (Track.Capacity - Track.Size < MostRecordBytes) {
    const std::size_t capacity = std::max<std::size_t>(4096, 2 * Track.Capacity);
    auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
    if (Track.Size > 0) std::copy(Track.Bytes.get(), Track.Bytes.get() + Track.Size, bytes.get());
    Track.Bytes = std::move(bytes);
    Track.Capacity = capacity;
  }
  if (Serial / 64 >= Track.Marked.size()) Track.Marked.resize(Serial / 64 + 1);
  if (At.File != Track.File) {
    Track.Files.push_back({Track.Count, At.File});
    Track.File = At.File;
  }
  std::uint8_t* at = Track.Bytes.get() + Track.Size;
  const std::int64_t column = static_cast<std::int64_t>(At.Column) - Track.Column;
  if (At.Line == Track.Line && column >= -Near && column <= Near) {
    *at++ = static_cast<std::uint8_t>(column + Near);
  } else {
    *at++ = Escape;
    at = PutDifference(at, static_cast<std::int64_t>(At.Line) - Track.Line);
    at = PutDifference(at, column);
  }
  Track.Size = static_cast<std::size_t>(at - Track.Bytes.get());
  Track.Line = At.Line;
  Track.Column = At.Column;
  ++Track.Count;
  Track.Marked[Serial / 64] |= std::uint64_t{1} << (Serial % 64);
}

void NoteOrigins::StartList() { Listed.clear(); }

// The track's tags are made in the buffer all tracks share and carried
// through its sort; ListTrack reads them and lets go of its records.
void NoteOrigins::SortTrack(std::size_t Track, Tivent& Store) {
  if (Kept[Track].Count == 0) {
    Store.Sort();
    return;
  }
  TagEvents(Kept[Track], Store.Count());
  Store.Sort(Tags.data());
}

void NoteOrigins::ListTrack(std::size_t Track, Tivent& Store) {
  if (Kept[Track].Count > 0) Unpack(Kept[Track]);
  WalkTrack(Track, Store);
  Kept[Track] = TrackNotes{};
  Store.Clear();
}

MappedNoteList NoteOrigins::TakeNotes() {
  std::vector<std::uint32_t>().swap(Tags);
  std::vector<SourceOrigin>().swap(Origins);
  return std::exchange(Listed, {});
}

void NoteOrigins::Unpack(const TrackNotes& Track) {
  Origins.resize(Track.Count);
  const std::uint8_t* at = Track.Bytes.get();
  std::int64_t line = 0;
  std::int64_t column = 0;
  std::int32_t file = 0;
  auto change = Track.Files.begin();
  for (std::size_t r = 0; r < Track.Count; ++r) {
    if (change != Track.Files.end() && change->First == r) file = (change++)->File;
    const std::uint8_t byte = *at++;
    if (byte != Escape) {
      column += static_cast<std::int64_t>(byte) - Near;
    } else {
      line += GetDifference(at);
      column += GetDifference(at);
    }
    Origins[r] = {file, static_cast<std::int32_t>(line), static_cast<std::int32_t>(column)};
  }
}

// The marked events take the records' numbers in the order added.
void NoteOrigins::TagEvents(const TrackNotes& Track, std::int32_t Events) {
  Tags.assign(static_cast<std::size_t>(Events), Untagged);
  std::uint32_t record = 0;
  for (std::size_t word = 0; word < Track.Marked.size(); ++word)
    for (std::uint64_t bits = Track.Marked[word]; bits != 0; bits &= bits - 1)
      Tags[word * 64 + static_cast<std::size_t>(std::countr_zero(bits))] = record++;
}

namespace {

// An origin's file past what MappedNote::File holds is no origin at all.
void SetOrigin(MappedNote& Note, const SourceOrigin& At) {
  if (At.File < 0 || At.File > UINT16_MAX) {
    Note.File = 0;
    Note.Line = 0;
    Note.Column = 0;
    return;
  }
  Note.File = static_cast<std::uint16_t>(At.File);
  Note.Line = At.Line;
  Note.Column = At.Column;
}

// A note-on's fields in an event word: whether it is one, its number, and
// whether it sounds (velocity above 0).
bool IsNoteOn(std::uint32_t Body) { return (Body & 0xF0FF) == 0x9003; }
std::int32_t NoteOf(std::uint32_t Body) { return static_cast<std::int32_t>((Body >> 16) & 0x7F); }
bool Sounds(std::uint32_t Body) { return (Body >> 24) != 0; }

}  // namespace

// Each note-on is listed with its own tag's origin as it is met. The
// note-ons of one time (a group) are watched for a repeated note number,
// and only such a group is walked again, by Reassign: chords and unisons
// rarely repeat a number. The events before a group are read no more, and
// their chunks go back as the walk passes them: the list's chunks, of the
// same size, take their memory instead of fresh pages. The walk's state is
// kept in locals: kept in members, or walked inside the track writer's loop,
// every store of a byte made the machine load it again.
void NoteOrigins::WalkTrack(std::size_t Track, Tivent& Store) {
  const bool tagged = Kept[Track].Count > 0;
  const std::uint32_t* const tags = Tags.data();
  const SourceOrigin* const origins = Origins.data();
  std::uint64_t seenLow = 0, seenHigh = 0;  // note numbers in the group, below and from 64
  bool repeated = false;
  std::int32_t groupTime = 0;
  std::int32_t groupEvent = 0;               // the group's first event
  std::size_t groupListed = Listed.size();   // and its first entry in Listed
  std::int64_t previous = 0;                 // the file's time, as the writer accumulates it
  std::int32_t index = 0;
  std::int32_t releaseFrom = ChunkedWords::ChunkWords;  // the first event whose group releases chunks
  Store.ForEachEvent([&](std::uint64_t word) {
    const std::int32_t event = index++;
    const std::int32_t time = SortWordTime(word);
    previous += std::clamp<std::int64_t>(std::max(time, 0) - previous, 0, 0x0FFFFFFF);
    const std::uint32_t body = SortWordBody(word);
    if (!IsNoteOn(body)) return;
    const std::uint32_t tag = tagged ? tags[event] : Untagged;
    const bool sounding = Sounds(body);
    if (!sounding && tag == Untagged) return;
    if (time != groupTime) {
      if (repeated) Reassign(Store, tagged, groupEvent, event, groupListed);
      seenLow = seenHigh = 0;
      repeated = false;
      groupTime = time;
      groupEvent = event;
      groupListed = Listed.size();
      if (event >= releaseFrom) {
        Store.ReleaseBefore(event);
        releaseFrom = (event / ChunkedWords::ChunkWords + 1) * ChunkedWords::ChunkWords;
      }
    }
    const std::int32_t note = NoteOf(body);
    std::uint64_t& seen = note < 64 ? seenLow : seenHigh;
    const std::uint64_t bit = std::uint64_t{1} << (note & 63);
    repeated = repeated || (seen & bit) != 0;
    seen |= bit;
    if (!sounding) return;
    MappedNote listed;
    listed.Tick = static_cast<std::int32_t>(previous);
    listed.Track = static_cast<std::uint8_t>(Track);
    listed.Note = static_cast<std::uint8_t>(note);
    if (tag != Untagged) SetOrigin(listed, origins[tag]);
    Listed.push_back(listed);
  });
  if (repeated) Reassign(Store, tagged, groupEvent, index, groupListed);
}

// Notes of equal time and number are alike in the file, so the K-th of them
// in the file takes the origin of the K-th of them added (the lowest tag
// first), whichever order the sort left them in. A note-on of velocity 0
// takes no entry but gives up its tag.
void NoteOrigins::Reassign(const Tivent& Store, bool Tagged, std::int32_t FirstEvent, std::int32_t EndEvent,
                           std::size_t FirstListed) {
  struct Pending {
    std::uint32_t Tag;  // its record, or none
    std::int32_t Note;
    std::size_t Out;    // its entry in Listed, or SIZE_MAX for a note-on of velocity 0
  };
  std::vector<Pending> group;
  std::size_t out = FirstListed;
  std::array<std::uint8_t, Tivent::MaxEventBytes> bytes;
  for (std::int32_t event = FirstEvent; event < EndEvent; ++event) {
    std::int32_t time = 0;
    std::int32_t length = 0;
    Store.GetEvent(event, time, bytes.data(), length);
    if (length != 3 || (bytes[0] & 0xF0) != 0x90) continue;
    const std::uint32_t tag = Tagged ? Tags[static_cast<std::size_t>(event)] : Untagged;
    const bool sounding = bytes[2] != 0;
    if (!sounding && tag == Untagged) continue;
    group.push_back({tag, bytes[1] & 0x7F, sounding ? out++ : SIZE_MAX});
  }
  std::stable_sort(group.begin(), group.end(), [](const Pending& a, const Pending& b) { return a.Note < b.Note; });
  std::vector<std::uint32_t> tags;
  for (std::size_t first = 0, end = 0; first < group.size(); first = end) {
    tags.clear();
    for (end = first; end < group.size() && group[end].Note == group[first].Note; ++end)
      if (group[end].Tag != Untagged) tags.push_back(group[end].Tag);
    std::sort(tags.begin(), tags.end());
    std::size_t next = 0;
    for (std::size_t k = first; k < end; ++k) {
      if (group[k].Out == SIZE_MAX) continue;
      MappedNote& listed = Listed[group[k].Out];
      if (next < tags.size()) {
        SetOrigin(listed, Origins[tags[next++]]);
      } else {
        listed.File = 0;
        listed.Line = 0;
        listed.Column = 0;
      }
    }
  }
}

}  // namespace vlm
