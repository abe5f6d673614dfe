#include "ui/desktop.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

#include "ui/main_window.h"
#include "ui/msg_view_window.h"
#include "ui/recent_files.h"
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
  AddRecentFiles();
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

// "Open Recent" follows the two Open entries. A settings file opens as
// "Open" opens it; any other file in a window of its own, as "Open MML File".
void Desktop::AddRecentFiles() {
  QAction* openMml = roll_->OpenMmlAction();
  QMenu* file = main_->MenuHolding(openMml->objectName());
  const QList<QAction*> entries = file->actions();
  const qsizetype at = entries.indexOf(openMml);
  QAction* next = at + 1 < entries.size() ? entries[at + 1] : nullptr;
  recent_ = new RecentFiles(file, next, [this](const QString& path) {
    if (path.endsWith(QStringLiteral(".vr3"), Qt::CaseInsensitive)) {
      Form.OpenFile(path.toStdString());
      RefreshAll();
    } else {
      roll_->OpenMmlWindow(path.toStdString());
    }
  });
  Form.SettingsFileUsed = [this](const std::string& name) { recent_->Add(QString::fromStdString(name)); };
  QObject::connect(roll_, &RollPane::MmlFileOpened, recent_, &RecentFiles::Add);
}

// While a phrase loops, its edits are looked at a few times a second, and
// the windows show a compile that follows one.
void Desktop::Start() {
  Form.FormCreate();
  RefreshAll();
  main_->show();
  auto* follow = new QTimer(main_.get());
  QObject::connect(follow, &QTimer::timeout, main_.get(), [this] {
    if (Form.FollowEditsInLoop()) RefreshAll();
  });
  follow->start(FollowEditsMilliseconds);
}

void Desktop::RefreshAll() {
  main_->Refresh();
  workshop_->Refresh();
  voice_->Refresh();
  roll_->Refresh();
}

}  // namespace vlm::ui
