#pragma once
// The piano roll as a scrolling widget: pitch rows that grow with the widget,
// time that zooms with Ctrl+wheel, a click on a note reported as a signal,
// a drag started with the left button reported as another, highlighted
// notes, and a playhead that follows the player's position.

#include <QAbstractScrollArea>
#include <QTimer>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/media_player.h"
#include "roll/roll_layout.h"
#include "roll/roll_model.h"

namespace vlm::ui {

class PianoRollWidget : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit PianoRollWidget(QWidget* parent = nullptr);
  // Small, so that a window growing past its start shares the height with
  // the pages instead of handing it all to the roll first.
  QSize sizeHint() const override { return {320, 120}; }

  // Shows a new piece; the zoom stays, the scroll returns to the start.
  void SetModel(roll::RollModel model);
  const roll::RollModel& Model() const { return model_; }
  const roll::RollLayout& Layout() const { return layout_; }
  // Notes drawn as selected (indices into Model().Notes()).
  void SetHighlighted(std::vector<std::size_t> notes);
  const std::vector<std::size_t>& Highlighted() const { return highlighted_; }
  // The player whose position the playhead shows; null: no playhead. It must
  // outlive the widget or be replaced first. With `shownFile`, the playhead
  // shows only while the player plays the file it names (the player may
  // play other windows' files too).
  void SetPlayer(const MediaPlayer* player, std::function<std::string()> shownFile = {});
  // Multiplies the time zoom, keeping the tick under anchorX in place.
  void ZoomBy(double factor, int anchorX);
  // The tick the playhead stands at; none while nothing shown plays.
  std::optional<std::int64_t> PlayheadTick() const { return playhead_; }
  // The viewport's point at the middle of a note, for tests and scripting.
  QPoint CentreOf(std::size_t note) const;

 signals:
  void NoteClicked(std::size_t note);
  // The pointer moved the drag distance with the left button held.
  void DragRequested();
  // PlayheadTick() changed: the playhead moved, appeared or went.
  void PlayheadMoved();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void FitRows();
  void UpdateScrollBars();
  void MovePlayhead();
  bool Shown(const MediaPlayer& player) const;
  void RepaintColumn(std::optional<std::int64_t> tick);

  roll::RollModel model_;
  roll::RollLayout layout_;
  std::vector<std::size_t> highlighted_;
  const MediaPlayer* player_ = nullptr;
  std::function<std::string()> shownFile_;  // the file the roll shows, when it is told
  std::optional<std::int64_t> playhead_;  // tick drawn, none while nothing plays
  QTimer playheadTimer_;
  std::optional<QPoint> pressedAt_;  // where the left button went down, until a drag starts
};

}  // namespace vlm::ui
