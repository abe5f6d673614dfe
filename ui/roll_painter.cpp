#include "ui/roll_painter.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace vlm::ui {

namespace {

using roll::RollLayout;
using roll::RollModel;
using roll::RollNote;
using roll::StepMark;

bool IsBlackKey(std::int32_t pitch) {
  const int pc = ((pitch % 12) + 12) % 12;
  return pc == 1 || pc == 3 || pc == 6 || pc == 8 || pc == 10;
}

QColor TrackColor(std::int32_t track) {
  const roll::Rgb rgb = roll::TrackColour(track);
  return QColor(rgb.R, rgb.G, rgb.B);
}

// Rows of pitches, darker for black keys, tinted by the scale's weights.
void PaintRows(QPainter& painter, const RollModel& model, const RollLayout& layout, const QRect& area, int firstPitch,
               int lastPitch, const RollColours& colours) {
  for (int pitch = lastPitch; pitch >= firstPitch; --pitch) {
    const QRectF row(area.left(), layout.YOf(pitch), area.width(), layout.RowHeight);
    QColor color = IsBlackKey(pitch) ? colours.BlackRow : colours.WhiteRow;
    if (model.ScaleWeights) {
      // A weight of 100 tints the row fully towards a pale green.
      const double w = std::clamp((*model.ScaleWeights)[static_cast<std::size_t>(((pitch % 12) + 12) % 12)], 0, 100) / 100.0;
      color = QColor::fromRgbF(color.redF() * (1 - 0.25 * w), color.greenF(), color.blueF() * (1 - 0.25 * w));
    }
    painter.fillRect(row, color);
  }
}

void PaintGrid(QPainter& painter, const RollModel& model, const RollLayout& layout, const QRect& area,
               const RollColours& colours) {
  const QPen bar(colours.BarLine, 1);
  const QPen beat(colours.BeatLine, 1);
  for (const roll::GridLine& line : model.Grid(layout.TickAt(area.left()), layout.TickAt(area.right() + 1))) {
    const double x = std::floor(layout.XOf(line.Tick)) + 0.5;
    painter.setPen(line.Bar ? bar : beat);
    painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom() + 1));
  }
}

// The bend as a line over the note: along its top edge when unbent, one row
// up or down a semitone, stepping where the bend changes. The top edge
// keeps the bar's middle clear for its colour.
void PaintBend(QPainter& painter, const RollModel& model, const RollLayout& layout, const RollNote& note,
               const roll::NoteRect& rect, const QColor& ink) {
  const roll::BendCurve& curve = model.Curves()[static_cast<std::size_t>(note.BendCurve)];
  const std::int64_t end = note.StartTick + note.LengthTicks;
  const double edge = rect.Y + 1;
  QPolygonF line;
  double semitones = curve.SemitonesAt(note.StartTick);
  bool bends = semitones != 0;
  line << QPointF(rect.X, edge - semitones * layout.RowHeight);
  auto point = std::upper_bound(curve.Points.begin(), curve.Points.end(), note.StartTick,
                                [](std::int64_t t, const auto& p) { return t < p.first; });
  for (; point != curve.Points.end() && point->first < end; ++point) {
    const double x = layout.XOf(point->first);
    line << QPointF(x, edge - semitones * layout.RowHeight);
    semitones = point->second;
    bends = bends || semitones != 0;
    line << QPointF(x, edge - semitones * layout.RowHeight);
  }
  if (!bends) return;
  line << QPointF(rect.X + rect.Width, edge - semitones * layout.RowHeight);
  painter.setPen(QPen(ink, 1.5));
  painter.drawPolyline(line);
}

