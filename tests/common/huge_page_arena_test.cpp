#include "common/huge_page_arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>

namespace {

// Blocks must be aligned, writable and apart from each other, across the
// end of a region and for a block larger than a region's share.
TEST(HugePageArena, BlocksAreAlignedWritableAndDistinct) {
  vlm::HugePageArena arena;
  std::map<std::uintptr_t, std::size_t> blocks;  // start to size
  for (int i = 0; i < 3000; ++i) {  // about 96 MiB of 32 KiB blocks: two regions and more
    const std::size_t size = 32768 + static_cast<std::size_t>(i % 3);
    auto* block = static_cast<unsigned char*>(arena.allocate(size, 64));
    const auto at = reinterpret_cast<std::uintptr_t>(block);
    ASSERT_EQ(at % 64, 0u);
    blocks[at] = size;
    block[0] = 1;
    block[size - 1] = 2;
  }
  ASSERT_EQ(blocks.size(), 3000u);
  std::uintptr_t end = 0;
  for (const auto& [at, size] : blocks) {
    ASSERT_GE(at, end) << "blocks overlap";
    end = at + size;
  }
  auto* big = static_cast<unsigned char*>(arena.allocate(std::size_t{40} << 20, 4096));
  std::memset(big, 7, std::size_t{40} << 20);
  auto* after = static_cast<unsigned char*>(arena.allocate(100, 8));
  after[99] = 3;
  EXPECT_EQ(big[(std::size_t{40} << 20) - 1], 7);
  arena.deallocate(after, 100, 8);  // a no-op; the arena gives all back at its end
}

}  // namespace
