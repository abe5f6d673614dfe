#include "compiler/tivent_sort.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

namespace vlm {

namespace {

// How the sort reaches word K: through the chunk table, or, for a range that
// lies within one chunk, through a plain pointer to that chunk, which spares
// every access a lookup in the table.
struct AcrossChunks {
  ChunkedWords Words;
  std::uint64_t& operator[](std::int32_t K) const { return Words[K]; }
};
struct WithinChunk {
  std::uint64_t* Chunk;  // the chunk's first word
  std::int32_t First;    // index of that word
  std::uint64_t& operator[](std::int32_t K) const { return Chunk[K - First]; }
};

// The steps, in order: set I = L, J = R and the pivot time P of the event at
// (L + R) / 2; move I up past times before P and J down past times after P;
// while I <= J swap the events at I and J, step both and scan again; then
// sort L..J and go on with I..R.
//
// Three shortcuts make the same moves with less work: a range already in
// strictly ascending order is left as it is (every partition of it would
// stop both scans at the pivot and swap it with itself), a range of two
// events takes its one step directly, and a scan over a large range passes
// a whole block of 64 events at once when the block's bounds show that it
// would pass each of them.
class TimeQuicksort {
 public:
  TimeQuicksort(ChunkedWords Words, std::int32_t Count, std::uint32_t* Tags);
  // False when the steps ran past their budget and a stable sort by time
  // finished the work instead.
  bool Run();

 private:
  static constexpr std::uint64_t LowHalf = 0xFFFFFFFFu;
  static constexpr int BlockShift = 6;
  static constexpr std::int32_t BlockSize = 1 << BlockShift;
  static constexpr std::int32_t LargeRange = 4 * BlockSize;  // ranges scanned by blocks from this size on
  static constexpr std::int64_t WorkPerEvent = 4;             // times log2 of the count: the sort's budget

  // Times as stored in the words (offset by 2^31): unsigned order and
  // differences are those of the times themselves.
  template <class Words>
  static std::uint32_t Time(const Words& W, std::int32_t k) { return static_cast<std::uint32_t>(W[k] >> 32); }
  static std::int32_t Ordering(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b); }

  template <class Words>
  void SortRange(const Words& W, std::int32_t L, std::int32_t R, bool WholeRange);
  template <class Words>
  void SortPair(const Words& W, std::int32_t K);
  template <class Words>
  bool Ascending(const Words& W, std::int32_t L, std::int32_t R) const;
  template <class Words>
  std::int32_t ScanUp(const Words& W, std::int32_t I, std::int32_t R, std::uint32_t P, bool ByBlocks) const;
  template <class Words>
  std::int32_t ScanDown(const Words& W, std::int32_t J, std::int32_t L, std::uint32_t P, bool ByBlocks) const;
  template <class Words>
  void Swap(const Words& W, std::int32_t I, std::int32_t J, bool ByBlocks);
  void FinishByTime();

