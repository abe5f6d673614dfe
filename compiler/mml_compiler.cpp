#include "compiler/mml_compiler.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "common/text_file.h"
#include "compiler/tsmf.h"

namespace vlm {

namespace {

// Compiles Smf's lines and returns the MIDI file as bytes: the file is
// written into a private directory, read back, and the directory removed.
std::string CompileToMemory(TSmf& Smf) {
  namespace fs = std::filesystem;
  std::string dir = (fs::temp_directory_path() / "vlm-smf-XXXXXX").string();
  if (::mkdtemp(dir.data()) == nullptr) throw CompileFailure("cannot create a directory in " + dir);
  struct RemoveDir {
    const std::string& Dir;
    ~RemoveDir() {
      std::error_code ec;
      fs::remove_all(Dir, ec);
    }
  } removeDir{dir};
  const std::string file = dir + "/out.mid";
  Smf.Compile(file);
  std::optional<std::string> bytes = ReadFileBytes(file);
  if (!bytes) throw CompileFailure("cannot read back " + file);
  return std::move(*bytes);
}

// Counts over the stores the compile left: one pass over every event.
void CountEvents(const TSmf& Smf, CompileResult& Result) {
  std::int64_t events = 0, notes = 0;
  std::int32_t last = 0;
  for (const Tivent& store : Smf.TrackEvents) {
    events += store.Count();
    store.ForEachEvent([&](std::int32_t time, const TiventRec& rec) {
      last = std::max(last, time);
      // A note-on of velocity 0 is a note-off.
      if (rec.Len == 3 && (rec.Bytes[0] & 0xF0) == 0x90 && rec.Bytes[2] != 0) ++notes;
    });
  }
  Result.EventCount = events;
  Result.NoteCount = notes;
  Result.TickCount = last;
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
  Smf->Lines = std::move(Lines);
  Current = &result;
  try {
    if (Options.OutputFile.empty())
      result.MidiBytes = CompileToMemory(*Smf);
    else
      Smf->Compile(Options.OutputFile);
    CountEvents(*Smf, result);
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

CompileResult CompileMml(std::vector<std::string> Lines, const CompileOptions& Options) {
  MmlCompiler compiler;
  return compiler.Compile(std::move(Lines), Options);
}

CompileResult CompileMmlText(std::string_view Text, const CompileOptions& Options) {
  MmlCompiler compiler;
  return compiler.CompileText(Text, Options);
}

}  // namespace vlm
