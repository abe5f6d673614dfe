#include "compiler/mml_compiler.h"

#include <utility>

#include "common/text_file.h"
#include "compiler/tsmf.h"

namespace vlm {

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
    if (Options.SourceMap) result.Map = SourceMap{Smf->OriginFiles(), Smf->NoteMap.TakeNotes(), Smf->ErrorOrigins};
  } catch (const CompileFailure& failure) {
    result.Failure = failure.what();
    // The error lines given before the failure are traced all the same.
    if (Options.SourceMap) result.Map = SourceMap{Smf->OriginFiles(), {}, Smf->ErrorOrigins};
  } catch (...) {
    Current = nullptr;
    throw;
  }
  Current = nullptr;
  Smf->NoteMap.Clear();
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
