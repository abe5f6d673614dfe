#pragma once
// The notes of a source map: each note-on of the written file with the text
// that made it, in the order of the file.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "compiler/source_origin.h"

namespace vlm {

// A note-on as the MIDI file holds it, and the text that made it. Sixteen
// bytes: 2048 of them fill a chunk of the list, the size of an event
// store's chunk.
struct MappedNote {
  std::int32_t Tick = 0;    // absolute time in the file (negative times are written as 0)
  std::int32_t Line = 0;    // the origin's line; 0 when the event came from no note command
  std::int32_t Column = 0;  // the origin's column
  std::uint16_t File = 0;   // the origin's file (SourceMap::Files)
  std::uint8_t Track = 0;   // index of the track chunk's store (the track number, 0..127)
  std::uint8_t Note = 0;    // MIDI note number

  SourceOrigin At() const { return {File, Line, Column}; }
};

// A list of notes in chunks of 32 KiB that never move. A million notes take
// 16 MB: as one array they took pages never touched before (some 2 us a
// page, a fifth of what the map cost), while chunks of the size of an event
// store's chunks take the memory the stores let go of as the notes are
// listed. Index, iterate and append as with a vector.
class MappedNoteList {
 public:
  static constexpr std::size_t ChunkNotes = 32768 / sizeof(MappedNote);

  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = MappedNote;
    using difference_type = std::ptrdiff_t;
    using pointer = const MappedNote*;
    using reference = const MappedNote&;
    const_iterator() = default;
    const_iterator(const MappedNoteList* List, std::size_t I) : List(List), I(I) {}
    reference operator*() const { return (*List)[I]; }
    pointer operator->() const { return &(*List)[I]; }
    const_iterator& operator++() {
      ++I;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator before = *this;
      ++I;
      return before;
    }
    friend bool operator==(const const_iterator& A, const const_iterator& B) { return A.I == B.I; }

   private:
    const MappedNoteList* List = nullptr;
    std::size_t I = 0;
  };

  std::size_t size() const { return Count; }
  bool empty() const { return Count == 0; }
  const MappedNote& operator[](std::size_t I) const { return Chunks[I / ChunkNotes][I % ChunkNotes]; }
  MappedNote& operator[](std::size_t I) { return Chunks[I / ChunkNotes][I % ChunkNotes]; }
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, Count}; }
  // A chunk is allocated when the last is full, and filled as notes come.
  void push_back(const MappedNote& Note) {
    if (Count % ChunkNotes == 0) Chunks.emplace_back().reserve(ChunkNotes);
    Chunks.back().push_back(Note);
    ++Count;
  }
  void clear() {
    Chunks.clear();
    Count = 0;
  }

 private:
  std::vector<std::vector<MappedNote>> Chunks;  // each ChunkNotes long but the last
  std::size_t Count = 0;                        // notes in all
};

}  // namespace vlm
