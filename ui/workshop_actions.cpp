#include "ui/workshop_actions.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <cstdio>

#include "ui/history_pane.h"
#include "ui/workshop_texts.h"

namespace vlm::ui {

namespace text = workshop_text;

WorkshopActions::WorkshopActions(TForm1& form, QMainWindow& window, Platform& platform,
                                 std::function<void()> changed)
    : form_(form), window_(window), platform_(platform), binder_(std::move(changed)) {
  form_.History = &history_;
  QMenu* menu = window_.menuBar()->addMenu(WorkshopText(text::HistoryMenu));
  menu->setObjectName(QStringLiteral("HistoryMenu"));
  back_ = Action("HistoryBack", text::Back, QKeySequence(Qt::ALT | Qt::Key_Left), [this] { GoBack(); });
  forward_ = Action("HistoryForward", text::Forward, QKeySequence(Qt::ALT | Qt::Key_Right), [this] { GoForward(); });
  keep_ = Action("KeepPhrase", text::Keep, QKeySequence(Qt::CTRL | Qt::Key_D), [this] { ToggleKeep(); });
  restoreSettings_ = Action("RestoreSettings", text::RestoreSettings, {}, [this] { RestoreSettings(); });
  QAction* copy = Action("CopySeed", text::CopySeed, {}, [this] { CopySeed(); });
  lock_ = Action("LockSeed", text::LockSeed, {}, [this] { form_.LockSeed = lock_->isChecked(); });
  playOnMove_ = Action("PlayOnMove", text::PlayOnMove, {}, [] {});
  lock_->setCheckable(true);
  playOnMove_->setCheckable(true);
  keep_->setCheckable(true);
  back_->setIcon(window_.style()->standardIcon(QStyle::SP_ArrowBack));
  forward_->setIcon(window_.style()->standardIcon(QStyle::SP_ArrowForward));
  back_->setToolTip(WorkshopText(text::BackHint));
  forward_->setToolTip(WorkshopText(text::ForwardHint));
  keep_->setToolTip(WorkshopText(text::KeepHint));
  lock_->setToolTip(WorkshopText(text::LockSeedHint));
  keep_->setIconText(QStringLiteral("★"));  // the tool bar shows the star, the menu the word

  pane_ = new HistoryPane(form_, history_, platform_, binder_, [this](std::size_t index) {
    Restore(history_.GoTo(index));
  }, &window_);
  window_.addDockWidget(Qt::RightDockWidgetArea, pane_);
  pane_->setFloating(true);
  pane_->hide();
  QAction* showKept = pane_->toggleViewAction();
  showKept->setText(WorkshopText(text::KeptList));
  showKept->setObjectName(QStringLiteral("ShowKept"));

  menu->addActions({back_, forward_, playOnMove_});
  menu->addSeparator();
  menu->addActions({keep_, showKept, restoreSettings_});
  menu->addSeparator();
  menu->addActions({lock_, copy});

  QToolBar* bar = window_.addToolBar(QStringLiteral("WorkshopBar"));
  bar->setObjectName(QStringLiteral("WorkshopBar"));
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->addActions({back_, forward_, keep_, lock_});

  seed_ = new QPushButton;
  seed_->setObjectName(QStringLiteral("SeedLabel"));
  seed_->setFlat(true);
  seed_->setToolTip(WorkshopText(text::SeedCopyHint));
  seed_->setFocusPolicy(Qt::NoFocus);
  binder_.OnClick(seed_, [this] { CopySeed(); });
  window_.statusBar()->addPermanentWidget(seed_);
}

WorkshopActions::~WorkshopActions() { form_.History = nullptr; }

QAction* WorkshopActions::Action(const char* name, const char* caption, const QKeySequence& key,
                                 std::function<void()> handler) {
  auto* action = new QAction(WorkshopText(caption), &window_);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(key);
  action->setShortcutContext(Qt::WindowShortcut);
  binder_.OnTrigger(action, std::move(handler));
  return action;
}

void WorkshopActions::OpenHistory(const std::string& fileName) {
  history_ = PhraseHistory(fileName);
  const auto warnings = history_.Load();
  for (const auto& warning : warnings) std::fprintf(stderr, "vorlumi3: %s\n", warning.c_str());
  if (!warnings.empty()) platform_.ShowStatus(warnings.front());
  Refresh();
}

// The one place that derives the workshop's enabled states and the seed text
// from the models.
void WorkshopActions::Refresh() {
  back_->setEnabled(history_.CanGoBack());
  forward_->setEnabled(history_.CanGoForward());
  const auto current = history_.Current();
  keep_->setEnabled(current.has_value());
  keep_->setChecked(current && history_.Entries()[*current].Kept);
  restoreSettings_->setEnabled(current && !history_.Entries()[*current].Settings.empty());
  lock_->setChecked(form_.LockSeed);
  QString shown = form_.DrawSeed ? WorkshopText(text::SeedLabel).arg(*form_.DrawSeed) : WorkshopText(text::SeedNone);
  if (form_.CompileBase.Seed && form_.CompileBase.Seed != form_.DrawSeed)
    shown += WorkshopText(text::CompileSeedLabel).arg(*form_.CompileBase.Seed);
  seed_->setText(shown);
  pane_->Refresh();
}

void WorkshopActions::Restore(const PhraseEntry* entry) {
  if (entry) form_.RestoreEntry(*entry, playOnMove_->isChecked());
}

void WorkshopActions::GoBack() { Restore(history_.GoBack()); }

void WorkshopActions::GoForward() { Restore(history_.GoForward()); }

void WorkshopActions::ToggleKeep() {
  const auto current = history_.Current();
  if (!current) return;
  if (const auto failure = history_.SetKept(*current, !history_.Entries()[*current].Kept))
    platform_.ShowError(*failure);
}

void WorkshopActions::RestoreSettings() {
  if (const auto current = history_.Current()) form_.RestoreEntrySettings(history_.Entries()[*current]);
}

// The draw seed when there is one (it gives the whole phrase), else the
// compile seed.
void WorkshopActions::CopySeed() {
  if (form_.DrawSeed)
    platform_.SetClipboardText(std::to_string(*form_.DrawSeed));
  else if (form_.CompileBase.Seed)
    platform_.SetClipboardText(std::to_string(*form_.CompileBase.Seed));
}

}  // namespace vlm::ui
