#pragma once
// The MML compiler. One object lives as long as the program; every compile
// is Reset, fill Lines, Compile. Handlers share the state below instead of
// passing parameters; each is entered with Col on its command character and
// leaves Col on the first character it did not consume.

#include <array>
#include <cstdint>
#include <list>
#include <functional>
#include <initializer_list>
#include <memory_resource>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/random.h"
#include "compiler/line_buffer.h"
#include "compiler/note_origins.h"
#include "compiler/source_cursor.h"
#include "compiler/tick_rounding.h"
#include "compiler/tivent.h"
#include "compiler/tmacro.h"

namespace vlm {

constexpr int TrackCount = 128;
static_assert(NoteOrigins::Tracks == TrackCount);
constexpr int VarCount = 512;
constexpr int ArgSlots = 128;   // one argument list carries at most 127 arguments
constexpr int StackSlots = 257; // loop, IF and selection stacks

// Receives every message of a compile, one line per call, in order.
using MessageSink = std::function<void(const std::string&)>;

// A failure that no handler turns into an error line (a number too large to
// convert, an output file that cannot be written). It ends the compile and
// reaches the caller of Compile.
class CompileFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A stopped compile (the tenth error, a work bound, the end directive)
// unwinds with this to the driver, which ends the compiled lines with an
// entry " " and still writes the file. Not a std::exception: nothing but the
// driver may catch it.
struct CompileStop {};

// 32-bit two's complement wrap of a wider result: tick positions and lengths
// near the int32 limit wrap instead of overflowing.
inline std::int32_t Wrap32(std::int64_t v) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

// Src without one leading and then one trailing double quote.
std::string StripQuotes(const std::string& Src);

// Most numbers are a few plain digits: this reads them in one pass from At
// and returns true. Anything else (a sign, "$", "~", no digit, a value that
// may not fit) returns false and leaves Value and Len alone, for ReadNumber.
inline bool ReadPlainNumber(const TextView& Text, std::int32_t At, std::int32_t& Value, std::int32_t& Len) {
  auto digit = [](int c) { return c >= '0' && c <= '9'; };
  int c = Text.At(At);
  if (!digit(c)) return false;
  std::int32_t value = 0;
  std::int32_t n = 0;
  for (; digit(c) && value <= (INT32_MAX - 9) / 10; c = Text.At(At + ++n)) value = value * 10 + (c - '0');
  if (digit(c)) return false;
  Value = value;
  Len = n;
  return true;
}

using NoteSequence = std::list<std::string>;

struct TrackState {
  std::int32_t Channel = 0;        // MIDI channel 0..15
  std::int32_t Velocity = 100;     // note-on velocity; V (controller 7) shares it
  std::int32_t VelStep = 0;        // velocity step applied per note
  std::int32_t VelStepMode = 0;    // how VelStep is applied
  std::int32_t Length = 96;        // default note length in ticks
  std::int32_t Octave = 4;         // current octave 0..10
  std::int32_t Gate = 14;          // sounding part of a note, in sixteenths
  std::int32_t GateOffset = 0;     // ticks added to the sounding length
  std::uint8_t OneLetterMacros = 0;// 1: single lower-case letters are macros
  std::int32_t Reverb = 0;         // last REV value (controller 91)
  std::int32_t Chorus = 0;         // last CHO value (controller 93)
  std::int32_t Modulation = 0;     // last M value (controller 1)
  std::int32_t Expression = 127;   // last E value (controller 11)
  std::int32_t Bend = 0;           // last pitch bend; survives Reset
  std::int32_t DValue = 0;         // last data-entry value (controller 6)
  std::int32_t Pan = 64;           // last P value (controller 10)
  std::int32_t StrumStep = 0;      // ticks between the starts of chord notes
  // Per-note sequences, one entry taken per note from the front. Lists: an
  // empty one allocates nothing, and most tracks never hold an entry (as
  // deques they cost every Reset 768 allocations).
  NoteSequence RvList;  // velocities
  NoteSequence RqList;  // gates
  NoteSequence RnList;  // note-on timing offsets
};

struct LoopRecord {
  std::int32_t StartCol;   // column in StartLine where the body begins
  std::int32_t StartLine;  // line where the body begins
  std::int32_t ExitCol;    // column just after the loop's "]", once it jumped back
  std::int32_t ExitLine;   // line that holds that "]"
  std::int32_t Passes;     // passes still to play, counting the current one
};

// The compiler stands at a source cursor: Line, Col and LineNo are the
// cursor's, and so is every move to another line (MoveTo) and every edit of
// the line (Edit).
class TSmf : public SourceCursor {
 public:
  explicit TSmf(MessageSink sink = {});
  TSmf(const TSmf&) = delete;
  TSmf& operator=(const TSmf&) = delete;

