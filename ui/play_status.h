#pragma once
// What the main window shows of playing: elapsed and total time in the
// status bar, the play control that started the sound checked, and the stop
// controls enabled, while the player plays. A timer reads the player only
// while something sounds.

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <utility>
#include <vector>

#include "common/media_player.h"

class QAction;
class QLabel;
class QStatusBar;

namespace vlm::ui {

// "m:ss" of a time in seconds, rounded down; negative or unknown (NaN)
// times show as 0:00.
QString ClockText(double seconds);

class PlayStatus : public QObject {
 public:
  // `player` gives the player of the moment (it may be null); the label goes
  // into `bar` as a permanent widget.
  PlayStatus(std::function<MediaPlayer*()> player, QStatusBar* bar, QObject* parent = nullptr);

  // Play controls of one command share a group (the menu entry and its tool
  // button); a control becomes checkable and is checked while the sound it
  // started plays.
  void AddPlayControl(QAction* action, int group);
  void AddStopControl(QAction* action);
  // Reads the player and shows its state; runs after every command too.
  void Update();

  QLabel* Label() const { return label_; }

 private:
  std::function<MediaPlayer*()> player_;          // the player of the moment, or null
  QLabel* label_;                                 // owned by the status bar
  QTimer timer_;                                  // runs only while something plays
  std::vector<std::pair<QAction*, int>> plays_;  // play controls with their groups
  std::vector<QAction*> stops_;                   // enabled only while something plays
  int playingGroup_ = -1;  // group of the control that started the sound, -1 none known
};

}  // namespace vlm::ui
