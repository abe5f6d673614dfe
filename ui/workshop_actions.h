#pragma once
// The phrase workshop in the main window: the phrase history with back and
// forward, keeping a phrase, the kept list, the lock-seed switch and the seed
// in the status bar. It owns the history the model records into and adds
// its menu, tool bar and status-bar piece to the main window.

#include <QObject>
#include <functional>
#include <string>

#include "app/main_form.h"
#include "app/phrase_history.h"
#include "common/platform.h"
#include "ui/binder.h"

class QAction;
class QMainWindow;
class QPushButton;

namespace vlm::ui {

class HistoryPane;

class WorkshopActions : public QObject {
  Q_OBJECT

 public:
  // form, window and platform must outlive this; `changed` shows the models
  // again in every window after each command.
  WorkshopActions(TForm1& form, QMainWindow& window, Platform& platform, std::function<void()> changed);
  ~WorkshopActions() override;

  // Reads the history from fileName (empty: the history lives in memory
  // only); damaged lines are told in the status bar and on standard error.
  void OpenHistory(const std::string& fileName);
  PhraseHistory& History() { return history_; }
  HistoryPane& Pane() const { return *pane_; }
  void Refresh();

  // ---- commands ----
  void GoBack();
  void GoForward();
  void ToggleKeep();
  void RestoreSettings();
  void CopySeed();

 private:
  void Restore(const PhraseEntry* entry);
  QAction* Action(const char* name, const char* caption, const QKeySequence& key, std::function<void()> handler);

  TForm1& form_;
  QMainWindow& window_;
  Platform& platform_;
  Binder binder_;
  PhraseHistory history_;
  QAction* back_ = nullptr;
  QAction* forward_ = nullptr;
  QAction* keep_ = nullptr;
  QAction* lock_ = nullptr;
  QAction* playOnMove_ = nullptr;
  QAction* restoreSettings_ = nullptr;
  QPushButton* seed_ = nullptr;  // the seed in the status bar; a click copies it
  HistoryPane* pane_ = nullptr;
};

}  // namespace vlm::ui
