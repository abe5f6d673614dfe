#pragma once
// One track's event store: complete SMF event bodies (no delta time), each
// stamped with an absolute tick time that may be negative.

#include <cstdint>
#include <functional>
#include <memory>
#include <memory_resource>
#include <span>
#include <vector>

namespace vlm {

// The body of one event, four bytes. Events of up to three bytes (notes,
// controllers, program changes, bends) are held in it; longer ones (tempo,
// exclusive messages, texts) live in the store's byte stream, and the body
// holds their number among those.
struct TiventRec {
  static constexpr std::int32_t InlineBytes = 3;  // longest event held in Bytes
  static constexpr std::uint8_t Outside = 0xFF;   // Len of an event kept in the stream

  std::uint8_t Len;                 // bytes of an event held here (0..InlineBytes), or Outside
  std::uint8_t Bytes[InlineBytes];  // the event; for one kept outside, its number (24 bits, low byte first)
};

class Tivent {
  struct Chunk;

 public:
  static constexpr std::int32_t MaxEventBytes = 256;         // longest event; GetEvent's buffer size
  static constexpr std::int32_t MaxOutsideEvents = 1 << 24;  // most events longer than InlineBytes

  // Appends one event. Out of memory, an event longer than MaxEventBytes, a
  // store past 2 GiB of event bytes or past MaxOutsideEvents long events
  // beeps and shows "Tivent write error! Out Of Memory"; the event is dropped.
  void Add(std::int32_t Time, const std::uint8_t* Data, std::int32_t Len) {
    // A short event with room in the last chunk.
    if (static_cast<std::uint32_t>(Len) <= TiventRec::InlineBytes && TailFree > 0 &&
        ByteTotal + Len <= INT32_MAX) {
      *TailTime++ = Time;
      TiventRec& rec = *TailRec++;
      --TailFree;
      rec.Len = static_cast<std::uint8_t>(Len);
      for (std::int32_t k = 0; k < Len; ++k) rec.Bytes[k] = Data[k];
      ByteTotal += Len;
      ++Total;
    } else {
      AddSlowly(Time, Data, Len);
    }
  }

  // Copies event Index (current order) into Buffer (MaxEventBytes long).
  void GetEvent(std::int32_t Index, std::int32_t& Time, std::uint8_t* Buffer,
                std::int32_t& Len) const;

  // Unstable quicksort by Time; its order of equal times is part of the file
  // format. The events themselves are put in the new order; later ones are
  // added after them.
  void Sort();
  // Sorts every store and hands each to Use, in the order of Stores, as soon
  // as it is sorted. A large song's stores are sorted on two threads while
  // Use takes them; Use always runs on the calling thread.
  // Presorted, when given, may give a store its sorted order instead (true
  // then); it is called for each store that has events, on either thread.
  static void SortAll(std::span<Tivent> Stores, const std::function<void(const Tivent&)>& Use = {},
                      const std::function<bool(Tivent&)>& Presorted = {});
  // Sorts this store using Words, room for Count() sort words.
  void SortInto(std::uint64_t* Words);

  // The events added so far, held still: another thread may read them while
  // more are added to the store, but not once it is cleared or sorted.
  class Frozen {
   public:
    std::int32_t Count() const { return Total; }
    // Writes the events' sort words (see SortWord) to Words, room for Count().
    void ToSortWords(std::uint64_t* Words) const;

   private:
    friend class Tivent;
    std::vector<const Chunk*> Chunks;  // the store's chunks, which never move
    std::int32_t Total = 0;
    std::uint64_t Generation = 0;
  };
  Frozen Freeze() const;
  // Puts the events in the order of Words, Was's sort words after the sort,
  // if no event has been added, removed or moved since Was was frozen: then
  // the store ends as sorting it would leave it. False (and nothing done)
  // otherwise.
  bool TakeSorted(const Frozen& Was, const std::uint64_t* Words);
  std::int32_t Count() const { return Total; }
  // Bytes of all events together (for sizing the file buffer).
  std::size_t ByteCount() const { return static_cast<std::size_t>(ByteTotal); }
  void Clear();

