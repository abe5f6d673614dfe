#include "compiler/origin_buffer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace vlm {

namespace {

// The origin Offset bytes into a run that starts at First.
SourceOrigin Advanced(const SourceOrigin& First, std::int32_t Step, std::size_t Offset) {
  return {First.File, First.Line, static_cast<std::int32_t>(First.Column + static_cast<std::int64_t>(Step) * static_cast<std::int64_t>(Offset))};
}

}  // namespace

SourceOrigin OriginRuns::At(std::size_t I) const {
  const auto after = std::upper_bound(Items.begin(), Items.end(), I,
                                      [](std::size_t i, const OriginRun& run) { return i < run.Start; });
  const OriginRun& run = *(after - 1);
  return Advanced(run.First, run.Step, I - run.Start);
}

void OriginRuns::PushRun(const SourceOrigin& O, std::int32_t Step, std::size_t Length) {
  if (Length == 0) return;
  Push(O);
  if (Length == 1) return;
  OriginRun& last = Items.back();
  if (Bytes - last.Start == 1)
    last.Step = Step;
  else if (last.Step != Step)
    Items.push_back({Bytes, Advanced(O, Step, 1), Step});
  Bytes += Length - 1;
}

void OriginRuns::Append(const OriginRuns& Other) {
  for (std::size_t r = 0; r < Other.Items.size(); ++r) {
    const OriginRun& run = Other.Items[r];
    const std::size_t end = r + 1 < Other.Items.size() ? Other.Items[r + 1].Start : Other.Bytes;
    PushRun(run.First, run.Step, end - run.Start);
  }
}

namespace {

char* PutVarint(char* At, std::uint64_t Value) {
  for (; Value >= 0x80; Value >>= 7) *At++ = static_cast<char>(Value | 0x80);
  *At++ = static_cast<char>(Value);
  return At;
}

// A difference of two int32 values, small either way as a small unsigned number.
char* PutDifference(char* At, std::int64_t Value) {
  return PutVarint(At, Value < 0 ? (static_cast<std::uint64_t>(-(Value + 1)) << 1) | 1 : static_cast<std::uint64_t>(Value) << 1);
}

// Bytes come from Pack only; reading stops at the end of Packed whatever it holds.
std::uint64_t GetVarint(std::string_view Packed, std::size_t& At) {
  std::uint64_t value = 0;
  for (int shift = 0; At < Packed.size() && shift < 64; shift += 7) {
    const auto byte = static_cast<unsigned char>(Packed[At++]);
    value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
    if (byte < 0x80) break;
  }
  return value;
}

std::int32_t GetDifference(std::string_view Packed, std::size_t& At, std::int32_t From) {
  const std::uint64_t value = GetVarint(Packed, At);
  const std::int64_t difference = (value & 1) != 0 ? -static_cast<std::int64_t>(value >> 1) - 1 : static_cast<std::int64_t>(value >> 1);
  return static_cast<std::int32_t>(From + difference);
}

}  // namespace

void OriginRuns::Unpack(std::string_view Packed) {
  clear();
  std::size_t at = 0;
  const std::uint64_t bytes = GetVarint(Packed, at);
  SourceOrigin before;
  std::size_t start = 0;
  while (at < Packed.size()) {
    const std::uint64_t length = GetVarint(Packed, at);
    SourceOrigin first;
    first.File = GetDifference(Packed, at, before.File);
    first.Line = GetDifference(Packed, at, before.Line);
    first.Column = GetDifference(Packed, at, before.Column);
    const std::int32_t step = at < Packed.size() ? Packed[at++] : 0;
    Items.push_back({start, first, step});
    start += static_cast<std::size_t>(length);
    before = first;
  }
  Bytes = static_cast<std::size_t>(bytes);
}

// An ASCII stretch is one run, found eight bytes at a time (every line of
// the source is loaded so); only the bytes of other characters are looked at
// one by one.
void WrittenOrigins(std::int32_t File, std::int32_t Line, std::string_view Text, OriginRuns& Out, SourceOrigin& End) {
  Out.clear();
  std::int32_t chars = 0;
  std::size_t i = 0;
  while (i < Text.size()) {
    if (static_cast<unsigned char>(Text[i]) < 0x80) {
      std::size_t end = i + 1;
      for (std::uint64_t word = 0; end + sizeof word <= Text.size(); end += sizeof word) {
        std::memcpy(&word, Text.data() + end, sizeof word);
        if ((word & 0x8080808080808080ULL) != 0) break;
      }
      while (end < Text.size() && static_cast<unsigned char>(Text[end]) < 0x80) ++end;
      Out.PushRun({File, Line, chars + 1}, 1, end - i);
      chars += static_cast<std::int32_t>(end - i);
      i = end;
    } else {
      if ((static_cast<unsigned char>(Text[i]) & 0xC0) != 0x80) ++chars;
      Out.Push({File, Line, std::max(chars, 1)});
      ++i;
    }
  }
  End = {File, Line, chars + 1};
}

