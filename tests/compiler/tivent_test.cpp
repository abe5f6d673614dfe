#include <gtest/gtest.h>

#include <algorithm>

#include "common/warning.h"
#include "compiler/tivent.h"

namespace {

struct Event {
  std::int32_t time;
  std::vector<std::uint8_t> bytes;
};

std::vector<Event> ReadAll(const vlm::Tivent& store) {
  std::vector<Event> out;
  std::uint8_t buffer[vlm::Tivent::MaxEventBytes];
  for (std::int32_t i = 0; i < store.Count(); ++i) {
    std::int32_t time, len;
    store.GetEvent(i, time, buffer, len);
    out.push_back({time, std::vector<std::uint8_t>(buffer, buffer + len)});
  }
  return out;
}

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
  const auto events = ReadAll(store);
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
  for (const auto& e : ReadAll(store)) tags.push_back(e.bytes[1]);
  EXPECT_EQ(tags, (std::vector<int>{3, 4, 2, 0, 1}));
}

TEST(Tivent, ClearStartsAgainAtOffsetZero) {
  vlm::Tivent store;
  AddByte(store, 1, 1);
  store.Clear();
  EXPECT_EQ(store.Count(), 0);
  store.Sort();
  AddByte(store, 2, 9);
  const auto events = ReadAll(store);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].bytes[1], 9);
}

TEST(Tivent, LargeAndAdversarialInputsSortCorrectly) {
  vlm::Tivent store;
  std::vector<std::int32_t> times;
  for (int i = 0; i < 200000; ++i) times.push_back((i * 7919) % 1000 - (i % 3 == 0 ? 500 : 0));
  for (std::size_t i = 0; i < times.size(); ++i) AddByte(store, times[i], static_cast<std::uint8_t>(i & 0x7F));
  store.Sort();
  const auto events = ReadAll(store);
  std::sort(times.begin(), times.end());
  ASSERT_EQ(events.size(), times.size());
  for (std::size_t i = 0; i < times.size(); ++i) ASSERT_EQ(events[i].time, times[i]);
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

}  // namespace
