#include "compiler/origin_buffer.h"

#include <algorithm>
#include <array>
#include <bit>
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

// The flags of a packed run. Its step (0 or 1) is in the bits from StepShift on.
constexpr unsigned NewFile = 1;  // its file's difference follows
constexpr unsigned NewLine = 2;  // its line's difference follows
constexpr int StepShift = 2;

char* PutVarint(char* At, std::uint64_t Value) {
  for (; Value >= 0x80; Value >>= 7) *At++ = static_cast<char>(Value | 0x80);
  *At++ = static_cast<char>(Value);
  return At;
}

// A difference of two int32 values, small either way as a small unsigned number.
char* PutDifference(char* At, std::int64_t Value) {
  return PutVarint(At, Value < 0 ? (static_cast<std::uint64_t>(-(Value + 1)) << 1) | 1 : static_cast<std::uint64_t>(Value) << 1);
}

// PutDifference with the commonest case, a difference below 64 either way
// (one byte), inline.
inline char* PutSmallDifference(char* At, std::int64_t Value) {
  if (Value < -64 || Value >= 64) return PutDifference(At, Value);
  *At = static_cast<char>(Value < 0 ? ((-(Value + 1)) << 1) | 1 : Value << 1);
  return At + 1;
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
    const auto flags = static_cast<unsigned char>(at < Packed.size() ? Packed[at++] : 0);
    SourceOrigin first = before;
    if ((flags & NewFile) != 0) first.File = GetDifference(Packed, at, before.File);
    if ((flags & NewLine) != 0) first.Line = GetDifference(Packed, at, before.Line);
    first.Column = GetDifference(Packed, at, before.Column);
    Items.push_back({start, first, flags >> StepShift});
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
  FoundStart = StartOf(r);
  FoundEnd = EndOf(r);
  Found = run.First;
  FoundStep = run.Step;
  return Advanced(run.First, run.Step, I - FoundStart);
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
  FoundStart = FoundEnd = 0;
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
  FoundStart = FoundEnd = 0;
}

