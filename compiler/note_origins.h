#pragma once
// The origins of the note-ons a compile wrote, while a source map is made,
// and their order in the written file. A note-on is known by its place among
// its store's events as added (a bit per event); when the stores are sorted,
// a tag per event moves with the events, so the file's order needs no search
// and no second sort.
//
// Memory is what a map costs most at a million notes (every page is touched
// fresh): a note's record is its line and column alone, the tags of one
// track at a time share one buffer, and each track's records go once its
// notes are listed.

#include <array>
#include <cstdint>
#include <memory>
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
  // (its Count() before the add) came from At. Serials of a track rise. Out
  // of line: inlined, it made the note command dearer with the map off.
  void Add(std::size_t Track, std::int32_t Serial, const SourceOrigin& At);
  // Starts a new list of notes (TakeNotes), to be made track by track.
  void StartList();
  // Sorts Store, Track's store, with its notes' tags, and lists every
  // note-on of velocity above 0 in it in the order of the file, with its
  // origin. Notes of equal time and number are alike in the file, so the K-th
  // of them in the file takes the origin of the K-th of them added, whichever
  // order the sort left them in. A note-on added without Add, or from a file
  // past the 65536th, has no origin. Store must not have been sorted since its
  // notes were added; tracks are listed in the order of the file.
  void SortAndListTrack(std::size_t Track, Tivent& Store);
  // The notes listed since StartList, handed over.
  std::vector<MappedNote> TakeNotes();

 private:
  static constexpr std::uint32_t Untagged = UINT32_MAX;  // an event that is no recorded note
  // Records are kept in chunks of a fixed size: a million notes would
  // otherwise be copied at every doubling of one vector, and the pages of
  // each copy touched afresh. A record is a line and a column; the file,
  // mostly one for a whole track, is kept where it changes.
  static constexpr std::size_t ChunkShift = 12;
  static constexpr std::size_t ChunkRecords = std::size_t{1} << ChunkShift;
  struct Place {
    std::int32_t Line;
    std::int32_t Column;
  };
  struct FileChange {
    std::size_t First;  // the first record in File
    std::int32_t File;
  };
  struct TrackNotes {
    std::vector<std::unique_ptr<Place[]>> Chunks;  // places in the order added, ChunkRecords each
    Place* Tail = nullptr;                         // the next free place of the last chunk
    std::size_t Free = 0;                          // free places from Tail on
    std::size_t Count = 0;                         // records in all
    std::int32_t File = 0;                         // the last record's file
    std::vector<FileChange> Files;                 // where the file changes, from file 0
    std::vector<std::uint64_t> Marked;             // bit N: the store's event N as added is a record
    // Record R's origin. Inline for a track that never changed its file.
    SourceOrigin operator[](std::size_t R) const {
      const Place& place = Chunks[R >> ChunkShift][R & (ChunkRecords - 1)];
      return {Files.empty() ? 0 : FileOf(R), place.Line, place.Column};
    }
    std::int32_t FileOf(std::size_t R) const;
  };
  // A new chunk, more marks or a change of file, as Add needs them.
  static void MakeRoom(TrackNotes& Track, std::size_t Serial, std::int32_t File);
  void TagEvents(const TrackNotes& Track, std::int32_t Events);
  void WalkTrack(std::size_t Track, const Tivent& Store);

  std::array<TrackNotes, Tracks> Kept;
  std::vector<std::uint32_t> Tags;  // per event of the track being listed, in the store's order: its record, or Untagged
  std::vector<MappedNote> Listed;   // the notes listed, in the order of the file
};

}  // namespace vlm