// The generator's step marks, each in its own shape so that they can be told
// apart at any zoom: a diamond for a chord, a triangle for a split step, an
// upward arrow head for a bend-up, an arc for a tie; a muted note is hollow.
void PaintMark(QPainter& painter, const RollNote& note, const QRectF& bar, const QColor& ink) {
  const double h = bar.height();
  painter.setPen(Qt::NoPen);
  painter.setBrush(ink);
  switch (note.Mark) {
    case StepMark::Chord:  // W: diamond at the start
      painter.drawPolygon(QPolygonF({QPointF(bar.left(), bar.center().y() - h / 2), QPointF(bar.left() + h / 2, bar.center().y()),
                                     QPointF(bar.left(), bar.center().y() + h / 2), QPointF(bar.left() - h / 2, bar.center().y())}));
      break;
    case StepMark::Split:  // d: triangle pointing right at the start
      painter.drawPolygon(QPolygonF({QPointF(bar.left(), bar.top()), QPointF(bar.left() + h * 0.6, bar.center().y()),
                                     QPointF(bar.left(), bar.bottom())}));
      break;
    case StepMark::BendUp:  // B: arrow head pointing up above the start
      painter.drawPolygon(QPolygonF({QPointF(bar.left(), bar.top()), QPointF(bar.left() + h / 2, bar.top() - h * 0.7),
                                     QPointF(bar.left() + h, bar.top())}));
      break;
    default:
      break;
  }
  if (note.TiedSteps > 0) {  // ^: an arc over the tied part
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ink, 1.2));
    const double from = bar.left() + bar.width() / (note.TiedSteps + 1);
    painter.drawArc(QRectF(from, bar.top() - h * 0.6, bar.right() - from, h), 0, 180 * 16);
  }
  painter.setBrush(Qt::NoBrush);
}

void PaintNotes(QPainter& painter, const RollModel& model, const RollLayout& layout, const QRect& area,
                const RollPaintState& state, int firstPitch, int lastPitch) {
  const std::int64_t fromTick = layout.TickAt(area.left());
  const auto [first, last] = model.CandidateRange(fromTick, layout.TickAt(area.right() + 1) + 1);
  for (std::size_t i = first; i < last; ++i) {
    const RollNote& note = model.Notes()[i];
    if (note.Pitch < firstPitch || note.Pitch > lastPitch || note.StartTick + note.LengthTicks < fromTick) continue;
    const roll::NoteRect r = layout.RectOf(note);
    const QRectF bar(r.X, r.Y + 1, r.Width, r.Height - 1);
    const bool selected = std::binary_search(state.Highlighted.begin(), state.Highlighted.end(), i);
    // Velocity as shade: a soft note is paler.
    const QColor full = TrackColor(note.Track);
    const QColor shade = full.lighter(100 + (127 - std::clamp(note.Velocity, 1, 127)) * 80 / 126);
    if (note.Mark == StepMark::Muted) {
      painter.fillRect(bar, state.Colours.HollowFill);
      painter.setPen(QPen(shade, 2));
      painter.drawRect(bar.adjusted(1, 1, -1, -1));
    } else {
      painter.fillRect(bar, shade);
    }
    if (selected) {
      painter.setPen(QPen(state.Colours.Selection, 2));
      painter.drawRect(bar.adjusted(-1, -1, 1, 1));
    }
    if (note.Mark != StepMark::None || note.TiedSteps > 0) PaintMark(painter, note, bar, state.Colours.Ink);
    if (note.BendCurve >= 0) PaintBend(painter, model, layout, note, r, state.Colours.Ink);
  }
}

// Pitch names at the left, over whatever scrolled under them.
void PaintGutter(QPainter& painter, const RollLayout& layout, const QRect& area, int firstPitch, int lastPitch,
                 const RollColours& colours) {
  const QRectF gutter(0, area.top(), layout.GutterWidth, area.height());
  painter.fillRect(gutter, colours.Gutter);
  painter.setPen(colours.GutterText);
  const bool everyName = layout.RowHeight >= 11;
  for (int pitch = lastPitch; pitch >= firstPitch; --pitch) {
    const QRectF row(0, layout.YOf(pitch), layout.GutterWidth - 4, layout.RowHeight);
    if (IsBlackKey(pitch))
      painter.fillRect(QRectF(layout.GutterWidth - 10, row.top(), 10, row.height()), colours.GutterBlackKey);
    if (everyName || pitch % 12 == 0)
      painter.drawText(row.adjusted(0, -4, -10, 4), Qt::AlignRight | Qt::AlignVCenter,
                       QString::fromLatin1(roll::PitchClassName(pitch)) + QString::number(roll::OctaveOf(pitch)));
  }
  painter.setPen(colours.GutterEdge);
  painter.drawLine(QPointF(layout.GutterWidth - 0.5, area.top()), QPointF(layout.GutterWidth - 0.5, area.bottom() + 1));
}

}  // namespace

