#include "compiler/tivent.h"

#include <algorithm>
#include <atomic>
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

namespace {

// The sort words of Total events held in chunks, the K-th chunk at Chunk(K).
template <class ChunkAt>
void FillSortWords(std::int32_t Total, std::int32_t PerChunk, ChunkAt Chunk, std::uint64_t* Words) {
  for (std::int32_t first = 0; first < Total; first += PerChunk) {
    const auto& chunk = Chunk(static_cast<std::size_t>(first / PerChunk));
    const std::int32_t count = std::min(PerChunk, Total - first);
    for (std::int32_t k = 0; k < count; ++k) {
      std::uint32_t body;
      std::memcpy(&body, &chunk.Records[k], sizeof body);
      Words[first + k] = SortWord(chunk.Times[k], body);
    }
  }
}

}  // namespace

// The store's events are copied out as sort words into Words (room for all
// of them), sorted, and copied back.
void Tivent::SortInto(std::uint64_t* Words) {
  FillSortWords(Total, ChunkRecords, [this](std::size_t k) -> const Chunk& { return *Chunks[k]; }, Words);
  QuicksortByTime(Words, Total);
  FromSortWords(Words);
}

void Tivent::FromSortWords(const std::uint64_t* Words) {
  ++Generation;
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

Tivent::Frozen Tivent::Freeze() const {
  Frozen frozen;
  frozen.Chunks.reserve(Chunks.size());
  for (const auto& chunk : Chunks) frozen.Chunks.push_back(chunk.get());
  frozen.Total = Total;
  frozen.Generation = Generation;
  return frozen;
}

void Tivent::Frozen::ToSortWords(std::uint64_t* Words) const {
  FillSortWords(Total, ChunkRecords,
                [this](std::size_t k) -> const Chunk& { return *Chunks[k]; }, Words);
}

bool Tivent::TakeSorted(const Frozen& Was, const std::uint64_t* Words) {
  if (Was.Generation != Generation || Was.Total != Total) return false;
  FromSortWords(Words);
  return true;
}

namespace {

// Sorts Store unless Presorted gives it its order.
void SortStore(Tivent& Store, std::uint64_t* Words, const std::function<bool(Tivent&)>& Presorted) {
  if (Store.Count() == 0 || (Presorted && Presorted(Store))) return;
  Store.SortInto(Words);
}

// The stores of one SortAll shared by two threads: each claims the next
// store nobody has claimed, sorts it and marks it done.
class SortQueue {
 public:
  SortQueue(std::span<Tivent> Stores, const std::function<bool(Tivent&)>& Presorted)
      : Stores(Stores), Presorted(Presorted), Done(std::make_unique<std::atomic<bool>[]>(Stores.size())) {}

  // Sorts the next unclaimed store with Words; false when none was left. A
  // store whose sort throws is still marked done, so that no one waits for
  // it; the failure reaches the caller.
  bool SortNext(std::uint64_t* Words) {
    const std::size_t k = NextClaim.fetch_add(1);
    if (k >= Stores.size()) return false;
    struct MarkDone {
      std::atomic<bool>& Flag;
      ~MarkDone() {
        Flag.store(true, std::memory_order_release);
        Flag.notify_all();
      }
    } mark{Done[k]};
    try {
      SortStore(Stores[k], Words, Presorted);
    } catch (...) {
      Failure.store(true);
      throw;
    }
    return true;
  }
  bool Failed() const { return Failure.load(); }
  // Waits until store K is sorted, sorting others meanwhile.
  void AwaitSorted(std::size_t K, std::uint64_t* Words) {
    while (!Done[K].load(std::memory_order_acquire))
      if (!SortNext(Words)) Done[K].wait(false, std::memory_order_acquire);
  }
  // Leaves every unclaimed store unsorted.
  void Close() { NextClaim.store(Stores.size()); }

 private:
  std::span<Tivent> Stores;
  const std::function<bool(Tivent&)>& Presorted;
  std::atomic<std::size_t> NextClaim{0};
  std::unique_ptr<std::atomic<bool>[]> Done;
  std::atomic<bool> Failure{false};  // set before the failed store is marked done
};

std::unique_ptr<std::uint64_t[]> SortWords(std::int32_t Count) {
  return std::make_unique_for_overwrite<std::uint64_t[]>(static_cast<std::size_t>(std::max(Count, 1)));
}

}  // namespace

// Stores sort independently of each other, so the order in which they are
// sorted, and by which thread, does not change the result. The helper thread
// claims stores in order, as the calling thread does whenever the next store
// to use is not sorted yet.
void Tivent::SortAll(std::span<Tivent> Stores, const std::function<void(const Tivent&)>& Use,
                     const std::function<bool(Tivent&)>& Presorted) {
  constexpr std::int64_t ThreadFrom = 1 << 16;  // fewer events are not worth a thread
  std::int32_t most = 0;
  std::int64_t total = 0;
  int filled = 0;
  for (const Tivent& store : Stores) {
    most = std::max(most, store.Total);
    total += store.Total;
    filled += store.Total > 0 ? 1 : 0;
  }
  const auto words = SortWords(most);
  if (total < ThreadFrom || filled < 2 || std::thread::hardware_concurrency() < 2) {
    for (Tivent& store : Stores) {
      SortStore(store, words.get(), Presorted);
      if (Use) Use(store);
    }
    return;
  }
  SortQueue queue(Stores, Presorted);
  std::exception_ptr failure;  // the helper's, read after the join
  std::thread helper;
  try {
    helper = std::thread([&queue, &failure, most] {
      std::unique_ptr<std::uint64_t[]> helperWords;
      try {
        helperWords = SortWords(most);
      } catch (const std::bad_alloc&) {
        return;  // no room for a second buffer: this thread's part is done
      }
      try {
        while (queue.SortNext(helperWords.get())) {
        }
      } catch (...) {
        failure = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    // No thread to be had: this one sorts every store.
  }
  {
    // However this part ends, the helper claims nothing more and is joined
    // before the stores go.
    struct JoinHelper {
      SortQueue& Queue;
      std::thread& Helper;
      ~JoinHelper() {
        Queue.Close();
        if (Helper.joinable()) Helper.join();
      }
    } join{queue, helper};
    for (std::size_t k = 0; k < Stores.size(); ++k) {
      queue.AwaitSorted(k, words.get());
      if (queue.Failed()) break;  // a store the helper could not sort is never used
      if (Use) Use(Stores[k]);
    }
  }
  if (failure) std::rethrow_exception(failure);
}

void Tivent::Clear() {
  ++Generation;
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
