#include "compiler/tivent.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "common/warning.h"

namespace vlm {

void Tivent::Add(std::int32_t Time, const std::uint8_t* Data, std::int32_t Len) {
  if (Len < 0 || Len > MaxEventBytes || Stream.size() + static_cast<std::size_t>(Len) > INT32_MAX) {
    Beep();
    ShowWarning("Tivent write error! Out Of Memory");
    return;
  }
  const auto pos = Stream.size();
  try {
    Stream.resize(pos + static_cast<std::size_t>(Len));
    if (Len > 0) std::memcpy(Stream.data() + pos, Data, static_cast<std::size_t>(Len));
    Items.push_back(TiventRec{Time, static_cast<std::int32_t>(pos), Len});
  } catch (const std::bad_alloc&) {
    Stream.resize(pos);
    Beep();
    ShowWarning("Tivent write error! Out Of Memory");
  }
}

void Tivent::GetEvent(std::int32_t Index, std::int32_t& Time, std::uint8_t* Buffer,
                      std::int32_t& Len) const {
  const TiventRec& rec = Items.at(static_cast<std::size_t>(Index));
  Time = rec.Time;
  Len = rec.Len;
  std::memcpy(Buffer, Stream.data() + rec.Pos, static_cast<std::size_t>(rec.Len));
}

// The Hoare-style quicksort below decides the order of events of equal time,
// so it must not be replaced by std::sort. The left part is deferred on an
// explicit stack instead of a recursive call: the ranges are disjoint, so the
// result is the same, and no input can exhaust the call stack.
void Tivent::Sort() {
  if (Items.empty()) return;
  auto ordering = [](const TiventRec& a, const TiventRec& b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a.Time) -
                                     static_cast<std::uint32_t>(b.Time));
  };
  // A range already in strictly ascending order, spanning less than the
  // 32-bit wrap, is one that the steps below would leave as it is: every
  // partition stops both scans at the pivot and swaps it with itself.
  auto ascending = [this](std::int32_t L, std::int32_t R) {
    if (static_cast<std::int64_t>(Items[R].Time) - Items[L].Time > INT32_MAX) return false;
    for (std::int32_t k = L; k < R; ++k)
      if (Items[k].Time >= Items[k + 1].Time) return false;
    return true;
  };
  std::vector<std::pair<std::int32_t, std::int32_t>> pending{{0, Count() - 1}};
  while (!pending.empty()) {
    auto [L, R] = pending.back();
    pending.pop_back();
    while (!ascending(L, R)) {
      std::int32_t I = L, J = R;
      const TiventRec P = Items[static_cast<std::size_t>((L + R) / 2)];
      do {
        // The bounds only matter for times whose differences wrap around.
        while (I < R && ordering(Items[I], P) < 0) ++I;
        while (J > L && ordering(Items[J], P) > 0) --J;
        if (I <= J) {
          std::swap(Items[I], Items[J]);
          ++I;
          --J;
        }
      } while (I <= J);
      if (L < J) pending.emplace_back(L, J);
      L = I;
      if (I >= R) break;
    }
  }
}

void Tivent::Clear() {
  Items.clear();
  Stream.clear();
}

}  // namespace vlm
