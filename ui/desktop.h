#pragma once
// The three windows of the program over their models, wired together: the
// main window's model, the voice editor's (inside it) and the message view's.
// The program makes one Desktop; tests make one with fake services.

#include <memory>

#include "app/main_form.h"
#include "common/media_player.h"
#include "common/platform.h"
#include "msgview/msg_view.h"

namespace vlm::ui {

class MainWindow;
class VoiceEditorWindow;
class MsgViewWindowQt;
class WorkshopActions;
class RollPane;
class RecentFiles;

class Desktop {
 public:
  // The services must outlive the desktop; `player` may be null (nothing sounds).
  Desktop(Platform& platform, MediaPlayer* player);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // Runs the main window's start-up and shows it, and from then on lets a
  // looping phrase follow its edits (TForm1::FollowEditsInLoop) every
  // FollowEditsMilliseconds.
  void Start();
  static constexpr int FollowEditsMilliseconds = 400;
  // Shows the models again in every window.
  void RefreshAll();

  TfrmMsg Messages;  // the message view's model; made before Form, which keeps it
  TForm1 Form;       // the main window's model, with the voice editor's

  MainWindow& Main() const { return *main_; }
  VoiceEditorWindow& VoiceEditor() const { return *voice_; }
  MsgViewWindowQt& MessageView() const { return *messageView_; }
  WorkshopActions& Workshop() const { return *workshop_; }
  RollPane& Roll() const { return *roll_; }
  RecentFiles& Recent() const { return *recent_; }

 private:
  void AddRecentFiles();

  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<VoiceEditorWindow> voice_;
  std::unique_ptr<MsgViewWindowQt> messageView_;
  std::unique_ptr<WorkshopActions> workshop_;  // history, kept phrases and seeds in the main window
  RollPane* roll_;  // owned by the main window
  RecentFiles* recent_;  // owned by the File menu
};

}  // namespace vlm::ui
