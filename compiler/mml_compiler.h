#pragma once
// The MML compiler's one way in. Everything outside compiler/ compiles
// through this header: hand over a source (lines, or text to be split into
// lines) and options, get back one result with the messages, the source as
// compiled, the MIDI file (as bytes, or written to a file) and counts.
//
// Ownership: an MmlCompiler owns its compiler state; a CompileResult owns
// everything in it and holds no reference into the compiler. Units: times
// are MIDI ticks (CompileOptions never changes the timebase, the source
// does), sizes are bytes. Errors: a source error is a message line beginning
// "err(" and never a failure; a failure that ends the compile (a number too
// large to convert, an include or output file that cannot be read or
// written) is returned in Failure, with the messages given up to it. Only
// running out of memory leaves Compile as an exception.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/mapped_notes.h"
#include "compiler/source_origin.h"

namespace vlm {

class TSmf;

struct CompileOptions {
  // The compiler's random generator starts from this seed; without one, from
  // the clock (every compile then draws differently unless the source seeds it).
  std::optional<std::uint32_t> Seed;
  // Where relative #include names are read from; empty: the current directory.
  std::string IncludeDirectory;
  // Where the MIDI file is written (replaced whole or not at all); empty: the
  // file's bytes are returned in CompileResult::MidiBytes instead.
  std::string OutputFile;
  // Bounds on one compile's work: characters dispatched, and the length in
  // bytes a rewritten line may reach. A source that passes one ends with an
  // error line. Far above any real song; the fuzzer lowers them.
  std::int64_t MaxCompileSteps = 10'000'000;
  std::size_t MaxLineLength = 1'000'000;
  // Make CompileResult::Map: where each note and each error came from in the
  // user's text. Off, the compile costs what it did without it.
  bool SourceMap = false;
};

// Origins in the user's text: lines count from 1 in the file as written,
// columns count code points of the decoded line from 1. Text the compiler
// generated (macro values, built-in words) maps to the word or command that
// generated it; text copied from the user's arguments keeps its own place.
struct SourceMap {
  // Files origins refer to: Files[0] is the main source (""), then each
  // included file by the name its directive gave.
  std::vector<std::string> Files;
  // Every note-on of velocity above 0, in the order of the file: by track
  // chunk, then as the events stand in it. A note whose origin lies in a
  // file past the 65536th (more than its 16 bits can name) has none (Line 0).
  MappedNoteList Notes;
  // The origin of each error line, in the order of the "err(" messages.
  std::vector<SourceOrigin> Errors;
};

struct CompileResult {
  std::vector<std::string> Messages;  // every message of the compile, in order ("Compile Start" .. "ok")
  std::int32_t ErrorLines = 0;        // messages that begin with "err("
  std::vector<std::string> Lines;     // the source as compiled (macro expansions written in)
  std::string MidiBytes;              // the MIDI file, when no OutputFile was given
  std::int64_t EventCount = 0;        // events in all tracks
  std::int64_t NoteCount = 0;         // note-on events with a velocity above 0
  std::int64_t TickCount = 0;         // ticks from 0 to the last event (the song's length)
  std::optional<std::string> Failure; // why the compile ended without its file
  std::optional<SourceMap> Map;       // when CompileOptions::SourceMap asked for it (after a Failure: no notes)

  bool HasErrors() const { return ErrorLines > 0; }
  bool Failed() const { return Failure.has_value(); }
};

// One compiler kept for many compiles. Each Compile starts from a fresh
// compile's state except what the language carries over between compiles
// (the variables ~0..~511 and each track's last pitch bend); a compiler just
// made is not reset a second time. Not for use by two threads at once.
class MmlCompiler {
 public:
  MmlCompiler();
  ~MmlCompiler();
  MmlCompiler(const MmlCompiler&) = delete;
  MmlCompiler& operator=(const MmlCompiler&) = delete;

  // Compiles the lines, one source line each (taken over, not copied).
  CompileResult Compile(std::vector<std::string> Lines, const CompileOptions& Options = {});
  // Compiles text split at CR LF, CR or LF, as an included file is split.
  CompileResult CompileText(std::string_view Text, const CompileOptions& Options = {});
  // Forgets what compiles carry over (variables, each track's last bend), so
  // that the next compile runs as on a compiler just made.
  void ForgetCarriedState();

 private:
  std::unique_ptr<TSmf> Smf;         // the compiler state; its types stay inside compiler/
  bool Fresh = true;                 // Smf has not compiled since it was made
  CompileResult* Current = nullptr;  // the result the running compile's messages go to
};

// One compile on a compiler made for it and gone before this returns.
CompileResult CompileMml(std::vector<std::string> Lines, const CompileOptions& Options = {});
CompileResult CompileMmlText(std::string_view Text, const CompileOptions& Options = {});

}  // namespace vlm
