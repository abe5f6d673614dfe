#pragma once
// Keeps the main window's settings between runs (app/session_file.h): applies
// them at start-up, saves them every few seconds while they change, and once
// more when the program ends.

#include <QObject>
#include <QTimer>
#include <string>

#include "app/session_file.h"

namespace vlm::ui {

class SessionKeeper : public QObject {
  Q_OBJECT

 public:
  static constexpr int SaveIntervalMs = 5000;  // the most work a crash can take

  // The form must outlive the keeper.
  SessionKeeper(TForm1& form, const std::string& path, QObject* parent = nullptr);
  // Saves what changed since the last save.
  ~SessionKeeper() override;

  // Applies the saved settings and starts saving; a file that cannot be
  // read is shown as a warning.
  void Start();

 private:
  void Save();

  SessionFile session_;
  QTimer timer_;
  std::string lastFailure_;  // told once, not at every save
};

}  // namespace vlm::ui
