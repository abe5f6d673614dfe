#pragma once
// One track's event store: complete SMF event bodies (no delta time), each
// stamped with an absolute tick time that may be negative.

#include <cstdint>
#include <functional>
#include <memory_resource>
#include <string>
#include <vector>

#include "compiler/tivent_sort.h"

namespace vlm {

// Told of an event a store refuses, with the text to show: it sounds the
// beep and shows the text as a warning.
using TiventWarning = std::function<void(const std::string& Text)>;

// Beeps and shows Text through the process's warning sink (common/warning.h):
// the warning of a store that was given none.
void WarnThroughSink(const std::string& Text);

// Each event is one word (SortWord): its time and a four-byte body. Events
// of up to three bytes (notes, controllers, program changes, bends) are held
// in the body: byte 0 their length, bytes 1 to 3 their bytes, zero past the
// length. Longer ones (tempo, exclusive messages, texts) live in the store's
// byte stream: byte 0 is Outside and bytes 1 to 3 their number among those.
class Tivent {
 public:
  static constexpr std::int32_t MaxEventBytes = 256;         // longest event; GetEvent's buffer size
  static constexpr std::int32_t MaxOutsideEvents = 1 << 24;  // most events longer than InlineBytes
  static constexpr std::int32_t InlineBytes = 3;             // longest event held in the body
  static constexpr std::uint32_t Outside = 0xFF;             // body byte 0 of an event kept in the stream

  // A store that warns through the process's warning sink and takes its
  // memory from new and delete.
  Tivent() = default;
  // A store that warns through Warn and takes its chunks from Memory, which
  // must outlive it.
  Tivent(TiventWarning Warn, std::pmr::memory_resource* Memory);
  Tivent(const Tivent&) = delete;
  Tivent& operator=(const Tivent&) = delete;
  ~Tivent() { Clear(); }

  // Empties the store and gives it Warn and Memory, as the constructor does.
  void Configure(TiventWarning Warn, std::pmr::memory_resource* Memory);

  // Appends one event. Out of memory, an event longer than MaxEventBytes, a
  // store past 2 GiB of event bytes or past MaxOutsideEvents long events
  // warns "Tivent write error! Out Of Memory"; the event is dropped. The
  // warning is given once until the store is cleared: a song that runs out
  // of memory would otherwise warn (a modal box in the desktop program) for
  // every event it still has.
  void Add(std::int32_t Time, const std::uint8_t* Data, std::int32_t Len) {
    if (static_cast<std::uint32_t>(Len) <= InlineBytes)
      AddInline(Time, InlineBody(Data, Len));
    else
      AddSlowly(Time, Data, Len);
  }

  // The body of an event of at most InlineBytes bytes, as Add stores it.
  static constexpr std::uint32_t InlineBody(const std::uint8_t* Data, std::int32_t Len) {
    std::uint32_t body = static_cast<std::uint32_t>(Len);
    for (std::int32_t k = 0; k < Len; ++k) body |= static_cast<std::uint32_t>(Data[k]) << (8 * (k + 1));
    return body;
  }

  // Add for an event of at most InlineBytes bytes given as its body
  // (InlineBody). Up to FastEnd a word needs no other test: the chunk has
  // room and the byte total stays within its bound.
  void AddInline(std::int32_t Time, std::uint32_t Body) {
    if (Tail != FastEnd) {
      *Tail++ = SortWord(Time, Body);
      Rising = Rising && Time > LastTime;
      LastTime = Time;
      ByteTotal += Body & 0xFF;
      ++Total;
    } else {
      AddBodySlowly(Time, Body);
    }
  }

  // Copies event Index (current order) into Buffer (MaxEventBytes long).
  void GetEvent(std::int32_t Index, std::int32_t& Time, std::uint8_t* Buffer, std::int32_t& Len) const;

  // Unstable quicksort by Time, in place; its order of equal times is part
  // of the file format. Events added later go after the sorted ones; a store
  // not added to since its last sort keeps its order. Tags, when given
  // (Count() entries, one per event in the current order), moves with the
  // events, so that it tells where each event came from.
  void Sort(std::uint32_t* Tags = nullptr);
  std::int32_t Count() const { return Total; }
  // Lets go of every chunk but the last that holds only events before
  // First: a store read for the last time gives its memory back as it is
  // read. Events from First on stay where they are; until Clear, reading or
  // sorting an event before First is undefined.
  void ReleaseBefore(std::int32_t First);
  // Bytes of all events together (for sizing the file buffer).
  std::size_t ByteCount() const { return static_cast<std::size_t>(ByteTotal); }
  void Clear();

  // Calls Visit(word) for every event's word (SortWord) in the current
  // order. Read a long event with OutsideBytes and OutsideLength.
  template <class Visitor>
  void ForEachEvent(Visitor&& Visit) const {
    for (std::int32_t first = 0; first < Total; first += ChunkedWords::ChunkWords) {
      const std::uint64_t* const chunk = Chunks[static_cast<std::size_t>(first >> ChunkedWords::ChunkShift)];
      const std::int32_t count = Total - first < ChunkedWords::ChunkWords ? Total - first : ChunkedWords::ChunkWords;
      for (std::int32_t k = 0; k < count; ++k) Visit(chunk[k]);
    }
  }

  // The bytes and the number of bytes of a long event, by its body.
  const std::uint8_t* OutsideBytes(std::uint32_t Body) const { return Stream.data() + OutsideStarts[Body >> 8]; }
  std::int32_t OutsideLength(std::uint32_t Body) const {
    const std::size_t number = Body >> 8;
    const std::size_t end =
        number + 1 < OutsideStarts.size() ? static_cast<std::size_t>(OutsideStarts[number + 1]) : Stream.size();
    return static_cast<std::int32_t>(end - static_cast<std::size_t>(OutsideStarts[number]));
  }

 private:
  void AddSlowly(std::int32_t Time, const std::uint8_t* Data, std::int32_t Len);
  void AddBodySlowly(std::int32_t Time, std::uint32_t Body);
  // Sets FastEnd after Tail or ByteTotal changed outside AddInline.
  void SetFastEnd();
  void Refuse();

  TiventWarning Warn = WarnThroughSink;
  std::pmr::memory_resource* Memory = std::pmr::new_delete_resource();
  std::vector<std::uint64_t*> Chunks;    // ChunkedWords::ChunkWords words each, from Memory
  std::uint64_t* Tail = nullptr;         // next free word of the last chunk
  std::uint64_t* TailEnd = nullptr;      // end of the last chunk
  std::uint64_t* FastEnd = nullptr;      // AddInline's limit: TailEnd, or less near the byte bound
  std::int32_t Total = 0;                // events stored
  std::int32_t SortedCount = 0;          // Total at the last sort
  bool Warned = false;                   // a refused event has been warned of since the last clear
  // True while every event came strictly later than the one before, since
  // the last clear or sort: then sorting may leave the order as it is.
  bool Rising = true;
  std::int32_t LastTime = INT32_MIN;     // time of the last event added
  std::int64_t ByteTotal = 0;            // bytes of all events, inline ones included
  std::vector<std::uint8_t> Stream;      // bytes of the events longer than InlineBytes, back to back
  std::vector<std::int32_t> OutsideStarts;  // where each of them starts in Stream, by number
};

}  // namespace vlm
