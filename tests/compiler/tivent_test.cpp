#include <gtest/gtest.h>

#include <algorithm>
#include <memory_resource>
#include <string>
#include <vector>

#include "common/warning.h"
#include "compiler/tivent.h"
#include "tests/support/counting_memory.h"
#include "tests/support/store_events.h"

namespace {

using vlmtest::CountingResource;
using vlmtest::ReadStore;

void AddByte(vlm::Tivent& store, std::int32_t time, std::uint8_t tag) {
  const std::uint8_t bytes[3] = {0x90, tag, 100};
  store.Add(time, bytes, 3);
}

TEST(Tivent, SortsByTimeKeepingEachEventsBytes) {
  vlm::Tivent store;
  AddByte(store, 10, 1);
  AddByte(store, 5, 2);
  AddByte(store, 7, 3);
  AddByte(store, -4, 4);
  store.Sort();
  const auto events = ReadStore(store);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].time, -4);
  EXPECT_EQ(events[0].bytes[1], 4);
  EXPECT_EQ(events[1].time, 5);
  EXPECT_EQ(events[1].bytes[1], 2);
  EXPECT_EQ(events[2].bytes[1], 3);
  EXPECT_EQ(events[3].bytes[1], 1);
}

TEST(Tivent, EqualTimesFollowTheQuicksortOrder) {
  // Equal keys are swapped pairwise around the middle pivot, then the two
  // halves are sorted again: the file order of one instant depends on it.
  vlm::Tivent store;
  for (std::uint8_t tag = 0; tag < 5; ++tag) AddByte(store, 0, tag);
  store.Sort();
  std::vector<int> tags;
  for (const auto& e : ReadStore(store)) tags.push_back(e.bytes[1]);
  EXPECT_EQ(tags, (std::vector<int>{3, 4, 2, 0, 1}));
}

TEST(Tivent, ClearStartsAgainAtOffsetZero) {
  vlm::Tivent store;
  AddByte(store, 1, 1);
  store.Clear();
  EXPECT_EQ(store.Count(), 0);
  store.Sort();
  AddByte(store, 2, 9);
  const auto events = ReadStore(store);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].bytes[1], 9);
}

TEST(Tivent, LargeAndAdversarialInputsSortCorrectly) {
  vlm::Tivent store;
  std::vector<std::int32_t> times;
  for (int i = 0; i < 200000; ++i) times.push_back((i * 7919) % 1000 - (i % 3 == 0 ? 500 : 0));
  for (std::size_t i = 0; i < times.size(); ++i) AddByte(store, times[i], static_cast<std::uint8_t>(i & 0x7F));
  store.Sort();
  const auto events = ReadStore(store);
  std::sort(times.begin(), times.end());
  ASSERT_EQ(events.size(), times.size());
  for (std::size_t i = 0; i < times.size(); ++i) ASSERT_EQ(events[i].time, times[i]);
}

// The sort's steps written plainly, on positions: the order a store must
// give its events, ties included.
std::vector<int> StepOrder(const std::vector<std::int32_t>& times) {
  std::vector<std::pair<std::int32_t, int>> e;
  for (std::size_t i = 0; i < times.size(); ++i) e.emplace_back(times[i], static_cast<int>(i));
  auto ordering = [](std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
  };
  std::vector<std::pair<int, int>> pending{{0, static_cast<int>(e.size()) - 1}};
  while (!pending.empty()) {
    auto [L, R] = pending.back();
    pending.pop_back();
    for (;;) {
      int I = L, J = R;
      const std::int32_t p = e[static_cast<std::size_t>((L + R) / 2)].first;
      do {
        while (I < R && ordering(e[static_cast<std::size_t>(I)].first, p) < 0) ++I;
        while (J > L && ordering(e[static_cast<std::size_t>(J)].first, p) > 0) --J;
        if (I <= J) std::swap(e[static_cast<std::size_t>(I++)], e[static_cast<std::size_t>(J--)]);
      } while (I <= J);
      if (L < J) pending.emplace_back(L, J);
      L = I;
      if (I >= R) break;
    }
  }
  std::vector<int> order;
  for (const auto& [time, position] : e) order.push_back(position);
  return order;
}

