#include "compiler/mml_compiler.h"

#include <algorithm>
#include <utility>

#include "common/text_file.h"
#include "compiler/tivent_sort.h"
#include "compiler/tsmf.h"

namespace vlm {

namespace {

// Counts over the stores the compile left: one pass over every event.
void CountEvents(const TSmf& Smf, CompileResult& Result) {
  std::int64_t events = 0, notes = 0;
  std::int32_t last = 0;
  for (const Tivent& store : Smf.TrackEvents) {
    events += store.Count();
    store.ForEachEvent([&](std::uint64_t word) {
      last = std::max(last, SortWordTime(word));
      // A short event's body: its length, then its bytes. A note-on of
      // velocity 0 is a note-off.
      const std::uint32_t body = SortWordBody(word);
      if ((body & 0xFF) == 3 && ((body >> 8) & 0xF0) == 0x90 && (body >> 24) != 0) ++notes;
    });
  }
  Result.EventCount = events;
  Result.NoteCount = notes;
  Result.TickCount = last;
}

// A note record's place in its track's order: its time as stored (signed
// order), then its note number.
std::uint64_t NoteKey(std::int32_t Tick, std::int32_t Note) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(Tick) ^ 0x80000000u) << 8 | static_cast<std::uint32_t>(Note);
}

// The first record of [Near, End) or [Begin, Near) whose key is not below
// Key: the search starts where the last one ended, as the file's notes come
// in order of time and a time's notes are few.
std::size_t FirstWithKey(const std::vector<TSmf::NoteOrigin>& Records, std::size_t Begin, std::size_t Near,
                         std::size_t End, std::uint64_t Key) {
  auto below = [](const TSmf::NoteOrigin& r, std::uint64_t k) { return NoteKey(r.Tick, r.Note) < k; };
  auto at = [&](std::size_t i) { return Records.begin() + static_cast<std::ptrdiff_t>(i); };
  if (Near >= End || !below(Records[Near], Key))
    return static_cast<std::size_t>(std::lower_bound(at(Begin), at(std::min(Near, End)), Key, below) - Records.begin());
  std::size_t step = 1;
  while (Near + step < End && below(Records[Near + step], Key)) step *= 2;
  return static_cast<std::size_t>(std::lower_bound(at(Near + step / 2), at(std::min(Near + step, End)), Key, below) -
                                  Records.begin());
}

// The note records in the order of the written file (taken out of Smf).
// Each track's records are put in order of (tick, note), keeping the order
// they were written in, and the sorted store's note-ons take them in that
// order: notes of equal tick and number are alike in the file, whichever
// the sort put first.
std::vector<MappedNote> NotesInFileOrder(TSmf& Smf, std::int64_t NoteCount) {
  using Record = TSmf::NoteOrigin;
  std::vector<Record> records = std::move(Smf.NoteOrigins);
  Smf.NoteOrigins.clear();
  const std::size_t tracks = Smf.TrackEvents.size();
  std::vector<std::size_t> first(tracks + 1, 0);  // each track's first record
  for (const Record& record : records) ++first[static_cast<std::size_t>(record.Track) + 1];
  for (std::size_t track = 0; track < tracks; ++track) first[track + 1] += first[track];
  // Grouped by track (a counting sort, which keeps their order) unless they are already.
  if (!std::is_sorted(records.begin(), records.end(), [](const Record& a, const Record& b) { return a.Track < b.Track; })) {
    std::vector<Record> grouped(records.size());
    std::vector<std::size_t> next(first.begin(), first.end() - 1);
    for (const Record& record : records) grouped[next[static_cast<std::size_t>(record.Track)]++] = record;
    records.swap(grouped);
  }
  auto byKey = [](const Record& a, const Record& b) { return NoteKey(a.Tick, a.Note) < NoteKey(b.Tick, b.Note); };
  for (std::size_t track = 0; track < tracks; ++track) {
    const auto begin = records.begin() + static_cast<std::ptrdiff_t>(first[track]);
    const auto end = records.begin() + static_cast<std::ptrdiff_t>(first[track + 1]);
    if (!std::is_sorted(begin, end, byKey)) std::stable_sort(begin, end, byKey);
  }
  // At the first record of each key: how many of its records have been given out.
  std::vector<std::uint32_t> taken(records.size(), 0);
  std::vector<MappedNote> notes;
  notes.reserve(static_cast<std::size_t>(NoteCount));
  for (std::size_t track = 0; track < tracks; ++track) {
    const std::size_t begin = first[track], end = first[track + 1];
    std::size_t near = begin;   // where the last key was found
    std::int64_t previous = 0;  // the file's time, as the writer accumulates it
    Smf.TrackEvents[track].ForEachEvent([&](std::uint64_t word) {
      const std::int32_t time = SortWordTime(word);
      const std::int64_t delta = std::clamp<std::int64_t>(std::max(time, 0) - previous, 0, 0x0FFFFFFF);
      previous += delta;
      const std::uint32_t body = SortWordBody(word);
      if ((body & 0xFF) != 3 || ((body >> 8) & 0xF0) != 0x90 || (body >> 24) == 0) return;
      const auto note = static_cast<std::int32_t>((body >> 16) & 0x7F);
      MappedNote mapped{static_cast<std::int32_t>(track), static_cast<std::int32_t>(previous), note, {}};
      const std::uint64_t key = NoteKey(time, note);
      if (near >= end || NoteKey(records[near].Tick, records[near].Note) != key)
        near = FirstWithKey(records, begin, near, end, key);
      if (near < end) {
        const std::size_t at = near + taken[near];
        if (at < end && NoteKey(records[at].Tick, records[at].Note) == key) {
          mapped.At = records[at].At;
          ++taken[near];
        }
      }
      notes.push_back(mapped);
    });
  }
  return notes;
}

}  // namespace

