#include "compiler/sort_ahead.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "compiler/tivent.h"
#include "tests/support/store_events.h"

namespace {

using vlmtest::ReadStore;

// Events as a song gives them: mostly in order, with chords and early
// events, many of equal time (whose order only the sort's steps decide),
// and now and then a long one kept outside the record.
void AddSongEvents(vlm::Tivent& store, int count, std::uint32_t seed) {
  auto next = [&seed](std::uint32_t n) { return ((seed = seed * 1103515245u + 12345u) >> 8 & 0xFFFFu) % n; };
  for (int i = 0; i < count; ++i) {
    const auto time = static_cast<std::int32_t>(i / 3 * 24) - static_cast<std::int32_t>(next(30));
    const std::uint8_t bytes[6] = {0xF0, static_cast<std::uint8_t>(i & 0x7F), static_cast<std::uint8_t>(i >> 7 & 0x7F),
                                   static_cast<std::uint8_t>(i >> 14 & 0x7F), 1, 0xF7};
    if (i % 1000 == 0)
      store.Add(time, bytes, 6);
    else
      store.Add(time, bytes + 1, 3);
  }
}

constexpr int Large = vlm::SortAhead::OfferFrom + 5000;

// A store left and not changed since takes the order sorted ahead, which
// must be exactly the order sorting it then gives.
TEST(SortAhead, AnUnchangedStoreTakesTheOrderSortingItGives) {
  vlm::Tivent ahead, reference;
  AddSongEvents(ahead, Large, 7);
  AddSongEvents(reference, Large, 7);
  vlm::SortAhead sorter;
  sorter.Offer(ahead);
  sorter.Finish();
  ASSERT_TRUE(sorter.TakeSorted(ahead));
  reference.Sort();
  EXPECT_EQ(ReadStore(ahead), ReadStore(reference));
  // Taken once: the order is the store's now, and the result is gone.
  EXPECT_FALSE(sorter.TakeSorted(ahead));
}

// Any change after the store was left makes the work ahead unusable: more
// events (which may be added while the store is being sorted ahead), or a
// clear followed by as many new ones.
TEST(SortAhead, AChangedStoreIsLeftAsItIs) {
  vlm::Tivent grown, refilled, small;
  AddSongEvents(grown, Large, 1);
  AddSongEvents(refilled, Large, 2);
  AddSongEvents(small, vlm::SortAhead::OfferFrom - 1, 3);
  vlm::SortAhead sorter;
  sorter.Offer(grown);
  sorter.Offer(refilled);
  sorter.Offer(small);
  AddSongEvents(grown, 5000, 4);
  sorter.Finish();
  refilled.Clear();
  AddSongEvents(refilled, Large, 5);
  const auto grownBefore = ReadStore(grown);
  const auto refilledBefore = ReadStore(refilled);
  EXPECT_FALSE(sorter.TakeSorted(grown));
  EXPECT_FALSE(sorter.TakeSorted(refilled));
  EXPECT_FALSE(sorter.TakeSorted(small));
  EXPECT_EQ(ReadStore(grown), grownBefore);
  EXPECT_EQ(ReadStore(refilled), refilledBefore);
}

// A store offered again is taken again only once it has doubled; the latest
// offer decides. Reset starts afresh.
TEST(SortAhead, AStoreIsTakenAgainOnlyOnceItHasDoubled) {
  vlm::Tivent store, reference;
  AddSongEvents(store, Large, 9);
  vlm::SortAhead sorter;
  sorter.Offer(store);
  AddSongEvents(store, Large / 2, 10);
  sorter.Offer(store);  // grown by half: not taken again
  sorter.Finish();
  EXPECT_FALSE(sorter.TakeSorted(store));

  sorter.Reset();
  sorter.Offer(store);
  AddSongEvents(store, Large * 2, 11);
  sorter.Offer(store);  // doubled: this offer replaces the first
  sorter.Finish();
  AddSongEvents(reference, Large, 9);
  AddSongEvents(reference, Large / 2, 10);
  AddSongEvents(reference, Large * 2, 11);
  ASSERT_TRUE(sorter.TakeSorted(store));
  reference.Sort();
  EXPECT_EQ(ReadStore(store), ReadStore(reference));
}

// Stopping with work still queued, or destroying the sorter mid-work, ends
// without reading a store afterwards; a store whose sort had not begun is
// simply not taken.
TEST(SortAhead, StoppingLeavesUnbegunStoresUntaken) {
  std::vector<vlm::Tivent> stores(8);
  for (std::size_t k = 0; k < stores.size(); ++k) AddSongEvents(stores[k], Large, static_cast<std::uint32_t>(k));
  {
    vlm::SortAhead sorter;
    for (auto& store : stores) sorter.Offer(store);
  }
  vlm::SortAhead sorter;
  for (auto& store : stores) sorter.Offer(store);
  sorter.Stop();
  for (auto& store : stores) {
    vlm::Tivent reference;
    AddSongEvents(reference, Large, static_cast<std::uint32_t>(&store - stores.data()));
    const auto before = ReadStore(store);
    if (sorter.TakeSorted(store)) {
      reference.Sort();
      EXPECT_EQ(ReadStore(store), ReadStore(reference));
    } else {
      EXPECT_EQ(ReadStore(store), before);
    }
  }
}

}  // namespace
