#pragma once
// An event store's events as plain values, for comparing stores.

#include <cstdint>
#include <vector>

#include "compiler/tivent.h"

namespace vlmtest {

struct StoredEvent {
  std::int32_t time;
  std::vector<std::uint8_t> bytes;
  bool operator==(const StoredEvent&) const = default;
};

// Every event of Store, in its current order.
inline std::vector<StoredEvent> ReadStore(const vlm::Tivent& Store) {
  std::vector<StoredEvent> out;
  std::uint8_t buffer[vlm::Tivent::MaxEventBytes];
  for (std::int32_t i = 0; i < Store.Count(); ++i) {
    std::int32_t time, len;
    Store.GetEvent(i, time, buffer, len);
    out.push_back({time, std::vector<std::uint8_t>(buffer, buffer + len)});
  }
  return out;
}

}  // namespace vlmtest
