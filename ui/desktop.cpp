#include "ui/desktop.h"

#include "ui/main_window.h"
#include "ui/msg_view_window.h"
#include "ui/roll_pane.h"
#include "ui/voice_editor_window.h"
#include "ui/workshop_actions.h"
#include "ui/window_placement.h"

namespace vlm::ui {

Desktop::Desktop(Platform& platform, MediaPlayer* player)
    : Messages(platform), Form(platform, Messages, player) {
  const auto refresh = [this] { RefreshAll(); };
  // The main window first, then the voice editor, then the message view.
  main_ = std::make_unique<MainWindow>(Form, Messages, platform, refresh);
  workshop_ = std::make_unique<WorkshopActions>(Form, *main_, platform, refresh);
  voice_ = std::make_unique<VoiceEditorWindow>(Form.Voice, refresh);
  messageView_ = std::make_unique<MsgViewWindowQt>(Messages);
  roll_ = new RollPane(*main_, Form, player);
  messageView_->SetAnchor(main_.get());
  QObject::connect(main_.get(), &MainWindow::VoiceEditorRaised, voice_.get(), [this] {
    // The first time, the editor opens beside the main window, wholly visible.
    OpenBeside(voice_.get(), main_.get(), voice_->sizeHint());
    RefreshAll();
    voice_->raise();
    voice_->activateWindow();
  });
}

Desktop::~Desktop() = default;

void Desktop::Start() {
  Form.FormCreate();
  RefreshAll();
  main_->show();
}

void Desktop::RefreshAll() {
  main_->Refresh();
  workshop_->Refresh();
  voice_->Refresh();
  roll_->Refresh();
}

}  // namespace vlm::ui
