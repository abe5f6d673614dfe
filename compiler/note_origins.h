#pragma once
// The origins of the note-ons a compile wrote, while a source map is made,
// and their order in the written file. Each note-on is known by its place
// among its store's events as added; the store's sort moves a tag per event
// along with the events, so the file's order needs no search and no second
// sort.

#include <array>
#include <cstdint>
#include <vector>

#include "compiler/mml_compiler.h"
#include "compiler/source_origin.h"
#include "compiler/tivent.h"

namespace vlm {

class NoteOrigins {
 public:
  static constexpr std::size_t Tracks = 128;

  // Forgets every note, and lets go of their memory.
  void Clear();
  // The note-on just added to Track's store as its event number Serial
  // (its Count() before the add) came from At.
  void Add(std::size_t Track, std::int32_t Serial, const SourceOrigin& At) {
    TrackNotes& track = Kept[Track];
    if (track.Count % ChunkRecords == 0) {
      track.Chunks.emplace_back();
      track.Chunks.back().reserve(ChunkRecords);
    }
    track.Chunks.back().push_back({static_cast<std::uint32_t>(Serial), At});
    ++track.Count;
  }
  // Sorts Store, Track's store, carrying the notes' tags with its events.
  void Sort(std::size_t Track, Tivent& Store);
  // Every note-on of velocity above 0 in Stores (sorted by Sort), in the
  // order of the file, with its origin. Notes of equal time and number are
  // alike in the file, so the K-th of them in the file takes the origin of
  // the K-th of them added, whichever order the sort left them in. A
  // note-on added without Add has no origin.
  std::vector<MappedNote> InFileOrder(const std::array<Tivent, Tracks>& Stores, std::int64_t NoteCount) const;

 private:
  static constexpr std::uint32_t Untagged = UINT32_MAX;  // an event that is no recorded note
  struct Record {
    std::uint32_t Serial;  // the event's number in its store as added
    SourceOrigin At;
  };
  // Records are kept in chunks of a fixed size: a million notes would
  // otherwise be copied at every doubling of one vector, and the pages of
  // each copy touched afresh (about 4% of the CPU time of a compile).
  static constexpr std::size_t ChunkShift = 12;
  static constexpr std::size_t ChunkRecords = std::size_t{1} << ChunkShift;
  struct TrackNotes {
    std::vector<std::vector<Record>> Chunks;  // in the order added, ChunkRecords each
    std::size_t Count = 0;           // records in all
    const Record& operator[](std::size_t R) const { return Chunks[R >> ChunkShift][R & (ChunkRecords - 1)]; }
    std::vector<std::uint32_t> Tags;  // per event in the store's order: its record, or Untagged
    std::size_t Tagged = 0;          // records already in Tags
  };
  void WalkTrack(std::size_t Track, const Tivent& Store, std::vector<MappedNote>& Out) const;

  std::array<TrackNotes, Tracks> Kept;
};

}  // namespace vlm