TEST(Tivent, EqualTimesEndWhereTheStepsPutThem) {
  // Several chunks of events: nearly in order with chords and events placed
  // a tick or two early (as songs give them), few distinct times, times at
  // both ends of the 32-bit range, and a descending run.
  std::uint32_t seed = 12345;
  auto next = [&seed](std::uint32_t n) { return ((seed = seed * 1103515245u + 12345u) >> 8 & 0xFFFFu) % n; };
  std::vector<std::vector<std::int32_t>> inputs(4);
  for (int i = 0; i < 10000; ++i) inputs[0].push_back(i / 3 * 48 - static_cast<std::int32_t>(next(4)));
  for (int i = 0; i < 5000; ++i) inputs[1].push_back(static_cast<std::int32_t>(next(8)));
  for (int i = 0; i < 3000; ++i) {
    const auto offset = static_cast<std::int32_t>(next(5));
    inputs[2].push_back(next(2) ? INT32_MAX - offset : INT32_MIN + offset);
  }
  for (int i = 0; i < 3000; ++i) inputs[3].push_back(3000 - i / 2);
  for (const auto& times : inputs) {
    vlm::Tivent store;
    for (std::size_t i = 0; i < times.size(); ++i) {
      const std::uint8_t bytes[3] = {0x90, static_cast<std::uint8_t>(i & 0x7F), static_cast<std::uint8_t>(i >> 7)};
      store.Add(times[i], bytes, 3);
    }
    store.Sort();
    const auto events = ReadStore(store);
    const auto expected = StepOrder(times);
    ASSERT_EQ(events.size(), times.size());
    for (std::size_t k = 0; k < events.size(); ++k) {
      const int position = events[k].bytes[1] | events[k].bytes[2] << 7;
      ASSERT_EQ(position, expected[k]) << "at " << k;
      ASSERT_EQ(events[k].time, times[static_cast<std::size_t>(position)]);
    }
  }
}

// Tags moved with the events tell where each one came from, and the events
// end exactly where an untagged sort puts them.
TEST(Tivent, TagsFollowTheirEventsThroughTheSort) {
  std::uint32_t seed = 7;
  auto next = [&seed](std::uint32_t n) { return ((seed = seed * 1103515245u + 12345u) >> 8 & 0xFFFFu) % n; };
  for (const int count : {1, 2, 5, 300, 20000}) {
    std::vector<std::int32_t> times;
    for (int i = 0; i < count; ++i) times.push_back(i / 4 * 24 - static_cast<std::int32_t>(next(30)));
    vlm::Tivent tagged, plain;
    for (std::size_t i = 0; i < times.size(); ++i) {
      const std::uint8_t bytes[3] = {0x90, static_cast<std::uint8_t>(i & 0x7F), static_cast<std::uint8_t>(i >> 7)};
      tagged.Add(times[i], bytes, 3);
      plain.Add(times[i], bytes, 3);
    }
    std::vector<std::uint32_t> tags(times.size());
    for (std::size_t i = 0; i < tags.size(); ++i) tags[i] = static_cast<std::uint32_t>(i);
    tagged.Sort(tags.data());
    plain.Sort();
    ASSERT_EQ(ReadStore(tagged), ReadStore(plain)) << count << " events";
    const auto expected = StepOrder(times);
    for (std::size_t k = 0; k < tags.size(); ++k) ASSERT_EQ(tags[k], static_cast<std::uint32_t>(expected[k])) << "at " << k;
  }
}

