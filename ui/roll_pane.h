#pragma once
// The piano roll in the main window: placed under the pages, shown by
// default and switched from the Tool menu; it shows the phrase of the last
// compile and links it with the pattern box both ways; while the phrase
// plays, the pattern box marks the text of the notes sounding. It also adds
// "File > Open MML", which opens a file in a window of its own.

#include <QObject>
#include <QPointer>
#include <QTextCursor>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "common/media_player.h"

class QAction;
class QMimeData;
class QPlainTextEdit;

namespace vlm::ui {

class MainWindow;
class PianoRollWidget;

class RollPane : public QObject {
  Q_OBJECT

 public:
  // The window, the model and the player (which may be null) must outlive the pane.
  RollPane(MainWindow& main, TForm1& form, const MediaPlayer* player);

  // Run after every user action: a new compile of a phrase shows it.
  void Refresh();
  PianoRollWidget* Roll() const { return roll_; }
  QAction* ShowAction() const { return show_; }
  // The entry "File > Open MML File...".
  QAction* OpenMmlAction() const { return openMml_; }
  // Opens the MML file in a window of its own.
  void OpenMmlWindow(const std::string& fileName);
  // Writes the phrase's whole MML source to the file, as "Save As MML"
  // does, and opens it in an MML window: the way from a drawn phrase to a
  // piece written by hand.
  void EditPhraseAsMml(const std::string& fileName);
  // The phrase shown, for another program: the address of a copy of its
  // MIDI file (for sequencers and file managers) and the file's bytes as
  // "audio/midi". Null, with the reason shown, when there is none to give.
  QMimeData* PhraseMimeData() const;

 signals:
  void MmlFileOpened(const QString& fileName);

 private:
  void Reload();
  std::optional<QTextCursor> NoteText(std::size_t note) const;
  void SelectNoteText(std::size_t note);
  void MarkSounding();
  void HighlightAtCaret();
  void OpenMmlFile();
  void AskEditPhraseAsMml();
  void DragPhrase();

  MainWindow& main_;
  TForm1& form_;
  PianoRollWidget* roll_;
  QPointer<QPlainTextEdit> pattern_;
  QAction* show_;
  QAction* openMml_;
  // What the roll shows, to see when a compile replaced it.
  std::vector<std::string> shownSource_;
  std::filesystem::file_time_type shownTime_{};
  std::string compiledPattern_;                 // the pattern the shown phrase was compiled from
  std::vector<SourceOrigin> patternOrigins_;    // each note's place in it: line 1, column offset + 1; line 0 none
};

}  // namespace vlm::ui
