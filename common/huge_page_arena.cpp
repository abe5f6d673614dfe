#include "common/huge_page_arena.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <system_error>

namespace vlm {

namespace {

constexpr std::size_t HugePage = std::size_t{2} << 20;
constexpr std::size_t RegionSize = std::size_t{64} << 20;  // address space only, until touched
// A job that has been served this much is large enough to fault ahead for;
// a small one never starts the thread.
constexpr std::size_t FaultAheadFrom = 2 * HugePage;
// How far past the block last handed out the pages are faulted in: enough to
// stay ahead of the job, little enough to add no real memory.
constexpr std::size_t FaultAheadBy = 2 * HugePage;

std::size_t RoundUp(std::size_t Value, std::size_t Step) { return (Value + Step - 1) / Step * Step; }

char* RoundUp(char* At, std::size_t Step) {
  return reinterpret_cast<char*>(RoundUp(reinterpret_cast<std::uintptr_t>(At), Step));
}

}  // namespace

HugePageArena::~HugePageArena() {
  {
    const std::lock_guard<std::mutex> hold(Lock);
    Stopping = true;
  }
  Wake.notify_one();
  if (Faulter.joinable()) Faulter.join();
  for (const Region& region : Regions) ::munmap(region.Base, region.Size);
}

// One huge page more than asked is mapped, so that the region can start on a
// huge-page boundary; the advice is a hint, and its failure is no error.
char* HugePageArena::MapRegion(std::size_t Bytes) {
  const std::size_t size = RoundUp(Bytes, HugePage) + HugePage;
  void* base = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (base == MAP_FAILED) throw std::bad_alloc();
  Regions.push_back({base, size});
  char* const start = RoundUp(static_cast<char*>(base), HugePage);
  ::madvise(start, size - static_cast<std::size_t>(start - static_cast<char*>(base)), MADV_HUGEPAGE);
  End = static_cast<char*>(base) + size;
  return start;
}

void* HugePageArena::do_allocate(std::size_t Bytes, std::size_t Alignment) {
  if (Bytes > RegionSize / 4 || Alignment > HugePage) {
    // A block this large gets a region of its own; the current one stays.
    char* const next = Next;
    char* const end = End;
    Regions.reserve(Regions.size() + 1);
    char* const block = MapRegion(Bytes);
    Next = next;
    End = end;
    return block;
  }
  auto at = RoundUp(reinterpret_cast<std::uintptr_t>(Next), Alignment);
  if (Next == nullptr || at + Bytes > reinterpret_cast<std::uintptr_t>(End)) {
    Regions.reserve(Regions.size() + 1);
    Next = MapRegion(RegionSize);
    AheadFrom = Next;
    const std::lock_guard<std::mutex> hold(Lock);
    Faulted = Next;
    Wanted = Next;
    at = reinterpret_cast<std::uintptr_t>(Next);
  }
  Next = reinterpret_cast<char*>(at + Bytes);
  Served += Bytes;
  if (Next > AheadFrom && Served >= FaultAheadFrom && !NoFaulter.load(std::memory_order_relaxed)) FaultAhead();
  return reinterpret_cast<void*>(at);
}

// Called once per huge page handed out. The thread starts on the first call;
// if it cannot, the job faults its own pages, as it would without it.
void HugePageArena::FaultAhead() {
  AheadFrom = RoundUp(Next, HugePage);
  {
    const std::lock_guard<std::mutex> hold(Lock);
    Faulted = std::max(Faulted, AheadFrom);
    Wanted = std::min(AheadFrom + FaultAheadBy, End);
  }
  if (!Faulter.joinable()) {
    try {
      Faulter = std::thread([this] { FaultInPages(); });
    } catch (const std::system_error&) {
      NoFaulter = true;
      return;
    }
  }
  Wake.notify_one();
}

// Faults the wanted pages in one huge page at a time (the last may be short,
// at the region's end), outside the lock, as a write would. The job may touch a page first; the kernel then clears it
// once, for whichever comes first. A kernel without the advice ends the
// thread's work for good.
void HugePageArena::FaultInPages() {
  std::unique_lock<std::mutex> hold(Lock);
  for (;;) {
    Wake.wait(hold, [this] { return Stopping || Faulted < Wanted; });
    if (Stopping) return;
    char* const page = Faulted;
    const std::size_t length = std::min(HugePage, static_cast<std::size_t>(Wanted - page));
    Faulted = page + length;
    hold.unlock();
#ifdef MADV_POPULATE_WRITE
    const bool done = ::madvise(page, length, MADV_POPULATE_WRITE) == 0;
#else
    const bool done = false;
#endif
    hold.lock();
    if (!done) {
      NoFaulter = true;
      return;
    }
  }
}

}  // namespace vlm
