#pragma once
// The origins of the note-ons a compile wrote, while a source map is made,
// and their order in the written file. A note-on is known by its place among
// its store's events as added (a bit per event); when the stores are sorted,
// a tag per event moves with the events, so the file's order needs no search
// and no second sort.
//
// Memory is what a map costs most at a million notes (every page is touched
// fresh): a note's record is mostly one byte, its column's difference from
// the track's note before on the same line; the tags and the unpacked
// origins of one track at a time share buffers, each track's records go
// once its notes are listed, and the list takes the memory of the events
// already listed.

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
  // Sorts Store, Track's store, with its notes' tags. Store must not have
  // been sorted since its notes were added; tracks are sorted and listed in
  // the order of the file.
  void SortTrack(std::size_t Track, Tivent& Store);
  // Lists every note-on of velocity above 0 in Store, sorted by SortTrack
  // and written, in the order of the file, with its origin, and empties
  // Store: its memory goes to the list as it is read. Notes of equal time
  // and number are alike in the file, so the K-th of them in the file takes
  // the origin of the K-th of them added, whichever order the sort left
  // them in. A note-on added without Add, or from a file past the 65536th,
  // has no origin.
  void ListTrack(std::size_t Track, Tivent& Store);
  // The notes listed since StartList, handed over.
  MappedNoteList TakeNotes();

 private:
  static constexpr std::uint32_t Untagged = UINT32_MAX;  // an event that is no recorded note
  // A record is one byte below Escape: the column's difference from the
  // record before, plus Near, on the same line of the same file. Any other
  // is Escape and the differences of line and column as variable-length
  // numbers. The file is kept where it changes.
  static constexpr std::uint8_t Escape = 0xFF;
  static constexpr std::int32_t Near = 127;
  struct FileChange {
    std::size_t First;  // the first record in File
    std::int32_t File;
  };
  struct TrackNotes {
    std::unique_ptr<std::uint8_t[]> Bytes;  // the records in the order added
    std::size_t Size = 0;                   // bytes used
    std::size_t Capacity = 0;               // bytes allocated
    std::size_t Count = 0;                  // records in all
    std::int32_t Line = 0;                  // the last record's line
    std::int32_t Column = 0;                // and column
    std::int32_t File = 0;                  // and file
    std::vector<FileChange> Files;          // where the file changes, from file 0
    std::vector<std::uint64_t> Marked;      // bit N: the store's event N as added is a record
  };
  // Add for a record that is not one near byte, or that needs more room.
  static void AddSlowly(TrackNotes& Track, std::size_t Serial, const SourceOrigin& At);
  // The track's records, unpacked into Origins (one per record).
  void Unpack(const TrackNotes& Track);
  void TagEvents(const TrackNotes& Track, std::int32_t Events);
  void WalkTrack(std::size_t Track, Tivent& Store);
  // Hands the tags of a time's note-ons out again where a note number repeats.
  void Reassign(const Tivent& Store, bool Tagged, std::int32_t FirstEvent, std::int32_t EndEvent,
                std::size_t FirstListed);

  std::array<TrackNotes, Tracks> Kept;
  std::vector<std::uint32_t> Tags;  // per event of the track being listed, in the store's order: its record, or Untagged
  std::vector<SourceOrigin> Origins;  // the records of the track being listed, unpacked
  MappedNoteList Listed;            // the notes listed, in the order of the file
};

}  // namespace vlm
