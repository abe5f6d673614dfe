#pragma once
// "File > Open MML": any .vlm file's text in an editable source pane beside
// its piano roll, one colour a track, with its errors listed below. The
// source is compiled again on demand; a click on a note or on an error
// selects its place in the text through the compile's source map, and
// moving the caret highlights the notes the text under it made. The text
// shows its line numbers and its errors underlined. Ctrl+P plays the text as
// it stands, with a playhead on the roll and the text of the notes sounding
// marked; Esc stops. While that play loops, an edit sounds from the next
// pass once the typing pauses. Edits are
// saved with Ctrl+S and never dropped unasked on closing; while they are not
// saved they are kept aside every few seconds, and a crash's are offered back
// at the next opening. A change another program (an editor) makes to the
// file is loaded and compiled at once.

#include <QFileSystemWatcher>
#include <QTextCursor>
#include <QTimer>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "app/edit_backup.h"
#include "common/media_player.h"
#include "compiler/mml_compiler.h"
#include "ui/source_editor.h"

class QListWidget;
class QPlainTextEdit;

namespace vlm::ui {

class PianoRollWidget;

class MmlRollWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int BackupDelayMs = 2000;  // the most edits a crash can take
  static constexpr int FollowDelayMs = 600;   // a pause in typing that a looping play follows
  // The player plays the text (null: no sound); it must outlive the window.
  explicit MmlRollWindow(MediaPlayer* player = nullptr, QWidget* parent = nullptr);

  // Reads and compiles the file; a file that cannot be read is reported in the error list.
  void OpenFile(const std::string& fileName);
  // Compiles the text as the source pane holds it.
  void Recompile();
  // Writes the source pane's text to the file (whole or not at all), with
  // the file's own line ends; false, with the reason shown, when it fails.
  bool Save();
  // Compiles the text and plays it from a private copy of the MIDI file, so
  // that no file of the user's is written over; a player that cannot open
  // it says why in a message box.
  void Play();
  // Plays from the first note the text at the caret made (the whole text
  // when the caret is on no note's text), as Play does.
  void PlayFromCaret();
  void Stop();
  // Selects the next place of text after the caret (before it, backwards),
  // going round the end; false, with the caret where it was, when the text
  // holds none.
  bool FindText(const QString& text, bool backwards = false);
  // Puts the caret at the start of line (from 1, clamped to the text).
  void GoToLine(int line);

  QPlainTextEdit* Source() const { return source_; }
  PianoRollWidget* Roll() const { return roll_; }
  QListWidget* Errors() const { return errors_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Load(const std::string& text);
  void OfferKeptEdits();
  void KeepEdits();
  void FileChanged();
  void Watch();
  // A cursor over the command at origin; none outside this text.
  std::optional<QTextCursor> CursorAt(const SourceOrigin& origin) const;
  void SelectOrigin(const SourceOrigin& origin);
  void MarkErrors();
  void MarkSounding();
  void ErrorChosen(int row);
  void HighlightAtCaret();
  // The caret's place as an origin in this text: between characters, so
  // column K+1 stands after the K-th character.
  SourceOrigin CaretOrigin() const;
  void PlayFrom(double seconds);
  void FollowEditsInLoop();
  void AskFind();
  void FindAgain(bool backwards);
  void AskLine();

  SourceEditor* source_;
  PianoRollWidget* roll_;
  QListWidget* errors_;
  MediaPlayer* player_;
  std::string fileName_;
  std::string midi_;      // the MIDI file of the last compile; empty when it failed
  bool loaded_ = false;   // the file was read (or made here): saving may replace it
  std::string onDisk_;    // the file's bytes as last read or written here
  bool crLf_ = false;     // the file ends its lines with CR LF
  QFileSystemWatcher watcher_;
  EditBackup backup_{"", ""};
  QTimer backupTimer_;    // runs from an edit until the edits are kept aside
  QTimer followTimer_;    // runs from each edit until the typing pauses
  bool compiledClean_ = false;  // the last compile reported no error
  std::vector<SourceOrigin> errorOrigins_;  // the place of each row of errors_; line 0 for none
  QString sought_;        // what Ctrl+F asked for last, for F3
};

}  // namespace vlm::ui
