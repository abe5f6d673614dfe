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
  std::vector<MappedNote>().swap(Listed);
}

// All but the rare cases (a new chunk, more marks, a change of file) in a
// few instructions: it runs for every note.
void NoteOrigins::Add(std::size_t Track, std::int32_t Serial, const SourceOrigin& At) {
  TrackNotes& track = Kept[Track];
  const auto serial = static_cast<std::size_t>(Serial);
  if (track.Free == 0 || serial / 64 >= track.Marked.size() || At.File != track.File) MakeRoom(track, serial, At.File);
  *track.Tail++ = {At.Line, At.Column};
  --track.Free;
  ++track.Count;
  track.Marked[serial / 64] |= std::uint64_t{1} << (serial % 64);
}

void NoteOrigins::MakeRoom(TrackNotes& Track, std::size_t Serial, std::int32_t File) {
  if (Track.Free == 0) {
    Track.Chunks.push_back(std::make_unique_for_overwrite<Place[]>(ChunkRecords));
    Track.Tail = Track.Chunks.back().get();
    Track.Free = ChunkRecords;
  }
  if (Serial / 64 >= Track.Marked.size()) Track.Marked.resize(Serial / 64 + 1);
  if (File != Track.File) {
    Track.Files.push_back({Track.Count, File});
    Track.File = File;
  }
}

std::int32_t NoteOrigins::TrackNotes::FileOf(std::size_t R) const {
  const auto after = std::upper_bound(Files.begin(), Files.end(), R,
                                      [](std::size_t r, const FileChange& change) { return r < change.First; });
  return after == Files.begin() ? 0 : (after - 1)->File;
}

// The list is reserved for every record; only note-ons nothing recorded,
// which few sources write, can make it grow.
void NoteOrigins::StartList() {
  std::size_t records = 0;
  for (const TrackNotes& track : Kept) records += track.Count;
  Listed.clear();
  Listed.reserve(records);
}

// The track's tags are made in the buffer all tracks share, carried through
// its sort and read by its walk, and then its records are let go of.
void NoteOrigins::SortAndListTrack(std::size_t Track, Tivent& Store) {
  if (Kept[Track].Count == 0) {
    Store.Sort();
  } else {
    TagEvents(Kept[Track], Store.Count());
    Store.Sort(Tags.data());
  }
  WalkTrack(Track, Store);
  Kept[Track] = TrackNotes{};
}

std::vector<MappedNote> NoteOrigins::TakeNotes() {
  std::vector<std::uint32_t>().swap(Tags);
  return std::exchange(Listed, {});
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

// A note-on of one time, while its time's events are walked.
struct Pending {
  std::uint32_t Tag;  // its record, or none
  std::int32_t Note;
  std::size_t Out;    // its entry in the notes listed, or SIZE_MAX for a note-on of velocity 0
};

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

}  // namespace

// The note-ons of one time are gathered until the time changes. Mostly
// their note numbers differ and each keeps its own tag's origin, given as it
// is met; where a number repeats, that number's tags are handed out again
// in the order added.
void NoteOrigins::WalkTrack(std::size_t Track, const Tivent& Store) {
  const TrackNotes& kept = Kept[Track];
  const bool tagged = kept.Count > 0;
  std::vector<Pending> group;
  std::array<std::uint64_t, 2> seen{};  // note numbers in the group
  bool repeated = false;
  auto originOf = [&](std::uint32_t Tag) { return Tag == Untagged ? SourceOrigin{} : kept[Tag]; };
  auto reassign = [&] {
    std::stable_sort(group.begin(), group.end(), [](const Pending& a, const Pending& b) { return a.Note < b.Note; });
    std::vector<std::uint32_t> tags;
    for (std::size_t first = 0, end = 0; first < group.size(); first = end) {
      tags.clear();
      for (end = first; end < group.size() && group[end].Note == group[first].Note; ++end)
        if (group[end].Tag != Untagged) tags.push_back(group[end].Tag);
      std::sort(tags.begin(), tags.end());
      std::size_t next = 0;
      for (std::size_t k = first; k < end; ++k)
        if (group[k].Out != SIZE_MAX)
          SetOrigin(Listed[group[k].Out], next < tags.size() ? originOf(tags[next++]) : SourceOrigin{});
    }
  };
  std::int64_t previous = 0;  // the file's time, as the writer accumulates it
  std::int32_t groupTime = 0;
  std::size_t index = 0;
  Store.ForEachEvent([&](std::uint64_t word) {
    const std::size_t event = index++;
    const std::int32_t time = SortWordTime(word);
    previous += std::clamp<std::int64_t>(std::max(time, 0) - previous, 0, 0x0FFFFFFF);
    const std::uint32_t body = SortWordBody(word);
    if ((body & 0xF0FF) != 0x9003) return;  // three bytes, a note-on
    const std::uint32_t tag = tagged ? Tags[event] : Untagged;
    const auto note = static_cast<std::int32_t>((body >> 16) & 0x7F);
    const bool sounding = (body >> 24) != 0;
    if (!sounding && tag == Untagged) return;
    if (time != groupTime && !group.empty()) {
      if (repeated) reassign();
      group.clear();
      seen = {};
      repeated = false;
    }
    groupTime = time;
    std::size_t out = SIZE_MAX;
    if (sounding) {
      out = Listed.size();
      MappedNote& listed = Listed.emplace_back();
      listed.Tick = static_cast<std::int32_t>(previous);
      listed.Track = static_cast<std::uint8_t>(Track);
      listed.Note = static_cast<std::uint8_t>(note);
      SetOrigin(listed, originOf(tag));
    }
    std::uint64_t& bits = seen[static_cast<std::size_t>(note) >> 6];
    const std::uint64_t bit = std::uint64_t{1} << (note & 63);
    repeated = repeated || (bits & bit) != 0;
    bits |= bit;
    group.push_back({tag, note, out});
  });
  if (repeated) reassign();
}

}  // namespace vlm
