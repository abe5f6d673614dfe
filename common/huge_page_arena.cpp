#include "common/huge_page_arena.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace vlm {

namespace {

constexpr std::size_t HugePage = std::size_t{2} << 20;
constexpr std::size_t RegionSize = std::size_t{64} << 20;  // address space only, until touched

std::size_t RoundUp(std::size_t Value, std::size_t Step) { return (Value + Step - 1) / Step * Step; }

}  // namespace

HugePageArena::~HugePageArena() {
  for (const Region& region : Regions) ::munmap(region.Base, region.Size);
}

// One huge page more than asked is mapped, so that the region can start on a
// huge-page boundary; the advice is a hint, and its failure is no error.
char* HugePageArena::MapRegion(std::size_t Bytes) {
  const std::size_t size = RoundUp(Bytes, HugePage) + HugePage;
  void* base = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (base == MAP_FAILED) throw std::bad_alloc();
  Regions.push_back({base, size});
  const auto start = RoundUp(reinterpret_cast<std::uintptr_t>(base), HugePage);
  ::madvise(reinterpret_cast<void*>(start), size - (start - reinterpret_cast<std::uintptr_t>(base)), MADV_HUGEPAGE);
  End = static_cast<char*>(base) + size;
  return reinterpret_cast<char*>(start);
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
    at = reinterpret_cast<std::uintptr_t>(Next);
  }
  Next = reinterpret_cast<char*>(at + Bytes);
  return reinterpret_cast<void*>(at);
}

}  // namespace vlm
