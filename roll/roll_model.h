#pragma once
// A compiled piece as a piano roll sees it, without the toolkit: its notes as
// they sound, the bends over them, the bar and beat grid, and the links
// between each note and the text that made it. The windows and the picture
// export draw from this; tests check it against the MIDI file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "compiler/mml_compiler.h"
#include "roll/smf_events.h"

namespace vlm::roll {

// How a generated phrase's step made a note; None outside a generated phrase.
enum class StepMark : std::uint8_t {
  None,     // no step known
  Note,     // "N": a note of the normal gate
  Muted,    // "m": a note of the mute gate
  Split,    // "d": one of two or three short notes sharing a step
  BendUp,   // "B": a note under the bend-up curve
  Chord,    // "W": one of two notes sounding together
};

struct RollNote {
  std::int32_t Track = 0;        // the compiler's track number when the source map names it, else the chunk
  std::int32_t Channel = 0;      // 0..15
  std::int32_t Pitch = 0;        // MIDI note number
  std::int64_t StartTick = 0;
  std::int64_t LengthTicks = 0;  // as played: note-on to note-off
  std::int32_t Velocity = 0;     // 1..127
  std::optional<SourceOrigin> At;  // the text that made it, when the compile kept a source map
  StepMark Mark = StepMark::None;
  std::int32_t TiedSteps = 0;    // "^" steps that lengthen it
  std::int32_t BendCurve = -1;   // index into RollModel::Curves, -1 when its channel never bends
};

// One channel's pitch-bend changes, in semitones after the bend range.
struct BendCurve {
  std::int32_t Track = 0;
  std::int32_t Channel = 0;
  std::vector<std::pair<std::int64_t, double>> Points;  // (tick, semitones), by tick
  // The bend in semitones at tick: the last change at or before it.
  double SemitonesAt(std::int64_t tick) const;
};

struct GridLine {
  std::int64_t Tick = 0;
  bool Bar = false;  // a bar line; else a beat line
};

struct Rgb {
  std::uint8_t R = 0, G = 0, B = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

class RollModel {
 public:
  RollModel() = default;
  // From the MIDI file's bytes and, when the compile made one, its source
  // map (notes are matched to it by their place in the file). Throws
  // SmfReadError for bytes that are no MIDI file.
  static RollModel FromMidi(std::string_view midiBytes, const SourceMap* map = nullptr, int bendRangeSemitones = 2);

  const std::vector<RollNote>& Notes() const { return notes_; }  // by start tick
  const std::vector<BendCurve>& Curves() const { return curves_; }
  std::int32_t Timebase() const { return timebase_; }
  std::int64_t EndTick() const { return endTick_; }
  std::int32_t LowestPitch() const { return lowest_; }   // of any note; 60 without notes
  std::int32_t HighestPitch() const { return highest_; }

  // Indices of the notes sounding somewhere in [fromTick, toTick): a binary
  // search by start, so a repaint costs what is visible, not the song.
  std::pair<std::size_t, std::size_t> CandidateRange(std::int64_t fromTick, std::int64_t toTick) const;
  // Indices of the notes sounding at tick: begun at or before it and not
  // yet ended, as a playhead standing there hears them.
  std::vector<std::size_t> NotesSoundingAt(std::int64_t tick) const;
  // Bar and beat lines in [fromTick, toTick].
  std::vector<GridLine> Grid(std::int64_t fromTick, std::int64_t toTick) const;
  // The tick heard at seconds from the start, through the tempo changes.
  std::int64_t TickAtSeconds(double seconds) const;
  // The reverse: the seconds from the start at which tick is heard.
  double SecondsAtTick(std::int64_t tick) const;

  // Weights 0..100 of the pitch classes C..B, for shading rows; none: no shading.
  std::optional<std::array<std::int32_t, 12>> ScaleWeights;

  // ---- links to the text ----
  // The notes whose origin is Origin: every note a loop or a macro made from that text.
  std::vector<std::size_t> NotesMadeAt(const SourceOrigin& origin) const;
  // The notes made by the text at a caret between characters: the origin
  // just before the caret, else the one just after it, else the nearest
  // origin before it on the same line (a macro's word maps all its notes to
  // the word's start). Empty when the caret is on no note's text.
  std::vector<std::size_t> NotesAtCaret(const SourceOrigin& caret) const;

  // For the generated phrase: which step made each note. offsetOf turns a
  // note's origin into an offset into the pattern text (-1: outside it).
  template <typename OffsetOf>
  void MarkSteps(std::string_view rhythm, std::int32_t steps, std::string_view pattern, OffsetOf offsetOf);

 private:
  void ApplyStepMarks(const std::vector<std::int32_t>& noteOffsets, std::string_view rhythm, std::int32_t steps,
                      std::string_view pattern);

  std::vector<RollNote> notes_;
  std::vector<BendCurve> curves_;
  std::vector<SmfTempo> tempos_{SmfTempo{}};
  std::int32_t timebase_ = 96;
  std::int64_t endTick_ = 0;
  std::int64_t longestTicks_ = 0;  // the longest note, bounding the backward reach of CandidateRange
  std::int32_t lowest_ = 60;
  std::int32_t highest_ = 60;
  std::int32_t beatsPerBar_ = 4;
  std::int32_t beatTicks_ = 96;
};

template <typename OffsetOf>
void RollModel::MarkSteps(std::string_view rhythm, std::int32_t steps, std::string_view pattern, OffsetOf offsetOf) {
  std::vector<std::int32_t> offsets;
  offsets.reserve(notes_.size());
  for (const RollNote& note : notes_) offsets.push_back(note.At ? offsetOf(*note.At) : -1);
  ApplyStepMarks(offsets, rhythm, steps, pattern);
}

// The indices of origins picked by a caret between characters, as
// RollModel::NotesAtCaret picks them; an origin of line 0 is no origin.
std::vector<std::size_t> IndicesAtCaret(const std::vector<SourceOrigin>& origins, const SourceOrigin& caret);

// One colour a track, distinct for neighbouring tracks.
Rgb TrackColour(std::int32_t track);

// Name of a MIDI note, its octave numbered as the o command numbers it: "C5"
// for 60 (o5c, middle C), sharps as "#".
const char* PitchClassName(std::int32_t pitch);
std::int32_t OctaveOf(std::int32_t pitch);

}  // namespace vlm::roll
