#include "roll/roll_model.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "roll/phrase_steps.h"

namespace vlm::roll {

namespace {

bool Before(const SourceOrigin& a, const SourceOrigin& b) {
  return std::tie(a.File, a.Line, a.Column) < std::tie(b.File, b.Line, b.Column);
}

}  // namespace

double BendCurve::SemitonesAt(std::int64_t tick) const {
  auto after = std::upper_bound(Points.begin(), Points.end(), tick,
                                [](std::int64_t t, const std::pair<std::int64_t, double>& p) { return t < p.first; });
  return after == Points.begin() ? 0.0 : std::prev(after)->second;
}

RollModel RollModel::FromMidi(std::string_view midiBytes, const SourceMap* map, int bendRangeSemitones) {
  SmfEvents events = ReadSmfEvents(midiBytes);
  RollModel model;
  model.timebase_ = events.Timebase;
  model.endTick_ = events.EndTick;
  model.tempos_ = std::move(events.Tempos);
  model.beatsPerBar_ = events.BeatsPerBar;
  model.beatTicks_ = std::max<std::int32_t>(1, events.Timebase * 4 / events.BeatUnit);

  // One curve a (chunk, channel) that bends.
  std::map<std::pair<int, int>, std::int32_t> curveOf;
  for (const SmfBend& bend : events.Bends) {
    auto [at, added] = curveOf.try_emplace({bend.Chunk, bend.Channel}, static_cast<std::int32_t>(model.curves_.size()));
    if (added) model.curves_.push_back({bend.Chunk, bend.Channel, {}});
    model.curves_[at->second].Points.emplace_back(bend.Tick, bend.Value / 8192.0 * bendRangeSemitones);
  }

  // The map lists the same note-ons in the same order; a note is linked only
  // when the map agrees on its tick and pitch, so a stale map links nothing wrong.
  const bool mapped = map && map->Notes.size() == events.Notes.size();
  model.notes_.reserve(events.Notes.size());
  for (const SmfNote& in : events.Notes) {
    RollNote note;
    note.Track = in.Chunk;
    note.Channel = in.Channel;
    note.Pitch = in.Pitch;
    note.StartTick = in.StartTick;
    note.LengthTicks = in.LengthTicks;
    note.Velocity = in.Velocity;
    if (mapped) {
      const MappedNote& m = map->Notes[static_cast<std::size_t>(in.OnIndex)];
      if (m.Tick == in.StartTick && m.Note == in.Pitch) {
        note.Track = m.Track;
        if (m.Line > 0) note.At = m.At();
      }
    }
    if (auto curve = curveOf.find({in.Chunk, in.Channel}); curve != curveOf.end()) note.BendCurve = curve->second;
    model.longestTicks_ = std::max(model.longestTicks_, note.LengthTicks);
    model.notes_.push_back(note);
  }
  if (!model.notes_.empty()) {
    const auto [low, high] = std::minmax_element(model.notes_.begin(), model.notes_.end(),
                                                 [](const RollNote& a, const RollNote& b) { return a.Pitch < b.Pitch; });
    model.lowest_ = low->Pitch;
    model.highest_ = high->Pitch;
  }
  return model;
}

std::pair<std::size_t, std::size_t> RollModel::CandidateRange(std::int64_t fromTick, std::int64_t toTick) const {
  const auto byStart = [](const RollNote& note, std::int64_t tick) { return note.StartTick < tick; };
  // A note starting longestTicks_ before fromTick may still sound at it.
  const auto first = std::lower_bound(notes_.begin(), notes_.end(), fromTick - longestTicks_, byStart);
  const auto last = std::lower_bound(first, notes_.end(), toTick, byStart);
  return {static_cast<std::size_t>(first - notes_.begin()), static_cast<std::size_t>(last - notes_.begin())};
}

std::vector<std::size_t> RollModel::NotesSoundingAt(std::int64_t tick) const {
  std::vector<std::size_t> sounding;
  const auto [first, last] = CandidateRange(tick, tick + 1);
  for (std::size_t k = first; k < last; ++k)
    if (notes_[k].StartTick + notes_[k].LengthTicks > tick) sounding.push_back(k);
  return sounding;
}

std::vector<GridLine> RollModel::Grid(std::int64_t fromTick, std::int64_t toTick) const {
  std::vector<GridLine> lines;
  const std::int64_t beat = beatTicks_;
  for (std::int64_t index = std::max<std::int64_t>(0, fromTick / beat); index * beat <= toTick; ++index)
    lines.push_back({index * beat, index % beatsPerBar_ == 0});
  return lines;
}

std::int64_t RollModel::TickAtSeconds(double seconds) const {
  double elapsed = 0;  // seconds at the start of the current tempo
  for (std::size_t i = 0; i < tempos_.size(); ++i) {
    const double secondsPerTick = tempos_[i].MicrosPerQuarter / 1e6 / timebase_;
    const bool last = i + 1 == tempos_.size();
    const double span = last ? 0 : (tempos_[i + 1].Tick - tempos_[i].Tick) * secondsPerTick;
    if (last || seconds < elapsed + span)
      return tempos_[i].Tick + static_cast<std::int64_t>(std::floor((seconds - elapsed) / secondsPerTick));
    elapsed += span;
  }
  return 0;
}

double RollModel::SecondsAtTick(std::int64_t tick) const {
  double elapsed = 0;  // seconds at the start of the current tempo
  for (std::size_t i = 0; i < tempos_.size(); ++i) {
    const double secondsPerTick = tempos_[i].MicrosPerQuarter / 1e6 / timebase_;
    if (i + 1 == tempos_.size() || tick < tempos_[i + 1].Tick)
      return elapsed + static_cast<double>(tick - tempos_[i].Tick) * secondsPerTick;
    elapsed += static_cast<double>(tempos_[i + 1].Tick - tempos_[i].Tick) * secondsPerTick;
  }
  return 0;
}

std::vector<std::size_t> RollModel::NotesMadeAt(const SourceOrigin& origin) const {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < notes_.size(); ++i)
    if (notes_[i].At && *notes_[i].At == origin) found.push_back(i);
  return found;
}