  // ---- state, in the order of the design ----
  std::array<Tivent, TrackCount> TrackEvents;      // one event store per track
  std::array<std::uint8_t, 256> NumBuf{};           // scratch of PutVarLen/PutBigEndian
  std::int32_t Timebase = 96;                       // ticks per quarter note; SMF division
  std::array<std::int32_t, TrackCount> ptr{};       // each track's current time in ticks
  std::array<TrackState, TrackCount> Tracks;        // per-track settings
  std::array<std::int32_t, VarCount> Vars{};        // ~0..~511; survive Reset
  std::int32_t CurTrack = 0;                        // track that note commands act on
  std::int32_t ArgCount = 0;                        // arguments read into Args
  std::array<std::string, ArgSlots> Args;           // argument texts of the current command
  std::array<LoopRecord, StackSlots> LoopStack{};   // open "[" loops
  std::int32_t LoopDepth = 0;                       // number of open loops
  std::array<std::int32_t, 32> ChordNotes{};        // pending chord note numbers
  std::int32_t ChordCount = 0;                      // entries of ChordNotes
  std::int32_t NextVelMode = -1;                    // one-note velocity: -1 none, 0 absolute, else relative
  std::int32_t NextVelValue = 0;                    // value of that override
  std::int32_t LastRpnPtr = -1;                     // ptr at the last RPN/NRPN written
  std::int32_t LastRpnTime = -1;                    // time used by the last RPN/NRPN
  std::int32_t LastRpnTrack = -1;                   // track of the last RPN/NRPN
  std::array<std::int32_t, TrackCount> Transpose{}; // semitones added to every note
  std::array<std::int32_t, TrackCount + 1> TrackStack{}; // tracks of a pending section
  std::int32_t TrackStackDepth = 0;                 // entries still to compile
  std::int32_t ReplayCol = 0;                       // column after the section's track command
  std::int32_t ReplayLine = 0;                      // line of that track command
  std::array<std::int32_t, TrackCount> CurveStep{}; // controller curve step in ticks
  std::array<std::int32_t, TrackCount> RandVel{};   // random velocity range
  std::array<std::int32_t, TrackCount> RandTime{};  // random timing range in ticks
  std::array<std::int32_t, TrackCount> RandBend{};  // random pitch-bend range
  std::int32_t OctaveSwap = 0;                      // nonzero: "<" and ">" swap meaning
  std::int32_t ErrorCount = 0;                      // errors since the last reset or stop
  std::uint8_t SkipMode = 0;                        // 1: only "_;{}#" are compiled
  std::int32_t SelDepth = 0;                        // open selections
  std::array<std::int32_t, StackSlots> SelCols{};   // column where each selection inserted text
  std::int32_t IfDepth = 0;                         // open conditionals
  std::array<std::int32_t, StackSlots> IfCols{};    // column where each branch text was inserted
  std::string LastMacro;                            // name of the macro expanded last
  std::uint8_t NoOutput = 0;                        // 1: notes advance time, write nothing
  std::vector<std::string> Lines;                   // source lines; after a compile, as compiled (the cursor holds them during it)
  Tmacro Macros;                                    // macro table
  RandomGenerator Rng;                              // this compiler's draws; Reset seeds it from the clock
  std::string IncludeDirectory;                     // where relative #include names are read; empty: here

  // Bounds on one compile's work, so that no source runs for ever or fills
  // memory: steps charged (ChargeSteps), and the length a rewritten line may reach.
  // Far above any real song; a caller (or a test) may lower them.
  std::int64_t MaxCompileSteps = 10'000'000;
  std::size_t MaxLineLength = 1'000'000;
  // Steps charged in this compile: one per character a line's walk passes
  // (blanks too), one per included line, one per controller-curve step.
  std::int64_t CompileSteps = 0;
  // The length a line may reach in this compile: MaxLineLength, or sixteen
  // times the source for a song written on very long lines.
  std::size_t LineLengthLimit = 1'000'000;

  // ---- driver and error report (driver.cpp) ----
  void Reset();
  void Compile(const std::string& FileName);
  // The same compile, returning the MIDI file's bytes instead of writing it.
  std::string CompileToBytes();
  void CompileLines();
  void CompileLine();
  void DoCommand();
  void ReportError(std::int32_t ErrNo, const std::string& Detail);
  void AddMessage(const std::string& Text);
  // Reports error 5 with Detail and stops the compile (a work bound was hit).
  [[noreturn]] void AbortCompile(const std::string& Detail);
  // Counts Steps more units of work against MaxCompileSteps; past it the
  // compile is stopped with error 5, so that no source runs for ever.
  void ChargeSteps(std::int64_t Steps);
  // Appends one event to the current track's store.
  void AddEvent(std::int32_t Time, std::initializer_list<std::uint8_t> Bytes) {
    TrackEvents[static_cast<std::size_t>(CurTrack)].Add(Time, Bytes.begin(), static_cast<std::int32_t>(Bytes.size()));
  }
  // Stops the compile when Line has grown past LineLengthLimit (error 5).
  void CheckLineLength();
  // Error 2 with the character at Col as detail, then steps over it.
  void Unhandled();

