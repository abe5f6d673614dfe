#include "ui/session_keeper.h"

#include <cstdio>

#include "common/warning.h"

namespace vlm::ui {

SessionKeeper::SessionKeeper(TForm1& form, const std::string& path, QObject* parent)
    : QObject(parent), session_(form, path) {
  timer_.setInterval(SaveIntervalMs);
  connect(&timer_, &QTimer::timeout, this, &SessionKeeper::Save);
}

SessionKeeper::~SessionKeeper() { Save(); }

void SessionKeeper::Start() {
  if (const auto failure = session_.Restore()) ShowWarning(*failure);
  timer_.start();
}

// A save that fails goes on failing every few seconds (a full disk, a folder
// made read-only): the user is told each new reason once, so that work that
// is no longer kept does not go unnoticed, and is not told again every time.
void SessionKeeper::Save() {
  const auto failure = session_.SaveIfChanged();
  if (!failure) {
    lastFailure_.clear();
    return;
  }
  if (*failure == lastFailure_) return;
  lastFailure_ = *failure;
  std::fprintf(stderr, "vorlumi3: the session could not be saved: %s\n", failure->c_str());
  ShowWarning("The settings could not be kept for the next start: " + *failure);
}

}  // namespace vlm::ui