std::size_t OriginBuffer::RunOf(std::size_t I) const {
  const std::size_t count = RunCount();
  std::size_t low = 0, high = count;
  if (Hint < count && StartOf(Hint) <= I) {
    low = Hint;
    for (int step = 0; step < 4 && low + 1 < count && StartOf(low + 1) <= I; ++step) ++low;
  } else {
    high = std::min(Hint, count);
  }
  if (low + 1 < count && StartOf(low + 1) <= I) {
    // The last run that starts at or before I, between low and high.
    while (high - low > 1) {
      const std::size_t middle = low + (high - low) / 2;
      if (StartOf(middle) <= I)
        low = middle;
      else
        high = middle;
    }
  }
  Hint = low;
  return low;
}

SourceOrigin OriginBuffer::Search(std::size_t I) const {
  if (I >= Bytes) return End;
  const std::size_t r = RunOf(I);
  const OriginRun& run = Run(r);
  return Advanced(run.First, run.Step, I - StartOf(r));
}

// The gap is left at the end with room for a few runs at least, so that
// the line's first edits need not grow it. The buffer keeps its size from
// line to line (every line is assigned in turn): the entries past the runs
// are the gap and need not be set again.
void OriginBuffer::Assign(const OriginRuns& From, const SourceOrigin& EndOrigin) {
  constexpr std::size_t InitialGap = 32;
  const std::size_t runs = From.Runs().size();
  if (Items.size() < runs + InitialGap) Items.resize(runs + InitialGap);
  std::copy(From.Runs().begin(), From.Runs().end(), Items.begin());
  GapAt = runs;
  GapSize = Items.size() - runs;
  Bytes = From.size();
  End = EndOrigin;
  Hint = 0;
}

// A run that crosses the gap changes how its start is kept: from the line's
// start before the gap, from its end after it.
void OriginBuffer::MoveGap(std::size_t To) {
  for (; GapAt > To; --GapAt) {
    OriginRun run = Items[GapAt - 1];
    run.Start = Bytes - run.Start;
    Items[GapAt - 1 + GapSize] = run;
  }
  for (; GapAt < To; ++GapAt) {
    OriginRun run = Items[GapAt + GapSize];
    run.Start = Bytes - run.Start;
    Items[GapAt] = run;
  }
}

// Grown geometrically, as the line's text is.
void OriginBuffer::Reserve(std::size_t Runs) {
  if (GapSize >= Runs) return;
  const std::size_t runs = RunCount();
  const std::size_t newGap = std::max({Runs, runs, std::size_t{16}});
  std::vector<OriginRun> grown(runs + newGap);
  std::copy(Items.begin(), Items.begin() + static_cast<std::ptrdiff_t>(GapAt), grown.begin());
  std::copy(Items.begin() + static_cast<std::ptrdiff_t>(GapAt + GapSize), Items.end(),
            grown.begin() + static_cast<std::ptrdiff_t>(GapAt + newGap));
  Items.swap(grown);
  GapSize = newGap;
}

// The gap goes after the last run that starts before At; the part of that
// run from At on moves behind the gap, the runs behind it lose Count bytes
// from their front, and New's runs go into the gap.
void OriginBuffer::Replace(std::size_t At, std::size_t Count, const OriginRuns& New) {
  At = std::min(At, Bytes);
  Count = std::min(Count, Bytes - At);
  Reserve(New.Runs().size() + 1);
  std::size_t before = RunCount();
  if (At < Bytes) {
    const std::size_t r = RunOf(At);
    before = StartOf(r) < At ? r + 1 : r;
  }
  MoveGap(before);
  if (GapAt > 0) {
    const std::size_t end = EndOf(GapAt - 1);
    if (end > At) {
      OriginRun tail = Items[GapAt - 1];
      tail.First = Advanced(tail.First, tail.Step, At - tail.Start);
      tail.Start = Bytes - At;
      Items[GapAt + GapSize - 1] = tail;
      --GapSize;
    }
  }
  const std::size_t cut = At + Count;
  while (GapAt + GapSize < Items.size()) {
    OriginRun& next = Items[GapAt + GapSize];
    const std::size_t start = Bytes - next.Start;
    if (start >= cut) break;
    const std::size_t end = GapAt + GapSize + 1 < Items.size() ? Bytes - Items[GapAt + GapSize + 1].Start : Bytes;
    if (end <= cut) {
      ++GapSize;
      continue;
    }
    next.First = Advanced(next.First, next.Step, cut - start);
    next.Start = Bytes - cut;
    break;
  }
  for (const OriginRun& run : New.Runs()) {
    Items[GapAt++] = {At + run.Start, run.First, run.Step};
    --GapSize;
  }
  Bytes = Bytes - Count + New.size();
  Hint = GapAt > 0 ? GapAt - 1 : 0;
}

