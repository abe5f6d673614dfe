#include "ui/play_status.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <cmath>

#include "ui/window_texts.h"

namespace vlm::ui {

namespace {
constexpr int kIntervalMs = 250;  // status repaint while playing: the clock shows whole seconds
}  // namespace

QString ClockText(double seconds) {
  const auto whole = static_cast<long long>(std::floor(std::isfinite(seconds) && seconds > 0 ? seconds : 0));
  return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

PlayStatus::PlayStatus(std::function<MediaPlayer*()> player, QStatusBar* bar, QObject* parent)
    : QObject(parent), player_(std::move(player)), label_(new QLabel) {
  label_->setObjectName(QStringLiteral("PlayStatus"));
  bar->addPermanentWidget(label_);
  timer_.setInterval(kIntervalMs);
  connect(&timer_, &QTimer::timeout, this, &PlayStatus::Update);
}

void PlayStatus::AddPlayControl(QAction* action, int group) {
  action->setCheckable(true);
  plays_.emplace_back(action, group);
  // Runs after the command (connected later than the command's handler).
  connect(action, &QAction::triggered, this, [this, group] {
    playingGroup_ = group;
    Update();
  });
}

void PlayStatus::AddStopControl(QAction* action) { stops_.push_back(action); }

void PlayStatus::Update() {
  const MediaPlayer* player = player_ ? player_() : nullptr;
  const bool playing = player && player->GetMode() == MediaPlayer::Mode::Playing;
  if (!playing) playingGroup_ = -1;
  label_->setText(playing ? WindowText(kPlayingStatus)
                                .arg(ClockText(player->PositionSeconds()), ClockText(player->LengthSeconds()))
                          : QString());
  for (const auto& [action, group] : plays_) action->setChecked(playing && group == playingGroup_);
  for (QAction* action : stops_) action->setEnabled(playing);
  if (playing && !timer_.isActive()) timer_.start();
  if (!playing) timer_.stop();
}

}  // namespace vlm::ui
