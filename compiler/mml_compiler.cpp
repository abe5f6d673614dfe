#include "compiler/mml_compiler.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "common/text_file.h"
#include "compiler/tivent_sort.h"
#include "compiler/tsmf.h"

namespace vlm {

namespace {

// The note records in the order of the written file. Each track's records
// are sorted by (tick, note), keeping the order they were written in, and
// the sorted store's note-ons take them in that order: notes of equal tick
// and number are alike in the file, whichever the sort put first.
std::vector<MappedNote> NotesInFileOrder(const TSmf& Smf) {
  using Record = TSmf::NoteOrigin;
  std::vector<std::vector<Record>> byTrack(Smf.TrackEvents.size());
  for (const Record& record : Smf.NoteOrigins) byTrack[static_cast<std::size_t>(record.Track)].push_back(record);
  auto key = [](std::int32_t Tick, std::int32_t Note) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(Tick) ^ 0x80000000u) << 8 | static_cast<std::uint32_t>(Note);
  };
  std::vector<MappedNote> notes;
  for (std::size_t track = 0; track < Smf.TrackEvents.size(); ++track) {
    std::vector<Record>& records = byTrack[track];
    std::stable_sort(records.begin(), records.end(),
                     [&](const Record& a, const Record& b) { return key(a.Tick, a.Note) < key(b.Tick, b.Note); });
    std::unordered_map<std::uint64_t, std::size_t> next;  // first record of each key still to be matched
    std::int64_t previous = 0;  // the file's time, as the writer accumulates it
    Smf.TrackEvents[track].ForEachEvent([&](std::uint64_t word) {
      const std::int32_t time = SortWordTime(word);
      const std::int64_t delta = std::clamp<std::int64_t>(std::max(time, 0) - previous, 0, 0x0FFFFFFF);
      previous += delta;
      const std::uint32_t body = SortWordBody(word);
      if ((body & 0xFF) != 3 || ((body >> 8) & 0xF0) != 0x90 || (body >> 24) == 0) return;
      const auto note = static_cast<std::int32_t>((body >> 16) & 0x7F);
      MappedNote mapped{static_cast<std::int32_t>(track), static_cast<std::int32_t>(previous), note, {}};
      const std::uint64_t k = key(time, note);
      auto [at, fresh] = next.try_emplace(k, 0);
      if (fresh)
        at->second = static_cast<std::size_t>(
            std::lower_bound(records.begin(), records.end(), k,
                             [&](const Record& r, std::uint64_t v) { return key(r.Tick, r.Note) < v; }) -
            records.begin());
      if (at->second < records.size() && key(records[at->second].Tick, records[at->second].Note) == k)
        mapped.At = records[at->second++].At;
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
    result.EventCount = Smf->Written.Events;
    result.NoteCount = Smf->Written.Notes;
    result.TickCount = Smf->Written.LastTick;
    if (Options.SourceMap) result.Map = SourceMap{Smf->OriginFiles(), NotesInFileOrder(*Smf), Smf->ErrorOrigins};
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
