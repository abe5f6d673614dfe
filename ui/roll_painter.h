#pragma once
// Draws a piano roll onto any QPainter: the window's viewport, a QImage for a
// picture file or a benchmark. Only what lies inside the exposed rectangle
// is drawn; notes are found by a binary search on their start.

#include <QRect>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "roll/roll_layout.h"
#include "roll/roll_model.h"

class QPainter;

namespace vlm::ui {

struct RollPaintState {
  std::vector<std::size_t> Highlighted;   // sorted note indices drawn as selected
  std::optional<std::int64_t> PlayheadTick;
};

void PaintRoll(QPainter& painter, const roll::RollModel& model, const roll::RollLayout& layout, const QRect& exposed,
               const RollPaintState& state = {});

}  // namespace vlm::ui