  // ---- the source map (notes.cpp, driver.cpp) ----
  NoteOrigins NoteMap;                           // every note-on written, while a map is made
  std::vector<SourceOrigin> ErrorOrigins;        // every error line's origin, in order, likewise
  std::array<SourceOrigin, 32> ChordOrigins{};   // origins of the pending chord notes (ChordNotes)

  // ---- readers (readers.cpp) ----
  std::int32_t ReadNumber(TextRef Src, std::int32_t From, std::int32_t& Len);
  std::int32_t ReadValue(TextRef Src, std::int32_t& At, std::int32_t& Status);
  void ReadArgs(TextRef Src, std::int32_t& At);
  void ReadEqArgs(TextRef Src, std::int32_t& At);

  // ---- SMF writer (smf_writer.cpp) ----
  // What the last file written holds, counted as it was written.
  struct FileCounts {
    std::int64_t Events = 0;    // events in all tracks
    std::int64_t Notes = 0;     // note-ons with a velocity above 0
    std::int32_t LastTick = 0;  // latest event time, 0 when none is later
  } Written;
  // Sorts the stores and writes the file under FileName, then adds "ok".
  void WriteSmf(const std::string& FileName);
  // Sorts the stores and returns the same file's bytes, then adds "ok".
  std::string WriteSmfBytes();
  // Gives every event store where to warn of an event it refuses and where
  // to take its memory from (which must outlive the compiler), and empties
  // them. Until then they warn through the process's warning sink and use
  // new and delete.
  void SetEventStores(const TiventWarning& Warn, std::pmr::memory_resource* Memory) {
    for (auto& store : TrackEvents) store.Configure(Warn, Memory);
  }
  std::int32_t PutVarLen(std::uint32_t Value);
  std::int32_t PutBigEndian(std::uint32_t Value);

  // ---- comments, underscore commands and directives (comments.cpp) ----
  void SkipComment();
  void UnderscoreCommand();
  void Directive();
  void IncludeFile();
  struct Inclusion {
    std::string File;    // canonical name of the included file
    std::int32_t First;  // index in Lines of its first inserted line
    std::int32_t End;    // index just past its last inserted line
  };
  std::vector<Inclusion> Inclusions;  // open includes, outermost first, to refuse a file including itself
  struct IncludedFile {
    std::string File;                // canonical name
    std::vector<std::string> Lines;  // its lines as read
  };
  std::unordered_map<std::string, IncludedFile> IncludedFiles;  // by the name the directive gives

  // ---- macros (macros.cpp) ----
  void ExpandMacro();
  void ExpandArg(std::string& Src, std::int32_t& At);
  void DefineMacro();
  std::string MacroText;  // ExpandMacro's replacement text, kept for its storage

  // ---- notes, rests, ties and lengths (notes.cpp) ----
  void NoteCommand();
  void RestCommand();
  std::int32_t ReadLength(TextRef S, std::int32_t& At);
  std::int32_t ReadNoteNumber(TextRef S, std::int32_t& At);
  std::int32_t ReadNoteParams(TextRef S, std::int32_t& At);

  // ---- octave, length, gate and velocity (note_settings.cpp) ----
  void LengthCommand();
  void OctaveShift();
  void VelocityCommand();
  void AccentCommand();

  // ---- program, controller, bend, tempo, exclusive (channel_messages.cpp) ----
  void EmitControl(std::int32_t Time, std::uint8_t Controller, std::uint8_t Value);
  void EmitBend(std::int32_t Time, std::uint8_t Lsb, std::uint8_t Msb);
  void ControlCommand();
  void ProgramCommand();
  void BendCommand(std::int32_t Mode);
  void TempoCommand();
  void ExclusiveCommand(std::int32_t Mode);
  void MetaText(std::uint8_t Type);

  // ---- loops, conditionals and slash chords (loops.cpp) ----
  void LoopCommand();
  void IfCommand();
  void SlashChord();
  std::int32_t ReadSingleValue(TextRef S, std::int32_t& At, std::int32_t& Status);

  // ---- variables (variables.cpp) ----
  void VariableCommand();

  // ---- system command dispatcher (system_commands.cpp) ----
  void SystemCommand();

  // ---- tracks, pointers and delays (tracks.cpp) ----
  void TrackSelect();
  void TrackListCommand(bool Align);      // \7 TR, \9 TRL/PLAY
  void TrackFromCommand(bool Align);      // \35 TRN, \36 TRNL
  void LastPtrCommand();                  // \8 LAST_PTR
  void StrumChordCommand();               // \26 CD_

  // ---- controller curves (curves.cpp) ----
  void ControllerCurve();
  void BendCurve();

  // ---- RPN and NRPN (rpn.cpp) ----
  void ParamWrite(std::uint8_t MsbCc, std::uint8_t LsbCc);

  TrackState& Track() { return Tracks[static_cast<std::size_t>(CurTrack)]; }

 private:
  // Makes Next the current track.
  void EnterTrack(std::int32_t Next);

  MessageSink Sink;
};

}  // namespace vlm
