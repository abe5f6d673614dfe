#include "compiler/note_origins.h"

#include <algorithm>

namespace vlm {

// The memory goes back too: a compiler kept for the next compile should not
// hold a million notes' records in between.
void NoteOrigins::Clear() {
  for (TrackNotes& track : Kept) {
    track.Chunks.clear();
    track.Count = 0;
    std::vector<std::uint32_t>().swap(track.Tags);
    track.Tagged = 0;
  }
}

// Events added since the last sort stand after the sorted ones in the order
// added, so the event numbered Serial is at Serial: their tags go there.
void NoteOrigins::Sort(std::size_t Track, Tivent& Store) {
  TrackNotes& track = Kept[Track];
  if (track.Count == 0) {
    Store.Sort();
    return;
  }
  track.Tags.resize(static_cast<std::size_t>(Store.Count()), Untagged);
  for (; track.Tagged < track.Count; ++track.Tagged)
    track.Tags[track[track.Tagged].Serial] = static_cast<std::uint32_t>(track.Tagged);
  Store.Sort(track.Tags.data());
}

std::vector<MappedNote> NoteOrigins::InFileOrder(const std::array<Tivent, Tracks>& Stores,
                                                 std::int64_t NoteCount) const {
  std::vector<MappedNote> notes;
  notes.reserve(static_cast<std::size_t>(std::max<std::int64_t>(NoteCount, 0)));
  for (std::size_t track = 0; track < Tracks; ++track) WalkTrack(track, Stores[track], notes);
  return notes;
}

namespace {

// A note-on of one time, while its time's events are walked.
struct Pending {
  std::uint32_t Tag;     // its record, or none
  std::int32_t Note;
  std::size_t Out;       // its entry in the notes out, or SIZE_MAX for a note-on of velocity 0
};

}  // namespace

// The note-ons of one time are gathered until the time changes. Mostly
// their note numbers differ and each keeps its own tag's origin, given as it
// is met; where a number repeats, that number's tags are handed out again
// in the order added.
void NoteOrigins::WalkTrack(std::size_t Track, const Tivent& Store, std::vector<MappedNote>& Out) const {
  const TrackNotes& kept = Kept[Track];
  const bool tagged = kept.Tags.size() == static_cast<std::size_t>(Store.Count());
  std::vector<Pending> group;
  std::array<std::uint64_t, 2> seen{};  // note numbers in the group
  bool repeated = false;
  auto originOf = [&](std::uint32_t Tag) { return Tag == Untagged ? SourceOrigin{} : kept[Tag].At; };
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
        if (group[k].Out != SIZE_MAX) Out[group[k].Out].At = next < tags.size() ? originOf(tags[next++]) : SourceOrigin{};
    }
  };
  std::int64_t previous = 0;  // the file's time, as the writer accumulates it
  std::int32_t groupTime = 0;
  std::uint32_t index = 0;
  Store.ForEachEvent([&](std::uint64_t word) {
    const std::uint32_t tag = tagged ? kept.Tags[index] : Untagged;
    ++index;
    const std::int32_t time = SortWordTime(word);
    const std::int64_t delta = std::clamp<std::int64_t>(std::max(time, 0) - previous, 0, 0x0FFFFFFF);
    previous += delta;
    const std::uint32_t body = SortWordBody(word);
    if ((body & 0xFF) != 3 || ((body >> 8) & 0xF0) != 0x90) return;
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
      out = Out.size();
      Out.push_back({static_cast<std::int32_t>(Track), static_cast<std::int32_t>(previous), note, originOf(tag)});
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