std::vector<std::size_t> RollModel::NotesAtCaret(const SourceOrigin& caret) const {
  std::vector<SourceOrigin> origins;
  origins.reserve(notes_.size());
  for (const RollNote& note : notes_) origins.push_back(note.At.value_or(SourceOrigin{}));
  return IndicesAtCaret(origins, caret);
}

std::vector<std::size_t> IndicesAtCaret(const std::vector<SourceOrigin>& origins, const SourceOrigin& caret) {
  const SourceOrigin before{caret.File, caret.Line, caret.Column - 1};
  std::optional<SourceOrigin> chosen;   // the character before the caret, else after it
  std::optional<SourceOrigin> nearest;  // else the latest origin before the caret on its line
  for (const SourceOrigin& at : origins) {
    if (at.Line == 0 || at.File != caret.File || at.Line != caret.Line) continue;
    if (at == before) chosen = at;
    if (at == caret && !chosen) chosen = at;
    if (Before(at, before) && (!nearest || Before(*nearest, at))) nearest = at;
  }
  if (!chosen) chosen = nearest;
  std::vector<std::size_t> found;
  if (!chosen) return found;
  for (std::size_t i = 0; i < origins.size(); ++i)
    if (origins[i] == *chosen) found.push_back(i);
  return found;
}

void RollModel::ApplyStepMarks(const std::vector<std::int32_t>& noteOffsets, std::string_view rhythm,
                               std::int32_t steps, std::string_view pattern) {
  for (RollNote& note : notes_) {
    note.Mark = StepMark::None;
    note.TiedSteps = 0;
  }
  const auto spans = FindSteps(rhythm, steps, pattern);
  if (!spans) return;
  // Ties following each step: they lengthen the notes that step made.
  std::vector<std::int32_t> ties(spans->size(), 0);
  for (std::size_t i = spans->size(); i-- > 1;)
    if ((*spans)[i].Symbol == '^') ties[i - 1] = ties[i] + 1;
  for (std::size_t n = 0; n < notes_.size(); ++n) {
    const std::int32_t offset = noteOffsets[n];
    if (offset < 0) continue;
    const auto span = std::upper_bound(spans->begin(), spans->end(), offset,
                                       [](std::int32_t at, const StepSpan& s) { return at < s.End; });
    if (span == spans->end() || offset < span->Begin) continue;
    RollNote& note = notes_[n];
    note.TiedSteps = ties[static_cast<std::size_t>(span - spans->begin())];
    switch (span->Symbol) {
      case 'N': note.Mark = StepMark::Note; break;
      case 'm': note.Mark = StepMark::Muted; break;
      case 'd': note.Mark = StepMark::Split; break;
      case 'B': note.Mark = StepMark::BendUp; break;
      case 'W': note.Mark = StepMark::Chord; break;
      default: break;  // rests and ties make no note
    }
  }
}

Rgb TrackColour(std::int32_t track) {
  // Eight hues far apart, in an order where neighbouring tracks never look alike.
  static constexpr Rgb Palette[] = {{0x2E, 0x6F, 0xD8}, {0xD8, 0x4A, 0x2E}, {0x2E, 0xA0, 0x4E}, {0x9B, 0x3E, 0xC8},
                                    {0xD8, 0x9A, 0x1E}, {0x1E, 0xA8, 0xB0}, {0xC8, 0x3E, 0x8A}, {0x6A, 0x7A, 0x1E}};
  constexpr std::int32_t count = static_cast<std::int32_t>(std::size(Palette));
  return Palette[((track % count) + count) % count];
}

const char* PitchClassName(std::int32_t pitch) {
  static constexpr const char* Names[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  return Names[((pitch % 12) + 12) % 12];
}

// As the MML octave command counts: o4c is note 48.
std::int32_t OctaveOf(std::int32_t pitch) { return pitch >= 0 ? pitch / 12 : -1; }

}  // namespace vlm::roll
