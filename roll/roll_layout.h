#pragma once
// Where the roll puts things on screen: time runs right from the pitch-name
// gutter, pitch runs up. Plain arithmetic, shared by the window, the picture
// export and the tests.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "roll/roll_model.h"

namespace vlm::roll {

struct NoteRect {
  double X = 0, Y = 0, Width = 0, Height = 0;  // pixels in the drawing, gutter included
};

struct RollLayout {
  double PixelsPerTick = 0.25;  // horizontal zoom
  double RowHeight = 8;         // pixels a semitone
  double GutterWidth = 40;      // the pitch names at the left
  std::int32_t TopPitch = 84;   // pitch of the top row
  double ScrollX = 0;           // pixels of time scrolled off at the left
  double ScrollY = 0;           // pixels of rows scrolled off at the top

  double XOf(std::int64_t tick) const { return GutterWidth + tick * PixelsPerTick - ScrollX; }
  double YOf(std::int32_t pitch) const { return (TopPitch - pitch) * RowHeight - ScrollY; }
  std::int64_t TickAt(double x) const;
  std::int32_t PitchAt(double y) const;
  // A note is at least two pixels wide, so that a very short one stays visible.
  NoteRect RectOf(const RollNote& note) const;
  // The note under a point: the latest-starting one when several overlap.
  std::optional<std::size_t> NoteAt(const RollModel& model, double x, double y) const;
};

// A layout showing every note's pitch with two rows to spare above and
// below, at pixelsPerQuarter a quarter note.
RollLayout FitPitches(const RollModel& model, double rowHeight, double pixelsPerQuarter);
// Rows from the top to the lowest row FitPitches shows.
std::int32_t RowCount(const RollModel& model, const RollLayout& layout);

}  // namespace vlm::roll
