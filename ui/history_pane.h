#pragma once
// The list of kept phrases, a dock beside the main window: each entry can be
// called back, copied into a song slot, or saved as MIDI or MML in one step,
// or dragged into a sequencer or a file manager as its MIDI file. On request
// it lists the whole history, newest first, where any phrase can be kept.

#include <QDockWidget>
#include <optional>
#include <string>

#include "app/main_form.h"
#include "app/phrase_handover.h"
#include "app/phrase_history.h"
#include "common/platform.h"
#include "ui/binder.h"
#include "ui/kept_list.h"

class QCheckBox;
class QListWidget;
class QPushButton;

namespace vlm::ui {

class HistoryPane : public QDockWidget {
  Q_OBJECT

 public:
  // The models must outlive the pane; `restore` shows a history entry in the
  // main window (index into history.Entries()).
  HistoryPane(TForm1& form, PhraseHistory& history, Platform& platform, Binder& binder,
              std::function<void(std::size_t)> restore, QWidget* parent = nullptr);

  void Refresh();
  // The index into the history of the kept entry selected in the list.
  std::optional<std::size_t> Selected() const;
  QListWidget* List() const { return list_; }

  // ---- commands on the selected entry ----
  void ToSlot();
  void SaveMidi();
  void SaveMml();
  void ToggleKeep();
  // Asks for a name for the selected entry (F2), shown in the list and
  // given to the files it is exported to; a named entry is kept.
  void AskName();
  void SetName(std::size_t index, const std::string& name);
  // Every kept phrase into the folder, as MIDI and MML; the count is shown
  // in the status bar.
  void ExportAll(const std::string& folder);
  // The MIDI file of the history's entry index, handed over for a drag out
  // of the list; no Path when it could not be written (the user was told why).
  HandedPhrase DragOut(std::size_t index);

 private:
  TForm1& form_;
  PhraseHistory& history_;
  Platform& platform_;
  void ShowKeepButton();

  KeptList* list_;
  QCheckBox* showAll_;
  QPushButton* keep_ = nullptr;
};

// One line of the kept list: the seed, the rhythm and the start of the pattern.
QString KeptEntryText(const PhraseEntry& entry);

}  // namespace vlm::ui