  ChunkedWords Chunked;               // the events
  std::int32_t N;                     // how many
  std::uint32_t* Tags;                // moved with the events, or null
  // True when all times lie within a span under the wrap: then the wrapped
  // difference orders them as plain comparison does, which both the word
  // comparisons and the block bounds rely on. So it is in any real piece.
  bool Plain = false;
  std::vector<std::uint64_t> BlockMax;  // per block: no word in it is greater; empty when not used
  std::vector<std::uint64_t> BlockMin;  // per block: no word in it is smaller
  std::vector<std::pair<std::int32_t, std::int32_t>> Pending;  // ranges still to sort, first and last
  // Events passed by partitions so far, and the most they may pass. A
  // quicksort takes quadratic time on an input built against its pivot, or
  // on times that wrap around (whose wrapped order is no order at all), and
  // the compile's work bound does not see the sort. Real pieces pass each
  // event a few dozen times at most.
  std::int64_t Work = 0;
  std::int64_t WorkLimit = 0;
};

TimeQuicksort::TimeQuicksort(ChunkedWords Words, std::int32_t Count, std::uint32_t* EventTags)
    : Chunked(Words), N(Count), Tags(EventTags) {
  static_assert(ChunkedWords::ChunkWords % BlockSize == 0, "a block lies within one chunk");
  const auto blocks = static_cast<std::size_t>((N + BlockSize - 1) >> BlockShift);
  BlockMax.resize(blocks);
  BlockMin.resize(blocks);
  for (std::int32_t b = 0, first = 0; first < N; ++b, first += BlockSize) {
    const std::uint64_t* const block = &Words[first];
    const std::int32_t count = std::min(N - first, BlockSize);
    std::uint64_t low = block[0], high = block[0];
    for (std::int32_t k = 0; k < count; ++k) {
      low = std::min(low, block[k]);
      high = std::max(high, block[k]);
    }
    BlockMin[static_cast<std::size_t>(b)] = low;
    BlockMax[static_cast<std::size_t>(b)] = high;
  }
  const std::uint64_t lowest = *std::min_element(BlockMin.begin(), BlockMin.end());
  const std::uint64_t highest = *std::max_element(BlockMax.begin(), BlockMax.end());
  Plain = (highest >> 32) - (lowest >> 32) <= static_cast<std::uint64_t>(INT32_MAX);
  WorkLimit = WorkPerEvent * N * std::bit_width(static_cast<std::uint32_t>(N)) + (std::int64_t{1} << 20);
  if (!Plain || N < LargeRange) {
    BlockMax.clear();
    BlockMin.clear();
  }
}

// Strictly ascending, and spanning less than the wrap.
template <class Words>
bool TimeQuicksort::Ascending(const Words& W, std::int32_t L, std::int32_t R) const {
  if (static_cast<std::int64_t>(Time(W, R)) - Time(W, L) > INT32_MAX) return false;
  for (std::int32_t k = L; k < R; ++k)
    if (Time(W, k) >= Time(W, k + 1)) return false;
  return true;
}

// The bounds I < R and J > L only matter for times whose differences wrap
// around. Within a plain span each scan stops inside the range without them:
// the first ones at the pivot's event at the latest, each later one at the
// event the last swap put ahead of it (one of the pivot's time or beyond it),
// so those scans test no bound.
template <class Words>
std::int32_t TimeQuicksort::ScanUp(const Words& W, std::int32_t I, std::int32_t R, std::uint32_t P,
                                   bool ByBlocks) const {
  if (!Plain) {
    while (I < R && Ordering(Time(W, I), P) < 0) ++I;
    return I;
  }
  const std::uint64_t below = static_cast<std::uint64_t>(P) << 32;  // words of times before P
  if (!ByBlocks) {
    while (W[I] < below) ++I;
    return I;
  }
  while (W[I] < below) {
    ++I;
    if ((I & (BlockSize - 1)) == 0)
      while (I + BlockSize <= R && BlockMax[static_cast<std::size_t>(I >> BlockShift)] < below) I += BlockSize;
  }
  return I;
}

template <class Words>
std::int32_t TimeQuicksort::ScanDown(const Words& W, std::int32_t J, std::int32_t L, std::uint32_t P,
                                     bool ByBlocks) const {
  if (!Plain) {
    while (J > L && Ordering(Time(W, J), P) > 0) --J;
    return J;
  }
  const std::uint64_t above = static_cast<std::uint64_t>(P) << 32 | LowHalf;  // words of times after P
  if (!ByBlocks) {
    while (W[J] > above) --J;
    return J;
  }
  while (W[J] > above) {
    --J;
    if (((J + 1) & (BlockSize - 1)) == 0)
      while (J - BlockSize >= L && BlockMin[static_cast<std::size_t>(J >> BlockShift)] > above) J -= BlockSize;
  }
  return J;
}

// The bounds of the two blocks widen to take the words they receive; they
// may grow loose, never wrong. A range too small for block scans needs no
// widening: every range scanned later lies inside it (smaller still) or
// apart from it, and a block is only passed when wholly inside the range.
template <class Words>
void TimeQuicksort::Swap(const Words& W, std::int32_t I, std::int32_t J, bool ByBlocks) {
  if (ByBlocks) {
    const auto i = static_cast<std::size_t>(I >> BlockShift), j = static_cast<std::size_t>(J >> BlockShift);
    BlockMax[i] = std::max(BlockMax[i], W[J]);
    BlockMin[i] = std::min(BlockMin[i], W[J]);
    BlockMax[j] = std::max(BlockMax[j], W[I]);
    BlockMin[j] = std::min(BlockMin[j], W[I]);
  }
  std::swap(W[I], W[J]);
  if (Tags != nullptr) std::swap(Tags[I], Tags[J]);
}

// The steps on two events K and K + 1 (pivot K): they swap unless the
// second is later.
template <class Words>
void TimeQuicksort::SortPair(const Words& W, std::int32_t K) {
  if (Ordering(Time(W, K + 1), Time(W, K)) <= 0) Swap(W, K, K + 1, false);
}

// Sorts L..R, deferring each left part on Pending instead of a recursive
// call: the ranges are disjoint, so the result is the same, and no input can
// exhaust the call stack. Unless WholeRange, the right part is deferred too
// after one partition, so that a range spanning chunks hands its parts on as
// soon as they may lie within one.
template <class Words>
void TimeQuicksort::SortRange(const Words& W, std::int32_t L, std::int32_t R, bool WholeRange) {
  for (;;) {
    if (R - L == 1) {
      SortPair(W, L);
      break;
    }
    if (Ascending(W, L, R)) break;
    Work += R - L + 1;
    if (Work > WorkLimit) {
      Pending.emplace_back(L, R);
      break;
    }
    const bool byBlocks = !BlockMax.empty() && R - L >= LargeRange;
    const std::uint32_t P = Time(W, (L + R) / 2);
    std::int32_t I = L, J = R;
    do {
      I = ScanUp(W, I, R, P, byBlocks);
      J = ScanDown(W, J, L, P, byBlocks);
      if (I <= J) Swap(W, I++, J--, byBlocks);
    } while (I <= J);
    if (J - L == 1) {
      SortPair(W, L);
    } else if (L < J) {
      Pending.emplace_back(L, J);
    }
    L = I;
    if (I >= R) break;
    if (!WholeRange) {
      Pending.emplace_back(L, R);
      break;
    }
  }
}

bool TimeQuicksort::Run() {
  Pending.emplace_back(0, N - 1);
  while (!Pending.empty()) {
    if (Work > WorkLimit) {
      FinishByTime();
      return false;
    }
    const auto [L, R] = Pending.back();
    Pending.pop_back();
    if (L >> ChunkedWords::ChunkShift == R >> ChunkedWords::ChunkShift) {
      SortRange(WithinChunk{Chunked.Chunks[L >> ChunkedWords::ChunkShift], L & ~(ChunkedWords::ChunkWords - 1)}, L, R,
                true);
    } else {
      SortRange(AcrossChunks{Chunked}, L, R, false);
    }
  }
  return true;
}

// Events of equal time keep the order the steps had left them in; times are
// ordered plainly, as signed ticks, wrapped or not.
void TimeQuicksort::FinishByTime() {
  std::vector<std::int32_t> order(static_cast<std::size_t>(N));
  for (std::int32_t k = 0; k < N; ++k) order[static_cast<std::size_t>(k)] = k;
  std::stable_sort(order.begin(), order.end(),
                   [this](std::int32_t a, std::int32_t b) { return (Chunked[a] >> 32) < (Chunked[b] >> 32); });
  std::vector<std::uint64_t> words(static_cast<std::size_t>(N));
  std::vector<std::uint32_t> tags(Tags != nullptr ? static_cast<std::size_t>(N) : 0);
  for (std::size_t k = 0; k < order.size(); ++k) {
    words[k] = Chunked[order[k]];
    if (Tags != nullptr) tags[k] = Tags[order[k]];
  }
  for (std::int32_t k = 0; k < N; ++k) Chunked[k] = words[static_cast<std::size_t>(k)];
  std::copy(tags.begin(), tags.end(), Tags);
}

}  // namespace

bool QuicksortByTime(ChunkedWords Words, std::int32_t Count, std::uint32_t* Tags) {
  return Count <= 0 || TimeQuicksort(Words, Count, Tags).Run();
}

}  // namespace vlm
