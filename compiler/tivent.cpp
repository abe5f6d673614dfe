#include "compiler/tivent.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

#include "common/warning.h"

namespace vlm {

void WarnThroughSink(const std::string& Text) {
  Beep();
  ShowWarning(Text);
}

Tivent::Tivent(TiventWarning Warn, std::pmr::memory_resource* Memory) : Warn(std::move(Warn)), Memory(Memory) {}

void Tivent::Configure(TiventWarning NewWarn, std::pmr::memory_resource* NewMemory) {
  Clear();  // the chunks go back to the resource they came from
  Warn = std::move(NewWarn);
  Memory = NewMemory;
}

namespace {

// Makes room for one more entry before anything is added, so that adding
// it cannot fail halfway. The room doubles: reserve(size() + 1) alone
// allocates exactly that, and copied the whole vector at every long event.
template <class T>
void ReserveOneMore(std::vector<T>& Entries) {
  if (Entries.size() == Entries.capacity()) Entries.reserve(std::max<std::size_t>(16, 2 * Entries.capacity()));
}

}  // namespace

void Tivent::Refuse() {
  if (Warn && !Warned) Warn("Tivent write error! Out Of Memory");
  Warned = true;
}

// Every case Add does not take inline: a long event, a full chunk, or an
// event to refuse. Each step that can fail comes before anything is changed
// for good, so a refused event leaves no trace.
void Tivent::AddSlowly(std::int32_t Time, const std::uint8_t* Data, std::int32_t Len) {
  if (Len < 0 || Len > MaxEventBytes || ByteTotal + Len > INT32_MAX ||
      (Len > InlineBytes && OutsideStarts.size() >= MaxOutsideEvents)) {
    Refuse();
    return;
  }
  const std::size_t streamSize = Stream.size();
  try {
    if (Tail == TailEnd) {
      // The count stays an int32 even for events of no bytes.
      if (Total > INT32_MAX - ChunkedWords::ChunkWords) throw std::bad_alloc();
      ReserveOneMore(Chunks);
      Tail = static_cast<std::uint64_t*>(
          Memory->allocate(ChunkedWords::ChunkWords * sizeof(std::uint64_t), alignof(std::uint64_t)));
      Chunks.push_back(Tail);
      TailEnd = Tail + ChunkedWords::ChunkWords;
    }
    std::uint32_t body = 0;
    if (Len > InlineBytes) {
      const std::size_t number = OutsideStarts.size();
      ReserveOneMore(OutsideStarts);
      Stream.insert(Stream.end(), Data, Data + Len);
      OutsideStarts.push_back(static_cast<std::int32_t>(streamSize));
      body = Outside | static_cast<std::uint32_t>(number) << 8;
    } else {
      body = static_cast<std::uint32_t>(Len);
      for (std::int32_t k = 0; k < Len; ++k) body |= static_cast<std::uint32_t>(Data[k]) << (8 * (k + 1));
    }
    *Tail++ = SortWord(Time, body);
    Rising = Rising && Time > LastTime;
    LastTime = Time;
    ByteTotal += Len;
    ++Total;
  } catch (const std::bad_alloc&) {
    Stream.resize(streamSize);
    Refuse();
  }
  SetFastEnd();
}

void Tivent::AddBodySlowly(std::int32_t Time, std::uint32_t Body) {
  const std::uint8_t bytes[InlineBytes] = {static_cast<std::uint8_t>(Body >> 8), static_cast<std::uint8_t>(Body >> 16),
                                           static_cast<std::uint8_t>(Body >> 24)};
  AddSlowly(Time, bytes, static_cast<std::int32_t>(Body & 0xFF));
}

// Every inline event adds at most InlineBytes to ByteTotal, so that many
// more words cannot pass the bound.
void Tivent::SetFastEnd() {
  const std::int64_t room = (INT32_MAX - ByteTotal) / InlineBytes;
  FastEnd = TailEnd - Tail <= room ? TailEnd : Tail + room;
}

void Tivent::GetEvent(std::int32_t Index, std::int32_t& Time, std::uint8_t* Buffer, std::int32_t& Len) const {
  if (Index < 0 || Index >= Total) throw std::out_of_range("Tivent::GetEvent: no such event");
  const std::uint64_t word = ChunkedWords{Chunks.data()}[Index];
  const std::uint32_t body = SortWordBody(word);
  Time = SortWordTime(word);
  if ((body & 0xFF) == Outside) {
    Len = OutsideLength(body);
    std::memcpy(Buffer, OutsideBytes(body), static_cast<std::size_t>(Len));
  } else {
    Len = static_cast<std::int32_t>(body & 0xFF);
    for (std::int32_t k = 0; k < Len; ++k) Buffer[k] = static_cast<std::uint8_t>(body >> (8 * (k + 1)));
  }
}

// A store whose times strictly rise, within a span that the quicksort's
// wrapped differences order plainly, is already in the order the sort would
// leave, and then the sort costs nothing. A store sorted before and not added
// to since is left as it is, so that writing a file twice gives the same
// bytes (the steps would swap equal times once more). A sort cut short by its
// budget is warned of: the order of equal times is then not the usual one.
void Tivent::Sort(std::uint32_t* Tags) {
  if (Total < 2 || Total == SortedCount) return;
  SortedCount = Total;
  const ChunkedWords words{Chunks.data()};
  if (Rising && static_cast<std::int64_t>(SortWordTime(words[Total - 1])) - SortWordTime(words[0]) <= INT32_MAX)
    return;
  if (!QuicksortByTime(words, Total, Tags) && Warn)
    Warn("イベントの並べ替えの処理が多すぎるので、時刻の順に並べて仕上げました。");
  Rising = false;
}

// Released chunks stay in Chunks as null pointers, so that the later events
// keep their places; they are released from the last one down, so that a
// call costs only the chunks it lets go of. The last chunk stays: Tail
// points into it.
void Tivent::ReleaseBefore(std::int32_t First) {
  if (Chunks.empty() || First <= 0) return;
  const std::size_t end = std::min(static_cast<std::size_t>(First >> ChunkedWords::ChunkShift), Chunks.size() - 1);
  for (std::size_t k = end; k-- > 0 && Chunks[k] != nullptr;) {
    Memory->deallocate(Chunks[k], ChunkedWords::ChunkWords * sizeof(std::uint64_t), alignof(std::uint64_t));
    Chunks[k] = nullptr;
  }
}

void Tivent::Clear() {
  for (std::uint64_t* chunk : Chunks)
    if (chunk != nullptr)
      Memory->deallocate(chunk, ChunkedWords::ChunkWords * sizeof(std::uint64_t), alignof(std::uint64_t));
  Chunks.clear();
  Tail = nullptr;
  TailEnd = nullptr;
  FastEnd = nullptr;
  Total = 0;
  SortedCount = 0;
  Warned = false;
  Rising = true;
  LastTime = INT32_MIN;
  ByteTotal = 0;
  Stream.clear();
  OutsideStarts.clear();
}

}  // namespace vlm
