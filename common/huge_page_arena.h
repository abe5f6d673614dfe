#pragma once
// Memory for one large job that ends with the process.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory_resource>
#include <mutex>
#include <thread>
#include <vector>

namespace vlm {

// Blocks cut in turn from regions mapped with transparent huge pages, so that
// first touching them costs one fault per 2 MiB instead of one per 4 KiB (on
// a virtual machine, faults were a fifth of a large compile). Nothing is given
// back before the arena is destroyed: it suits a program that does one job,
// not a long-lived one. Where huge pages are not to be had, the regions are
// ordinary memory.
//
// Once a job has used a few huge pages, a second thread faults in the pages
// just ahead of the ones in use: the kernel clears each new page, and that
// work then runs beside the job instead of inside it.
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
  // Asks for the pages up to a little past Next to be faulted in.
  void FaultAhead();
  void FaultInPages();

  struct Region {
    void* Base;
    std::size_t Size;
  };
  std::vector<Region> Regions;  // every mapping, to unmap at the end
  char* Next = nullptr;         // the free part of the current region
  char* End = nullptr;
  char* AheadFrom = nullptr;    // Next passing this asks for more pages ahead
  std::size_t Served = 0;       // bytes handed out from shared regions

  // The faulting thread's work: the pages from Faulted up to Wanted, both in
  // the current region and guarded by Lock.
  std::mutex Lock;
  std::condition_variable Wake;
  char* Faulted = nullptr;
  char* Wanted = nullptr;
  bool Stopping = false;
  std::atomic<bool> NoFaulter = false;  // the thread could not start, or the kernel lacks the advice
  std::thread Faulter;
};

}  // namespace vlm
