#include "compiler/tivent.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "common/warning.h"
#include "compiler/tivent_sort.h"

namespace vlm {

namespace {

void WarnOutOfMemory() {
  Beep();
  ShowWarning("Tivent write error! Out Of Memory");
}

}  // namespace

// Every case Add does not take inline: a long event, a full chunk, or an
// event to refuse. Each step that can fail comes before anything is changed
// for good, so a refused event leaves no trace.
void Tivent::AddSlowly(std::int32_t Time, const std::uint8_t* Data, std::int32_t Len) {
  if (Len < 0 || Len > MaxEventBytes || ByteTotal + Len > INT32_MAX ||
      (Len > TiventRec::InlineBytes && OutsideStarts.size() >= MaxOutsideEvents)) {
    WarnOutOfMemory();
    return;
  }
  const std::size_t streamSize = Stream.size();
  try {
    if (static_cast<std::size_t>(Total) == Chunks.size() * ChunkRecords) {
      // The count stays an int32 even for events of no bytes.
      if (Total > INT32_MAX - ChunkRecords) throw std::bad_alloc();
      Chunks.push_back(std::make_unique_for_overwrite<Chunk>());
    }
    TiventRec rec{};
    if (Len > TiventRec::InlineBytes) {
      const std::size_t number = OutsideStarts.size();
      Stream.insert(Stream.end(), Data, Data + Len);
      OutsideStarts.push_back(static_cast<std::int32_t>(streamSize));
      rec.Len = TiventRec::Outside;
      for (std::int32_t k = 0; k < TiventRec::InlineBytes; ++k)
        rec.Bytes[k] = static_cast<std::uint8_t>(number >> (8 * k));
    } else {
      rec.Len = static_cast<std::uint8_t>(Len);
      if (Len > 0) std::memcpy(rec.Bytes, Data, static_cast<std::size_t>(Len));
    }
    Chunk& chunk = *Chunks.back();
    const std::int32_t slot = Total & (ChunkRecords - 1);
    chunk.Times[slot] = Time;
    chunk.Records[slot] = rec;
    ++Total;
    ByteTotal += Len;
    TailTime = chunk.Times + slot + 1;
    TailRec = chunk.Records + slot + 1;
    TailFree = ChunkRecords - 1 - slot;
  } catch (const std::bad_alloc&) {
    Stream.resize(streamSize);
    WarnOutOfMemory();
  }
}

void Tivent::GetEvent(std::int32_t Index, std::int32_t& Time, std::uint8_t* Buffer,
                      std::int32_t& Len) const {
  if (Index < 0 || Index >= Total) throw std::out_of_range("Tivent::GetEvent: no such event");
  const Chunk& chunk = ChunkOf(Index);
  const TiventRec& rec = chunk.Records[Index & (ChunkRecords - 1)];
  Time = chunk.Times[Index & (ChunkRecords - 1)];
  Len = EventLength(rec);
  std::memcpy(Buffer, EventBytes(rec), static_cast<std::size_t>(Len));
}

void Tivent::Sort() { SortAll(std::span<Tivent>(this, 1)); }

// Each store's events are copied out as sort words, sorted, and copied back.
void Tivent::SortAll(std::span<Tivent> Stores) {
  std::int32_t most = 0;
  for (const Tivent& store : Stores) most = std::max(most, store.Total);
  if (most == 0) return;
  const auto words = std::make_unique_for_overwrite<std::uint64_t[]>(static_cast<std::size_t>(most));
  for (Tivent& store : Stores) {
    for (std::int32_t first = 0; first < store.Total; first += ChunkRecords) {
      const Chunk& chunk = store.ChunkOf(first);
      const std::int32_t count = std::min(ChunkRecords, store.Total - first);
      for (std::int32_t k = 0; k < count; ++k) {
        std::uint32_t body;
        std::memcpy(&body, &chunk.Records[k], sizeof body);
        words[first + k] = SortWord(chunk.Times[k], body);
      }
    }
    QuicksortByTime(words.get(), store.Total);
    for (std::int32_t first = 0; first < store.Total; first += ChunkRecords) {
      Chunk& chunk = store.ChunkOf(first);
      const std::int32_t count = std::min(ChunkRecords, store.Total - first);
      for (std::int32_t k = 0; k < count; ++k) {
        const auto body = static_cast<std::uint32_t>(words[first + k]);
        chunk.Times[k] = SortWordTime(words[first + k]);
        std::memcpy(&chunk.Records[k], &body, sizeof body);
      }
    }
  }
}

void Tivent::Clear() {
  Chunks.clear();
  TailTime = nullptr;
  TailRec = nullptr;
  TailFree = 0;
  Total = 0;
  ByteTotal = 0;
  Stream.clear();
  OutsideStarts.clear();
}

}  // namespace vlm