// The bytes covered, then each run as its length, a byte of flags (its
// step, and whether its file and its line differ from the run before), the
// differences of the file and the line where they do, and that of the
// column. Put together in a buffer on the stack, so that Out is mostly
// allocated once and at its size. The runs are read in order across the gap,
// each start once, and a difference below 64 either way (most are) is one
// byte without the general loop: every rewritten line is packed, mostly
// never to be unpacked, and a run of a macro's text mostly takes three bytes.
void OriginBuffer::Pack(std::string& Out) const {
  constexpr std::size_t MostRunBytes = 10 + 1 + 3 * 5;  // a length, the flags, three differences
  char buffer[1024];
  char* at = PutVarint(buffer, Bytes);
  Out.clear();
  SourceOrigin before;
  const std::size_t count = RunCount();
  std::size_t start = 0;  // the start of run r
  for (std::size_t r = 0; r < count; ++r) {
    if (static_cast<std::size_t>(at - buffer) > sizeof buffer - MostRunBytes) {
      Out.append(buffer, static_cast<std::size_t>(at - buffer));
      at = buffer;
    }
    const std::size_t next = r + 1;
    const std::size_t end = next == count ? Bytes : next < GapAt ? Items[next].Start : Bytes - Items[next + GapSize].Start;
    const OriginRun& run = Items[r < GapAt ? r : r + GapSize];
    at = PutVarint(at, end - start);
    const bool newFile = run.First.File != before.File, newLine = run.First.Line != before.Line;
    *at++ = static_cast<char>((run.Step << StepShift) | (newFile ? NewFile : 0) | (newLine ? NewLine : 0));
    if (newFile) at = PutSmallDifference(at, static_cast<std::int64_t>(run.First.File) - before.File);
    if (newLine) at = PutSmallDifference(at, static_cast<std::int64_t>(run.First.Line) - before.Line);
    at = PutSmallDifference(at, static_cast<std::int64_t>(run.First.Column) - before.Column);
    before = run.First;
    start = end;
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

namespace {

// Runs made byte by byte, joined as OriginRuns::Push joins them, with the
// last run kept open in the builder until it ends: pushing into the vector
// and reading its last run back for every byte cost an edit's new text
// several times what matching it did.
class RunBuilder {
 public:
  explicit RunBuilder(std::vector<OriginRun>& Items) : Out(Items) {}
  void Push(const SourceOrigin& O) {
    if (Length > 0 && O.File == Open.First.File && O.Line == Open.First.Line) {
      const std::int64_t step = static_cast<std::int64_t>(O.Column) - LastColumn;
      if (Length == 1 ? step == 0 || step == 1 : step == Open.Step) {
        Open.Step = static_cast<std::int32_t>(step);
        ++Length;
        LastColumn = O.Column;
        return;
      }
    }
    Close();
    Open = {Bytes, O, 0};
    Length = 1;
    LastColumn = O.Column;
  }
  // Ends the last run and gives the bytes covered.
  std::size_t Finish() {
    Close();
    return Bytes;
  }

 private:
  void Close() {
    if (Length == 0) return;
    Out.push_back(Open);
    Bytes += Length;
    Length = 0;
  }

  std::vector<OriginRun>& Out;
  OriginRun Open{};            // the run being made
  std::size_t Length = 0;      // its bytes so far; 0: none open
  std::int32_t LastColumn = 0;  // the column of its last byte
  std::size_t Bytes = 0;        // bytes of the closed runs
};

}  // namespace

// The first place of a byte at or after next in Region: for a short
// region (up to 64 bytes: most are a macro call or an argument) from a mask
// of each byte value's places, for a long one through the last place of each
// byte value, which lets a byte that occurs no further on fail at once, so
// that the whole match costs the two texts' lengths, not their product.
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
  // Short: bit K of places[C] is set where Region[K] is C, for the values C
  // that present holds (only those entries are set: filling all 256 cost
  // more than the match).
  std::array<std::uint64_t, 4> present{};
  std::array<std::uint64_t, 256> places;
  auto has = [&present](unsigned char C) { return (present[C >> 6] >> (C & 63) & 1) != 0; };
  std::array<std::size_t, 256> last;  // long: the last place of each byte value, or SIZE_MAX
  if (size <= ShortRegion) {
    for (std::size_t i = 0; i < size; ++i) {
      const auto byte = static_cast<unsigned char>(Region[i]);
      if (!has(byte)) {
        present[byte >> 6] |= std::uint64_t{1} << (byte & 63);
        places[byte] = 0;
      }
      places[byte] |= std::uint64_t{1} << i;
    }
  } else {
    last.fill(SIZE_MAX);
    for (std::size_t i = 0; i < size; ++i) last[static_cast<unsigned char>(Region[i])] = i;
  }
  const std::vector<OriginRun>& runs = RegionOrigins.Runs();
  RunBuilder built(Out.Items);
  std::size_t run = 0;   // the run of Region's origins that holds next
  std::size_t next = 0;  // the first byte of Region still open to a match
  for (const char c : New) {
    const auto byte = static_cast<unsigned char>(c);
    std::size_t found = std::string_view::npos;
    if (size <= ShortRegion) {
      if (next < ShortRegion && has(byte)) {
        if (const std::uint64_t ahead = places[byte] >> next; ahead != 0)
          found = next + static_cast<std::size_t>(std::countr_zero(ahead));
      }
    } else if (const std::size_t end = last[byte]; end != SIZE_MAX && end >= next) {
      for (found = next; Region[found] != c;) ++found;
    }
    SourceOrigin origin = Fallback;
    if (found != std::string_view::npos) {
      next = found;
      while (run + 1 < runs.size() && runs[run + 1].Start <= next) ++run;
      origin = Advanced(runs[run].First, runs[run].Step, next - runs[run].Start);
      ++next;
    }
    built.Push(origin);
  }
  Out.Bytes = built.Finish();
}

}  // namespace vlm