// Stores of every size, none to tens of thousands, each end in the order the
// steps give, independently of each other.
TEST(Tivent, StoresOfEverySizeEndInTheStepsOrder) {
  std::uint32_t seed = 99;
  auto next = [&seed](std::uint32_t n) { return ((seed = seed * 1103515245u + 12345u) >> 8 & 0xFFFFu) % n; };
  const std::vector<int> sizes = {30000, 0, 25000, 9000, 17000, 1, 12000};
  std::vector<vlm::Tivent> stores(sizes.size());
  std::vector<std::vector<std::int32_t>> times(sizes.size());
  for (std::size_t s = 0; s < sizes.size(); ++s) {
    for (int i = 0; i < sizes[s]; ++i) {
      times[s].push_back(i / 2 * 24 - static_cast<std::int32_t>(next(3)) * static_cast<std::int32_t>(s));
      const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(i & 0xFF), static_cast<std::uint8_t>(i >> 8 & 0xFF),
                                     static_cast<std::uint8_t>(i >> 16)};
      stores[s].Add(times[s].back(), bytes, 3);
    }
  }
  for (auto& store : stores) store.Sort();
  for (std::size_t s = 0; s < sizes.size(); ++s) {
    const auto events = ReadStore(stores[s]);
    ASSERT_EQ(events.size(), times[s].size());
    if (events.empty()) continue;
    const auto expected = StepOrder(times[s]);
    for (std::size_t k = 0; k < events.size(); ++k) {
      const int position = events[k].bytes[0] | events[k].bytes[1] << 8 | events[k].bytes[2] << 16;
      ASSERT_EQ(position, expected[k]) << "store " << s << " at " << k;
    }
  }
}

// The positions of Times once a store holding them in this order is sorted,
// one or more times, with more events added in between. Every seventh event
// is one too long to be held in its record.
std::vector<int> StoreOrder(vlm::Tivent& store, const std::vector<std::int32_t>& times, std::size_t from) {
  for (std::size_t i = from; i < times.size(); ++i) {
    const std::uint8_t bytes[5] = {static_cast<std::uint8_t>(i & 0x7F), static_cast<std::uint8_t>(i >> 7), 1, 2, 3};
    store.Add(times[i], bytes, i % 7 == 0 ? 5 : 2);
  }
  store.Sort();
  std::vector<int> order;
  for (const auto& e : ReadStore(store)) order.push_back(e.bytes[0] | e.bytes[1] << 7);
  return order;
}

// A store whose times strictly rise is left unsorted; that must still be the
// order the steps give, and no store may be taken for rising when it is not.
TEST(Tivent, StrictlyRisingStoresKeepTheStepsOrder) {
  std::vector<std::int32_t> rising;
  for (int i = 0; i < 9000; ++i) rising.push_back(i * 5 - 100);
  std::vector<std::int32_t> tie = rising;
  tie[4500] = tie[4499];  // one equal pair: the steps swap it
  std::vector<std::int32_t> longTie = rising;
  longTie[4501] = longTie[4500];  // the same with a long event
  std::vector<std::int32_t> late = rising;
  late.push_back(rising.back());  // the last event ties with the one before
  // Rising, but spanning more than the 32-bit difference can order: the
  // wrapped comparison moves the ends.
  std::vector<std::int32_t> wide = {INT32_MIN + 1, (1 << 30) + 9, INT32_MAX - 1};
  ASSERT_NE(StepOrder(tie), StepOrder(rising));
  ASSERT_NE(StepOrder(longTie), StepOrder(rising));
  ASSERT_EQ(StepOrder(wide), (std::vector<int>{1, 2, 0}));
  for (const auto* times : {&rising, &tie, &longTie, &late, &wide}) {
    vlm::Tivent store;
    EXPECT_EQ(StoreOrder(store, *times, 0), StepOrder(*times));
  }
  // Sorted with the wrap, then given a later event: sorted again by the
  // steps, from the order the first sort left.
  vlm::Tivent store;
  StoreOrder(store, wide, 0);
  std::vector<std::int32_t> all = wide;
  all.push_back(INT32_MAX);
  // The steps over the first sort's order (times 2^30 + 9, max - 1, min + 1)
  // and the new event put the last two in the other order.
  EXPECT_EQ(StoreOrder(store, all, wide.size()), (std::vector<int>{1, 2, 3, 0}));
}

