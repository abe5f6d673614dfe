#include "compiler/tivent.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

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
      std::unique_ptr<Chunk, ChunkRelease> chunk(::new (Memory->allocate(sizeof(Chunk), alignof(Chunk))) Chunk,
                                                 ChunkRelease{Memory});
      Chunks.push_back(std::move(chunk));
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

// The store's events are copied out as sort words into Words (room for all
// of them), sorted, and copied back.
void Tivent::SortInto(std::uint64_t* Words) {
  for (std::int32_t first = 0; first < Total; first += ChunkRecords) {
    const Chunk& chunk = ChunkOf(first);
    const std::int32_t count = std::min(ChunkRecords, Total - first);
    for (std::int32_t k = 0; k < count; ++k) {
      std::uint32_t body;
      std::memcpy(&body, &chunk.Records[k], sizeof body);
      Words[first + k] = SortWord(chunk.Times[k], body);
    }
  }
  QuicksortByTime(Words, Total);
  for (std::int32_t first = 0; first < Total; first += ChunkRecords) {
    Chunk& chunk = ChunkOf(first);
    const std::int32_t count = std::min(ChunkRecords, Total - first);
    for (std::int32_t k = 0; k < count; ++k) {
      const auto body = static_cast<std::uint32_t>(Words[first + k]);
      chunk.Times[k] = SortWordTime(Words[first + k]);
      std::memcpy(&chunk.Records[k], &body, sizeof body);
    }
  }
}

namespace {

// Sorts each store of a share with one buffer, as large as its largest store.
void SortShare(const std::vector<Tivent*>& Share) {
  std::int32_t most = 0;
  for (const Tivent* store : Share) most = std::max(most, store->Count());
  if (most == 0) return;
  const auto words = std::make_unique_for_overwrite<std::uint64_t[]>(static_cast<std::size_t>(most));
  for (Tivent* store : Share) store->SortInto(words.get());
}

}  // namespace

// Stores sort independently of each other. A large song's are split into
// two shares of about equal size (largest first, each to the lighter share),
// and a second thread sorts one of them; the result is the same either way.
void Tivent::SortAll(std::span<Tivent> Stores) {
  constexpr std::int64_t ShareFrom = 1 << 16;  // fewer events are not worth a thread
  std::vector<Tivent*> order;
  std::int64_t total = 0;
  for (Tivent& store : Stores) {
    if (store.Total == 0) continue;
    order.push_back(&store);
    total += store.Total;
  }
  if (total < ShareFrom || order.size() < 2 || std::thread::hardware_concurrency() < 2) {
    SortShare(order);
    return;
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const Tivent* a, const Tivent* b) { return a->Total > b->Total; });
  std::array<std::vector<Tivent*>, 2> shares;
  std::array<std::int64_t, 2> loads{};
  for (Tivent* store : order) {
    const std::size_t lighter = loads[0] <= loads[1] ? 0 : 1;
    shares[lighter].push_back(store);
    loads[lighter] += store->Total;
  }
  std::exception_ptr failure;
  std::thread helper;
  try {
    helper = std::thread([&shares, &failure] {
      try {
        SortShare(shares[1]);
      } catch (...) {
        failure = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    SortShare(shares[1]);  // no thread to be had: sort it here
  }
  try {
    SortShare(shares[0]);
  } catch (...) {
    if (helper.joinable()) helper.join();
    throw;
  }
  if (helper.joinable()) helper.join();
  if (failure) std::rethrow_exception(failure);
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