// The bytes covered, then each run as its length and its origin's
// differences from the run before, and its step. Put together in a buffer on
// the stack, so that Out is mostly allocated once and at its size.
void OriginBuffer::Pack(std::string& Out) const {
  constexpr std::size_t MostRunBytes = 10 + 3 * 5 + 1;  // a length, three differences, a step
  char buffer[1024];
  char* at = PutVarint(buffer, Bytes);
  Out.clear();
  SourceOrigin before;
  for (std::size_t r = 0; r < RunCount(); ++r) {
    if (static_cast<std::size_t>(at - buffer) > sizeof buffer - MostRunBytes) {
      Out.append(buffer, static_cast<std::size_t>(at - buffer));
      at = buffer;
    }
    const OriginRun& run = Run(r);
    at = PutVarint(at, EndOf(r) - StartOf(r));
    at = PutDifference(at, static_cast<std::int64_t>(run.First.File) - before.File);
    at = PutDifference(at, static_cast<std::int64_t>(run.First.Line) - before.Line);
    at = PutDifference(at, static_cast<std::int64_t>(run.First.Column) - before.Column);
    *at++ = static_cast<char>(run.Step);
    before = run.First;
  }
  Out.append(buffer, static_cast<std::size_t>(at - buffer));
}

// The whole line is copied run for run (the runs on either side of the gap
// are not joined): a line is stored whole at every jump and at its end.
void OriginBuffer::CopyTo(std::size_t From, std::size_t To, OriginRuns& Out) const {
  To = std::min(To, Bytes);
  Out.clear();
  if (From >= To) return;
  if (From == 0 && To == Bytes) {
    Out.Items.reserve(RunCount());
    Out.Items.assign(Items.begin(), Items.begin() + static_cast<std::ptrdiff_t>(GapAt));
    for (std::size_t r = GapAt + GapSize; r < Items.size(); ++r)
      Out.Items.push_back({Bytes - Items[r].Start, Items[r].First, Items[r].Step});
    Out.Bytes = Bytes;
    return;
  }
  const std::size_t first = RunOf(From);
  Out.reserve(RunOf(To - 1) - first + 1);
  for (std::size_t r = first, at = From; at < To; ++r) {
    const OriginRun& run = Run(r);
    const std::size_t end = std::min(EndOf(r), To);
    Out.PushRun(Advanced(run.First, run.Step, at - StartOf(r)), run.Step, end - at);
    at = end;
  }
}

// The first place of a byte at or after next in Region: a short region is
// searched directly, a long one through the last place of each byte value,
// which lets a byte that occurs no further on fail at once, so that the whole
// match costs the two texts' lengths, not their product. Most regions are a
// macro call or an argument, where setting up that table cost more than the
// search.
void InheritOrigins(std::string_view Region, const OriginRuns& RegionOrigins, const SourceOrigin& Fallback,
                    std::string_view New, OriginRuns& Out) {
  Out.clear();
  const std::size_t size = std::min(Region.size(), RegionOrigins.size());
  if (size == 0) {
    Out.PushRun(Fallback, 0, New.size());
    return;
  }
  Region = Region.substr(0, size);
  constexpr std::size_t ShortRegion = 64;
  std::array<std::size_t, 256> last;
  if (size > ShortRegion) {
    last.fill(SIZE_MAX);
    for (std::size_t i = 0; i < size; ++i) last[static_cast<unsigned char>(Region[i])] = i;
  }
  const std::vector<OriginRun>& runs = RegionOrigins.Runs();
  std::size_t run = 0;   // the run of Region's origins that holds next
  std::size_t next = 0;  // the first byte of Region still open to a match
  for (const char c : New) {
    std::size_t found = std::string_view::npos;
    if (size <= ShortRegion) {
      for (std::size_t at = next; at < size; ++at)
        if (Region[at] == c) {
          found = at;
          break;
        }
    } else if (const std::size_t end = last[static_cast<unsigned char>(c)]; end != SIZE_MAX && end >= next) {
      for (found = next; Region[found] != c;) ++found;
    }
    if (found == std::string_view::npos) {
      Out.Push(Fallback);
      continue;
    }
    next = found;
    while (run + 1 < runs.size() && runs[run + 1].Start <= next) ++run;
    Out.Push(Advanced(runs[run].First, runs[run].Step, next - runs[run].Start));
    ++next;
  }
}

}  // namespace vlm
