// The quicksort by time alone, on the stores a real song compiles to:
//   sort_bench FILE [PASSES]
// compiles FILE (song_bench --write makes the million-note song), copies
// each track's events in the order the compile left them, and sorts the
// copies PASSES times (default 20). It prints the milliseconds of one pass
// over all tracks and a checksum of the order the sort leaves, so that a
// change to the sort is timed without the rest of the compile and an order
// that differs (equal times placed otherwise) shows at once. It fails when
// a copy does not end as its store does when the store sorts itself. It
// also prints how far the tracks are from sorted (see Shape).

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/text_file.h"
#include "compiler/tivent_sort.h"
#include "compiler/tsmf.h"

namespace {

// One track's words in chunks laid out as the store lays them out.
struct ChunkCopy {
  std::vector<std::vector<std::uint64_t>> Chunks;
  std::vector<std::uint64_t*> Table;
  std::int32_t Count = 0;

  explicit ChunkCopy(const std::vector<std::uint64_t>& Words) : Count(static_cast<std::int32_t>(Words.size())) {
    for (std::size_t first = 0; first < Words.size(); first += vlm::ChunkedWords::ChunkWords) {
      const std::size_t last = std::min(Words.size(), first + vlm::ChunkedWords::ChunkWords);
      Chunks.emplace_back(Words.begin() + static_cast<std::ptrdiff_t>(first),
                          Words.begin() + static_cast<std::ptrdiff_t>(last));
      Chunks.back().resize(vlm::ChunkedWords::ChunkWords);
    }
    for (auto& chunk : Chunks) Table.push_back(chunk.data());
  }
  vlm::ChunkedWords Words() const { return {Table.data()}; }
};

// FNV-1a over the words in their sorted order.
std::uint64_t Checksum(const ChunkCopy& Copy, std::uint64_t Hash) {
  for (std::int32_t k = 0; k < Copy.Count; ++k) {
    const std::uint64_t word = Copy.Words()[k];
    for (int b = 0; b < 8; ++b) Hash = (Hash ^ (word >> (8 * b) & 0xFF)) * 0x100000001B3u;
  }
  return Hash;
}

// How far a track's order is from sorted: the places where a time falls,
// and the segments between cuts (a cut after K: every time up to K lies
// before every time after it), which no exact sort moves an event across.
struct Shape {
  std::size_t Falls = 0;
  std::size_t Segments = 0;
  std::size_t Singles = 0;   // segments of one event, which stay where they are
  std::size_t Largest = 0;   // events of the largest segment
};

void AddShape(const std::vector<std::uint64_t>& Words, Shape& Total) {
  auto time = [&Words](std::size_t k) { return static_cast<std::uint32_t>(Words[k] >> 32); };
  std::vector<std::uint32_t> lowestAfter(Words.size() + 1, UINT32_MAX);
  for (std::size_t k = Words.size(); k-- > 0;) lowestAfter[k] = std::min(lowestAfter[k + 1], time(k));
  std::uint32_t highest = 0;
  std::size_t start = 0;
  for (std::size_t k = 0; k < Words.size(); ++k) {
    if (k + 1 < Words.size() && time(k) > time(k + 1)) ++Total.Falls;
    highest = std::max(highest, time(k));
    if (k + 1 == Words.size() || highest < lowestAfter[k + 1]) {
      const std::size_t size = k + 1 - start;
      ++Total.Segments;
      Total.Singles += size == 1;
      Total.Largest = std::max(Total.Largest, size);
      start = k + 1;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sort_bench FILE [PASSES]\n");
    return 2;
  }
  const int passes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
  auto lines = vlm::ReadSourceLines(argv[1]);
  if (!lines) {
    std::fprintf(stderr, "sort_bench: cannot read %s\n", argv[1]);
    return 1;
  }
  vlm::TSmf smf;
  smf.Lines = std::move(*lines);
  smf.CompileLines();
  std::vector<std::vector<std::uint64_t>> tracks;
  std::vector<vlm::Tivent*> stores;
  std::size_t events = 0;
  for (auto& store : smf.TrackEvents) {
    if (store.Count() < 2) continue;
    tracks.emplace_back();
    store.ForEachEvent([&](std::uint64_t word) { tracks.back().push_back(word); });
    stores.push_back(&store);
    events += tracks.back().size();
  }
  double total = 0;
  std::uint64_t hash = 0xCBF29CE484222325u;
  for (int pass = 0; pass < passes; ++pass) {
    for (const auto& words : tracks) {
      ChunkCopy copy(words);
      const auto start = std::chrono::steady_clock::now();
      vlm::QuicksortByTime(copy.Words(), copy.Count);
      total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      if (pass == 0) hash = Checksum(copy, hash);
    }
  }
  // The copies must end as the stores themselves do when they are sorted,
  // or the time above is not the compile's.
  for (std::size_t t = 0; t < tracks.size(); ++t) {
    ChunkCopy copy(tracks[t]);
    vlm::QuicksortByTime(copy.Words(), copy.Count);
    stores[t]->Sort();
    std::int32_t k = 0;
    bool same = true;
    stores[t]->ForEachEvent([&](std::uint64_t word) { same = same && word == copy.Words()[k++]; });
    if (!same) {
      std::fprintf(stderr, "sort_bench: track %zu sorted as a copy differs from the store sorted\n", t);
      return 1;
    }
  }
  Shape shape;
  for (const auto& words : tracks) AddShape(words, shape);
  std::printf("%zu tracks, %zu events: %.2f ms per pass (mean of %d); order checksum %016llx\n",
              tracks.size(), events, total / passes, passes, static_cast<unsigned long long>(hash));
  std::printf("before the sort: %zu falls; %zu segments between cuts, %zu of one event, the largest %zu events\n",
              shape.Falls, shape.Segments, shape.Singles, shape.Largest);
  return 0;
}