  // Calls Visit(time, record) for every event in the current order. Read the
  // event with EventBytes and EventLength.
  template <class Visitor>
  void ForEachEvent(Visitor&& Visit) const {
    for (std::int32_t first = 0; first < Total; first += ChunkRecords) {
      const Chunk& chunk = ChunkOf(first);
      const std::int32_t count = Total - first < ChunkRecords ? Total - first : ChunkRecords;
      for (std::int32_t k = 0; k < count; ++k) Visit(chunk.Times[k], chunk.Records[k]);
    }
  }

  // The bytes and the number of bytes of an event of this store.
  const std::uint8_t* EventBytes(const TiventRec& Rec) const {
    if (Rec.Len != TiventRec::Outside) return Rec.Bytes;
    return Stream.data() + OutsideStarts[OutsideNumber(Rec)];
  }
  std::int32_t EventLength(const TiventRec& Rec) const {
    if (Rec.Len != TiventRec::Outside) return Rec.Len;
    const std::size_t number = OutsideNumber(Rec);
    const std::size_t end =
        number + 1 < OutsideStarts.size() ? static_cast<std::size_t>(OutsideStarts[number + 1]) : Stream.size();
    return static_cast<std::int32_t>(end - static_cast<std::size_t>(OutsideStarts[number]));
  }

 private:
  static constexpr int ChunkShift = 12;
  static constexpr std::int32_t ChunkRecords = 1 << ChunkShift;  // events per chunk (32 KiB)

  // Events live in fixed chunks, so that growing never copies them; times
  // apart from bodies, so that the sort reads them as one block.
  struct Chunk {
    std::int32_t Times[ChunkRecords];  // absolute ticks; negative before the start of the piece
    TiventRec Records[ChunkRecords];   // the events' bodies
  };

  static std::size_t OutsideNumber(const TiventRec& Rec) {
    return Rec.Bytes[0] | static_cast<std::size_t>(Rec.Bytes[1]) << 8 | static_cast<std::size_t>(Rec.Bytes[2]) << 16;
  }
  const Chunk& ChunkOf(std::int32_t Index) const { return *Chunks[static_cast<std::size_t>(Index >> ChunkShift)]; }
  Chunk& ChunkOf(std::int32_t Index) { return *Chunks[static_cast<std::size_t>(Index >> ChunkShift)]; }
  void AddSlowly(std::int32_t Time, const std::uint8_t* Data, std::int32_t Len);
  // Writes back the events from their sort words, in the words' order.
  void FromSortWords(const std::uint64_t* Words);

  // Chunks come from the memory resource that was the default when the
  // store was made: the command-line compiler puts them on huge pages.
  struct ChunkRelease {
    std::pmr::memory_resource* Memory;
    void operator()(Chunk* C) const { Memory->deallocate(C, sizeof(Chunk), alignof(Chunk)); }
  };
  std::pmr::memory_resource* Memory = std::pmr::get_default_resource();
  std::vector<std::unique_ptr<Chunk, ChunkRelease>> Chunks;
  std::int32_t* TailTime = nullptr;      // next free time of the last chunk
  TiventRec* TailRec = nullptr;          // next free record of the last chunk
  std::int32_t TailFree = 0;             // free entries from the tail on
  std::int32_t Total = 0;                // events stored
  std::uint64_t Generation = 0;          // counts the clears and sorts, which a Frozen must not see
  std::int64_t ByteTotal = 0;            // bytes of all events, inline ones included
  std::vector<std::uint8_t> Stream;      // bytes of the events longer than InlineBytes, back to back
  std::vector<std::int32_t> OutsideStarts;  // where each of them starts in Stream, by number
};

}  // namespace vlm