// Every arrangement of up to nine events over three times, and of up to six
// over times at both ends of the 32-bit range: the small ranges, ties at
// either end of a scan and wrapped differences all end as the steps put them.
TEST(Tivent, EverySmallArrangementEndsInTheStepsOrder) {
  const std::vector<std::vector<std::int32_t>> alphabets = {{0, 1, 2}, {INT32_MIN, 0, INT32_MAX}};
  for (std::size_t a = 0; a < alphabets.size(); ++a) {
    const auto& times = alphabets[a];
    for (int size = 1; size <= (a == 0 ? 9 : 6); ++size) {
      int arrangements = 1;
      for (int k = 0; k < size; ++k) arrangements *= 3;
      for (int code = 0; code < arrangements; ++code) {
        std::vector<std::int32_t> input;
        for (int k = 0, rest = code; k < size; ++k, rest /= 3)
          input.push_back(times[static_cast<std::size_t>(rest % 3)]);
        vlm::Tivent store;
        for (std::size_t i = 0; i < input.size(); ++i) AddByte(store, input[i], static_cast<std::uint8_t>(i));
        store.Sort();
        std::vector<int> order;
        for (const auto& e : ReadStore(store)) order.push_back(e.bytes[1]);
        ASSERT_EQ(order, StepOrder(input)) << "size " << size << " arrangement " << code;
      }
    }
  }
}

// Sorting a sorted store again changes nothing, even where the steps would
// swap equal times once more: a file written twice is the same file.
TEST(Tivent, SortingTwiceLeavesTheFirstOrder) {
  vlm::Tivent store;
  for (std::uint8_t tag = 0; tag < 5; ++tag) AddByte(store, 0, tag);
  store.Sort();
  const auto once = ReadStore(store);
  store.Sort();
  EXPECT_EQ(ReadStore(store), once);
  AddByte(store, 0, 5);  // a new event: the next sort runs the steps again
  store.Sort();
  std::vector<int> tags;
  for (const auto& e : ReadStore(store)) tags.push_back(e.bytes[1]);
  std::vector<int> expected;
  for (const int position : StepOrder(std::vector<std::int32_t>(6, 0)))
    expected.push_back(position < 5 ? once[static_cast<std::size_t>(position)].bytes[1] : 5);
  EXPECT_EQ(tags, expected);
}

class RecordingWarnings : public vlm::WarningSink {
 public:
  std::vector<std::string> shown;
  int beeps = 0;
  void ShowWarning(const std::string& text) override { shown.push_back(text); }
  void Beep() override { ++beeps; }
};

TEST(Tivent, OversizedEventIsDroppedWithAWarning) {
  RecordingWarnings warnings;
  vlm::SetWarningSink(&warnings);
  vlm::Tivent store;
  std::vector<std::uint8_t> big(300, 0);
  store.Add(0, big.data(), 300);
  vlm::SetWarningSink(nullptr);
  EXPECT_EQ(store.Count(), 0);
  EXPECT_EQ(warnings.beeps, 1);
  EXPECT_EQ(warnings.shown, (std::vector<std::string>{"Tivent write error! Out Of Memory"}));
}

