#pragma once
// Draws a piano roll onto any QPainter: the window's viewport, a QImage for a
// picture file or a benchmark. Only what lies inside the exposed rectangle
// is drawn; notes are found by a binary search on their start.

#include <QColor>
#include <QRect>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "roll/roll_layout.h"
#include "roll/roll_model.h"

class QPainter;

namespace vlm::ui {

// The colours of everything but the notes, which keep their track's colour:
// light for pictures and light desktops, dark for a dark desktop theme.
struct RollColours {
  QColor Background, WhiteRow, BlackRow;  // rows are tinted green by the scale's weights
  QColor BarLine, BeatLine;
  QColor Ink;         // bend lines and step marks
  QColor HollowFill;  // inside a muted note
  QColor Gutter, GutterText, GutterBlackKey, GutterEdge;
  QColor Selection, Playhead;

  static RollColours Light();
  static RollColours Dark();
};

struct RollPaintState {
  std::vector<std::size_t> Highlighted;   // sorted note indices drawn as selected
  std::optional<std::int64_t> PlayheadTick;
  RollColours Colours = RollColours::Light();
};

void PaintRoll(QPainter& painter, const roll::RollModel& model, const roll::RollLayout& layout, const QRect& exposed,
               const RollPaintState& state = {});

}  // namespace vlm::ui
