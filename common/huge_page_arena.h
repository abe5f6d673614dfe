#pragma once
// Memory for one large job that ends with the process.

#include <cstddef>
#include <memory_resource>
#include <vector>

namespace vlm {

// Blocks cut in turn from regions mapped with transparent huge pages, so that
// first touching them costs one fault per 2 MiB instead of one per 4 KiB (on
// a virtual machine, faults were a fifth of a large compile). Nothing is given
// back before the arena is destroyed: it suits a program that does one job,
// not a long-lived one. Where huge pages are not to be had, the regions are
// ordinary memory.
class HugePageArena : public std::pmr::memory_resource {
 public:
  HugePageArena() = default;
  HugePageArena(const HugePageArena&) = delete;
  HugePageArena& operator=(const HugePageArena&) = delete;
  ~HugePageArena() override;

 private:
  void* do_allocate(std::size_t Bytes, std::size_t Alignment) override;
  void do_deallocate(void*, std::size_t, std::size_t) override {}
  bool do_is_equal(const std::pmr::memory_resource& Other) const noexcept override { return this == &Other; }
  // Maps a region of at least Bytes and returns its start; throws std::bad_alloc.
  char* MapRegion(std::size_t Bytes);

  struct Region {
    void* Base;
    std::size_t Size;
  };
  std::vector<Region> Regions;  // every mapping, to unmap at the end
  char* Next = nullptr;         // the free part of the current region
  char* End = nullptr;
};

}  // namespace vlm