// Events of every length up to the limit, short ones among long ones, keep
// their bytes through a refused event, a sort, later additions and a clear.
TEST(Tivent, EventsOfEveryLengthKeepTheirBytes) {
  struct CaughtWarnings : RecordingWarnings {
    CaughtWarnings() { vlm::SetWarningSink(this); }
    ~CaughtWarnings() override { vlm::SetWarningSink(nullptr); }
  } warnings;
  vlm::Tivent store;
  std::vector<vlmtest::StoredEvent> added;
  auto add = [&](std::int32_t time, std::size_t length) {
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t k = 0; k < length; ++k) bytes[k] = static_cast<std::uint8_t>(time * 7 + k);
    store.Add(time, bytes.data(), static_cast<std::int32_t>(length));
    if (length <= 256) added.push_back({time, bytes});
  };
  for (std::size_t length : {3, 6, 0, 2, 11, 300, 256, 1, 4, 3})
    add(static_cast<std::int32_t>(100 - added.size() * 9), length);
  store.Sort();
  add(-1, 5);  // after a sort: appended at the end
  add(200, 2);
  std::vector<vlmtest::StoredEvent> expected = added;
  std::sort(expected.begin(), expected.end() - 2, [](const vlmtest::StoredEvent& a, const vlmtest::StoredEvent& b) { return a.time < b.time; });
  const auto events = ReadStore(store);
  ASSERT_EQ(events.size(), expected.size());
  for (std::size_t k = 0; k < events.size(); ++k) {
    EXPECT_EQ(events[k].time, expected[k].time);
    EXPECT_EQ(events[k].bytes, expected[k].bytes) << "event " << k;
  }
  store.Clear();
  added.clear();
  add(5, 9);
  add(4, 3);
  store.Sort();
  EXPECT_EQ(warnings.beeps, 1);
  const auto again = ReadStore(store);
  ASSERT_EQ(again.size(), 2u);
  EXPECT_EQ(again[0].bytes, added[1].bytes);
  EXPECT_EQ(again[1].bytes, added[0].bytes);
}

// Short and long events mixed across chunk boundaries (a long event or a
// refused one right where a chunk fills, short ones after it) keep their
// order and bytes, and the store counts every event and byte it kept.
TEST(Tivent, MixedLengthsAcrossChunksAreAllCounted) {
  vlm::Tivent store([](const std::string&) {}, std::pmr::new_delete_resource());
  std::vector<vlmtest::StoredEvent> added;
  std::size_t bytesKept = 0;
  const std::vector<std::uint8_t> tooLong(300, 0xF7);
  for (std::int32_t i = 0; i < 3 * 4096 + 50; ++i) {
    // Long events fill the first chunk's last word and open the second;
    // short ones alone cross the second boundary, long ones turn up anywhere.
    const bool longOne = i == 4095 || i == 4096 || i % 777 == 0;
    const std::size_t length = longOne ? 5 + static_cast<std::size_t>(i % 7) : static_cast<std::size_t>(i % 4);
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t k = 0; k < length; ++k) bytes[k] = static_cast<std::uint8_t>(i * 3 + static_cast<int>(k));
    if (i % 1000 == 999) store.Add(i, tooLong.data(), 300);  // refused: leaves no trace
    store.Add(i, bytes.data(), static_cast<std::int32_t>(length));
    added.push_back({i, bytes});
    bytesKept += length;
  }
  EXPECT_EQ(store.Count(), static_cast<std::int32_t>(added.size()));
  EXPECT_EQ(store.ByteCount(), bytesKept);
  EXPECT_EQ(ReadStore(store), added);
}

// A store takes its chunks from the resource it is given and gives them back
// to it; the process's default resource is never asked, whatever it is.
TEST(Tivent, StoresTakeTheirChunksFromTheResourceTheyAreGiven) {
  CountingResource given, fallback;
  std::pmr::memory_resource* const previous = std::pmr::set_default_resource(&fallback);
  {
    vlm::Tivent store({}, &given);
    vlm::Tivent plain;
    const std::uint8_t note[3] = {0x90, 60, 100};
    for (int i = 0; i < 10000; ++i) {
      store.Add(i, note, 3);
      plain.Add(i, note, 3);
    }
    EXPECT_EQ(given.allocations, 3);  // 4096 events to a chunk
    store.Clear();
    EXPECT_EQ(given.live, 0);
    store.Add(0, note, 3);
    EXPECT_EQ(given.live, 1);
    CountingResource other;
    store.Configure({}, &other);  // empties the store into the resource it came from
    EXPECT_EQ(given.live, 0);
    store.Add(0, note, 3);
    EXPECT_EQ(other.live, 1);
    store.Clear();
  }
  std::pmr::set_default_resource(previous);
  EXPECT_EQ(given.live, 0);
  EXPECT_EQ(fallback.allocations, 0);
}

