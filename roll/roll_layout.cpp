#include "roll/roll_layout.h"

#include <algorithm>
#include <cmath>

namespace vlm::roll {

namespace {
constexpr std::int32_t SpareRows = 2;  // above the highest and below the lowest note
}  // namespace

std::int64_t RollLayout::TickAt(double x) const {
  return static_cast<std::int64_t>(std::floor((x - GutterWidth + ScrollX) / PixelsPerTick));
}

std::int32_t RollLayout::PitchAt(double y) const {
  return TopPitch - static_cast<std::int32_t>(std::floor((y + ScrollY) / RowHeight));
}

NoteRect RollLayout::RectOf(const RollNote& note) const {
  return {XOf(note.StartTick), YOf(note.Pitch), std::max(2.0, note.LengthTicks * PixelsPerTick), RowHeight};
}

std::optional<std::size_t> RollLayout::NoteAt(const RollModel& model, double x, double y) const {
  if (x < GutterWidth) return std::nullopt;
  const std::int32_t pitch = PitchAt(y);
  const std::int64_t tick = TickAt(x);
  const auto [first, last] = model.CandidateRange(tick - 2, tick + 2);
  for (std::size_t i = last; i-- > first;) {
    const NoteRect rect = RectOf(model.Notes()[i]);
    if (model.Notes()[i].Pitch == pitch && x >= rect.X && x < rect.X + rect.Width) return i;
  }
  return std::nullopt;
}

RollLayout FitPitches(const RollModel& model, double rowHeight, double pixelsPerQuarter) {
  RollLayout layout;
  layout.RowHeight = rowHeight;
  layout.PixelsPerTick = pixelsPerQuarter / model.Timebase();
  layout.TopPitch = std::min(127, model.HighestPitch() + SpareRows);
  return layout;
}

std::int32_t RowCount(const RollModel& model, const RollLayout& layout) {
  return std::max(1, layout.TopPitch - std::max(0, model.LowestPitch() - SpareRows) + 1);
}

}  // namespace vlm::roll
