#include "ui/piano_roll_widget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "ui/roll_painter.h"
#include "ui/roll_texts.h"

namespace vlm::ui {

namespace {
constexpr double MinRowHeight = 5;     // pixels; below this the rows scroll
constexpr double MaxRowHeight = 22;
constexpr double StartPixelsPerQuarter = 48;
constexpr double MinPixelsPerQuarter = 2;
constexpr double MaxPixelsPerQuarter = 1200;
constexpr int PlayheadIntervalMs = 30;  // about 33 repaints a second, two narrow strips each
}  // namespace

PianoRollWidget::PianoRollWidget(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("PianoRoll"));
  setAccessibleName(RollText(roll_texts::RollName));
  setMinimumSize(240, 120);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  layout_ = roll::FitPitches(model_, 10, StartPixelsPerQuarter);
  playheadTimer_.setInterval(PlayheadIntervalMs);
  connect(&playheadTimer_, &QTimer::timeout, this, &PianoRollWidget::MovePlayhead);
}

void PianoRollWidget::SetModel(roll::RollModel model) {
  const double pixelsPerQuarter = layout_.PixelsPerTick * model_.Timebase();
  model_ = std::move(model);
  const roll::RollLayout fitted = roll::FitPitches(model_, layout_.RowHeight, pixelsPerQuarter);
  layout_.PixelsPerTick = fitted.PixelsPerTick;
  layout_.TopPitch = fitted.TopPitch;
  highlighted_.clear();
  playhead_.reset();
  FitRows();
  horizontalScrollBar()->setValue(0);
  verticalScrollBar()->setValue(0);
  viewport()->update();
}

void PianoRollWidget::SetHighlighted(std::vector<std::size_t> notes) {
  std::sort(notes.begin(), notes.end());
  if (notes == highlighted_) return;
  highlighted_ = std::move(notes);
  viewport()->update();
}

void PianoRollWidget::SetPlayer(const MediaPlayer* player, std::function<std::string()> shownFile) {
  player_ = player;
  shownFile_ = std::move(shownFile);
  if (player_)
    playheadTimer_.start();
  else
    playheadTimer_.stop();
}

// The rows share the height: the roll grows with the window.
void PianoRollWidget::FitRows() {
  const int rows = roll::RowCount(model_, layout_);
  layout_.RowHeight = std::clamp(static_cast<double>(viewport()->height()) / rows, MinRowHeight, MaxRowHeight);
  UpdateScrollBars();
}

void PianoRollWidget::UpdateScrollBars() {
  const double contentWidth = layout_.GutterWidth + (model_.EndTick() + model_.Timebase()) * layout_.PixelsPerTick;
  const double contentHeight = roll::RowCount(model_, layout_) * layout_.RowHeight;
  horizontalScrollBar()->setPageStep(viewport()->width());
  horizontalScrollBar()->setSingleStep(20);
  horizontalScrollBar()->setRange(0, std::max(0, static_cast<int>(std::ceil(contentWidth)) - viewport()->width()));
  verticalScrollBar()->setPageStep(viewport()->height());
  verticalScrollBar()->setSingleStep(static_cast<int>(layout_.RowHeight));
  verticalScrollBar()->setRange(0, std::max(0, static_cast<int>(std::ceil(contentHeight)) - viewport()->height()));
  layout_.ScrollX = horizontalScrollBar()->value();
  layout_.ScrollY = verticalScrollBar()->value();
}

void PianoRollWidget::ZoomBy(double factor, int anchorX) {
  const double anchorTick = (anchorX - layout_.GutterWidth + layout_.ScrollX) / layout_.PixelsPerTick;
  const double perQuarter =
      std::clamp(layout_.PixelsPerTick * model_.Timebase() * factor, MinPixelsPerQuarter, MaxPixelsPerQuarter);
  layout_.PixelsPerTick = perQuarter / model_.Timebase();
  UpdateScrollBars();
  horizontalScrollBar()->setValue(static_cast<int>(anchorTick * layout_.PixelsPerTick - (anchorX - layout_.GutterWidth)));
  layout_.ScrollX = horizontalScrollBar()->value();
  viewport()->update();
}

QPoint PianoRollWidget::CentreOf(std::size_t note) const {
  const roll::NoteRect r = layout_.RectOf(model_.Notes().at(note));
  return QPoint(static_cast<int>(r.X + std::min(r.Width, 6.0) / 2), static_cast<int>(r.Y + r.Height / 2));
}

// The roll follows the desktop's theme: dark rows under a dark palette.
void PianoRollWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  const bool dark = palette().color(QPalette::Base).lightness() < 128;
  PaintRoll(painter, model_, layout_, event->rect(),
            {highlighted_, playhead_, dark ? RollColours::Dark() : RollColours::Light()});
}

void PianoRollWidget::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  FitRows();
}

// Ctrl+wheel zooms time around the pointer; the plain wheel scrolls.
void PianoRollWidget::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) {
    QAbstractScrollArea::wheelEvent(event);
    return;
  }
  const int steps = event->angleDelta().y();
  if (steps != 0) ZoomBy(std::pow(1.25, steps / 120.0), static_cast<int>(event->position().x()));
  event->accept();
}

void PianoRollWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    pressedAt_ = event->position().toPoint();
    if (const auto note = layout_.NoteAt(model_, event->position().x(), event->position().y())) emit NoteClicked(*note);
  }
  QAbstractScrollArea::mousePressEvent(event);
}

// One drag a press: the drag itself runs its own event loop, and the release
// it swallows would otherwise leave the next move starting another.
void PianoRollWidget::mouseMoveEvent(QMouseEvent* event) {
  if (pressedAt_ && (event->buttons() & Qt::LeftButton) &&
      (event->position().toPoint() - *pressedAt_).manhattanLength() >= QApplication::startDragDistance()) {
    pressedAt_.reset();
    emit DragRequested();
  }
  QAbstractScrollArea::mouseMoveEvent(event);
}

void PianoRollWidget::scrollContentsBy(int, int) {
  layout_.ScrollX = horizontalScrollBar()->value();
  layout_.ScrollY = verticalScrollBar()->value();
  viewport()->update();
}

// Reads the player's own position at every tick of the timer, so the line
// never drifts from the sound; only the strips it leaves and enters repaint.
// A player that does not name its file is taken to play the one shown.
bool PianoRollWidget::Shown(const MediaPlayer& player) const {
  if (!shownFile_) return true;
  const std::string playing = player.OpenedFile();
  return playing.empty() || playing == shownFile_();
}

void PianoRollWidget::MovePlayhead() {
  std::optional<std::int64_t> tick;
  if (player_ && player_->GetMode() == MediaPlayer::Mode::Playing && Shown(*player_))
    tick = model_.TickAtSeconds(player_->PositionSeconds());
  if (tick == playhead_) return;
  const std::optional<std::int64_t> old = playhead_;
  playhead_ = tick;
  RepaintColumn(old);
  RepaintColumn(playhead_);
  emit PlayheadMoved();
  // Keep the playhead in sight: page on when it leaves the right edge.
  if (playhead_) {
    const double x = layout_.XOf(*playhead_);
    if (x > viewport()->width() || x < layout_.GutterWidth)
      horizontalScrollBar()->setValue(static_cast<int>(*playhead_ * layout_.PixelsPerTick));
  }
}

void PianoRollWidget::RepaintColumn(std::optional<std::int64_t> tick) {
  if (!tick) return;
  const int x = static_cast<int>(std::floor(layout_.XOf(*tick)));
  viewport()->update(QRect(x - 2, 0, 5, viewport()->height()));
}

}  // namespace vlm::ui