MmlCompiler::MmlCompiler()
    : Smf(std::make_unique<TSmf>([this](const std::string& text) {
        if (Current == nullptr) return;
        if (text.rfind("err(", 0) == 0) ++Current->ErrorLines;
        Current->Messages.push_back(text);
      })) {}

MmlCompiler::~MmlCompiler() = default;

// A compiler just made is in a fresh compile's state already: resetting it
// again would cost a start-up the whole reset for nothing.
CompileResult MmlCompiler::Compile(std::vector<std::string> Lines, const CompileOptions& Options) {
  CompileResult result;
  if (!Fresh) Smf->Reset();
  Fresh = false;
  if (Options.Seed) Smf->Rng.Seed = *Options.Seed;
  Smf->IncludeDirectory = Options.IncludeDirectory;
  Smf->MaxCompileSteps = Options.MaxCompileSteps;
  Smf->MaxLineLength = Options.MaxLineLength;
  Smf->MapOrigins(Options.SourceMap);
  Smf->Lines = std::move(Lines);
  Current = &result;
  try {
    if (Options.OutputFile.empty())
      result.MidiBytes = Smf->CompileToBytes();
    else
      Smf->Compile(Options.OutputFile);
    CountEvents(*Smf, result);
    if (Options.SourceMap)
      result.Map = SourceMap{Smf->OriginFiles(), NotesInFileOrder(*Smf, result.NoteCount), Smf->ErrorOrigins};
  } catch (const CompileFailure& failure) {
    result.Failure = failure.what();
  } catch (...) {
    Current = nullptr;
    throw;
  }
  Current = nullptr;
  result.Lines = std::move(Smf->Lines);
  Smf->Lines.clear();
  return result;
}

CompileResult MmlCompiler::CompileText(std::string_view Text, const CompileOptions& Options) {
  return Compile(SplitLines(std::string(Text)), Options);
}

void MmlCompiler::ForgetCarriedState() {
  Smf->Vars.fill(0);
  for (auto& track : Smf->Tracks) track.Bend = 0;
}

CompileResult CompileMml(std::vector<std::string> Lines, const CompileOptions& Options) {
  MmlCompiler compiler;
  return compiler.Compile(std::move(Lines), Options);
}

CompileResult CompileMmlText(std::string_view Text, const CompileOptions& Options) {
  MmlCompiler compiler;
  return compiler.CompileText(Text, Options);
}

}  // namespace vlm
