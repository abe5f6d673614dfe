#pragma once
// A memory resource for tests of who takes memory from where.

#include <cstdint>
#include <cstring>
#include <memory_resource>

namespace vlmtest {

// Counts the blocks it hands out; each is filled with Fill first, as memory
// that held something else would be.
class CountingResource : public std::pmr::memory_resource {
 public:
  explicit CountingResource(std::uint8_t Fill = 0) : Fill(Fill) {}
  int live = 0;         // blocks handed out and not given back
  int allocations = 0;  // blocks handed out in all

 private:
  void* do_allocate(std::size_t Bytes, std::size_t Alignment) override {
    ++live;
    ++allocations;
    void* block = std::pmr::new_delete_resource()->allocate(Bytes, Alignment);
    std::memset(block, Fill, Bytes);
    return block;
  }
  void do_deallocate(void* Block, std::size_t Bytes, std::size_t Alignment) override {
    --live;
    std::pmr::new_delete_resource()->deallocate(Block, Bytes, Alignment);
  }
  bool do_is_equal(const std::pmr::memory_resource& Other) const noexcept override { return this == &Other; }
  std::uint8_t Fill;
};

}  // namespace vlmtest