RollColours RollColours::Light() {
  return {.Background = QColor(0xF7, 0xF8, 0xFA),
          .WhiteRow = QColor(0xF7, 0xF8, 0xFA),
          .BlackRow = QColor(0xE4, 0xE6, 0xEA),
          .BarLine = QColor(0x8A, 0x90, 0x9A),
          .BeatLine = QColor(0xCF, 0xD3, 0xD9),
          .Ink = QColor(0x10, 0x10, 0x10),
          .HollowFill = QColor(0xFF, 0xFF, 0xFF),
          .Gutter = QColor(0xFF, 0xFF, 0xFF),
          .GutterText = QColor(0x40, 0x40, 0x40),
          .GutterBlackKey = QColor(0x30, 0x30, 0x30),
          .GutterEdge = QColor(0x8A, 0x90, 0x9A),
          .Selection = QColor(0xFF, 0x8C, 0x00),
          .Playhead = QColor(0xE0, 0x20, 0x20)};
}

RollColours RollColours::Dark() {
  return {.Background = QColor(0x23, 0x25, 0x29),
          .WhiteRow = QColor(0x2B, 0x2E, 0x33),
          .BlackRow = QColor(0x1F, 0x21, 0x25),
          .BarLine = QColor(0x7A, 0x80, 0x8A),
          .BeatLine = QColor(0x3D, 0x41, 0x48),
          .Ink = QColor(0xF0, 0xF0, 0xF0),
          .HollowFill = QColor(0x1F, 0x21, 0x25),
          .Gutter = QColor(0x1B, 0x1C, 0x1F),
          .GutterText = QColor(0xC8, 0xCC, 0xD2),
          .GutterBlackKey = QColor(0x5A, 0x5E, 0x66),
          .GutterEdge = QColor(0x7A, 0x80, 0x8A),
          .Selection = QColor(0xFF, 0x8C, 0x00),
          .Playhead = QColor(0xFF, 0x40, 0x40)};
}

void PaintRoll(QPainter& painter, const RollModel& model, const RollLayout& layout, const QRect& exposed,
               const RollPaintState& state) {
  painter.save();
  painter.setClipRect(exposed);
  const RollColours& colours = state.Colours;
  painter.fillRect(exposed, colours.Background);
  const int lastPitch = std::min(127, layout.PitchAt(exposed.top()));
  const int firstPitch = std::max(0, layout.PitchAt(exposed.bottom()));
  QRect notesArea = exposed;
  notesArea.setLeft(std::max(exposed.left(), static_cast<int>(layout.GutterWidth)));
  if (notesArea.width() > 0) {
    PaintRows(painter, model, layout, notesArea, firstPitch, lastPitch, colours);
    PaintGrid(painter, model, layout, notesArea, colours);
    painter.setRenderHint(QPainter::Antialiasing, true);
    PaintNotes(painter, model, layout, notesArea, state, firstPitch, lastPitch);
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (state.PlayheadTick) {
      const double x = std::floor(layout.XOf(*state.PlayheadTick)) + 0.5;
      painter.setPen(QPen(colours.Playhead, 2));
      painter.drawLine(QPointF(x, notesArea.top()), QPointF(x, notesArea.bottom() + 1));
    }
  }
  if (exposed.left() < layout.GutterWidth) PaintGutter(painter, layout, exposed, firstPitch, lastPitch, colours);
  painter.restore();
}

}  // namespace vlm::ui