// A store read for the last time gives back the chunks before a place,
// never the last one (which takes the next event), and the events from that
// place on keep their bytes; Clear gives back the rest.
TEST(Tivent, ReleasingTheReadChunksKeepsTheRest) {
  CountingResource given;
  vlm::Tivent store({}, &given);
  for (int i = 0; i < 10000; ++i) AddByte(store, i, static_cast<std::uint8_t>(i % 128));
  store.ReleaseBefore(4095);
  EXPECT_EQ(given.live, 3);
  store.ReleaseBefore(4096);
  EXPECT_EQ(given.live, 2);
  store.ReleaseBefore(5000);
  EXPECT_EQ(given.live, 2);
  store.ReleaseBefore(10000);
  EXPECT_EQ(given.live, 1);
  std::uint8_t bytes[vlm::Tivent::MaxEventBytes];
  std::int32_t time = 0, length = 0;
  store.GetEvent(9999, time, bytes, length);
  EXPECT_EQ(time, 9999);
  EXPECT_EQ(bytes[1], 9999 % 128);
  AddByte(store, 10000, 5);
  store.GetEvent(10000, time, bytes, length);
  EXPECT_EQ(time, 10000);
  EXPECT_EQ(store.Count(), 10001);
  store.Clear();
  EXPECT_EQ(given.live, 0);
  AddByte(store, 0, 1);
  EXPECT_EQ(given.live, 1);
  store.Clear();
}

// A store given a warning reports a refused event there, and only there;
// once until it is cleared, so that running out of memory is not one modal
// box per event.
TEST(Tivent, ARefusedEventGoesToTheGivenWarning) {
  RecordingWarnings sink;
  vlm::SetWarningSink(&sink);
  std::vector<std::string> told;
  vlm::Tivent store([&told](const std::string& text) { told.push_back(text); }, std::pmr::new_delete_resource());
  std::vector<std::uint8_t> big(257, 0xF0);
  store.Add(0, big.data(), 257);
  store.Add(0, big.data(), -1);
  store.Add(0, big.data(), 256);
  EXPECT_EQ(told, (std::vector<std::string>(1, "Tivent write error! Out Of Memory")));
  EXPECT_EQ(store.Count(), 1);
  store.Clear();
  store.Add(0, big.data(), 257);
  vlm::SetWarningSink(nullptr);
  EXPECT_EQ(told, (std::vector<std::string>(2, "Tivent write error! Out Of Memory")));
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(sink.beeps, 0);
}

// Whatever the chunk memory held before, the same events give the same
// order and the same bytes: nothing past an event's length is read as part
// of it (memcheck reports any such read of uninitialised memory).
TEST(Tivent, LeftoverMemoryChangesNothing) {
  std::vector<std::vector<vlmtest::StoredEvent>> results;
  for (const std::uint8_t fill : {0x00, 0xFF, 0x5A}) {
    CountingResource memory(fill);
    vlm::Tivent store({}, &memory);
    std::uint32_t seed = 5;
    auto next = [&seed](std::uint32_t n) { return ((seed = seed * 1103515245u + 12345u) >> 8 & 0xFFFFu) % n; };
    for (int i = 0; i < 9000; ++i) {
      const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(0xC0 | (i & 0x0F)), static_cast<std::uint8_t>(i & 0x7F),
                                     static_cast<std::uint8_t>(i >> 7 & 0x7F)};
      store.Add(i / 4 * 10 - static_cast<std::int32_t>(next(3)), bytes, static_cast<std::int32_t>(i % 4));
    }
    store.Sort();
    results.push_back(ReadStore(store));
  }
  EXPECT_EQ(results[0], results[1]);
  EXPECT_EQ(results[0], results[2]);
}

}  // namespace
