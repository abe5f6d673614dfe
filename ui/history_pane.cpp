#include "ui/history_pane.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/kept_export.h"
#include "ui/workshop_texts.h"

namespace vlm::ui {

namespace text = workshop_text;

namespace {

// A pattern may run to thousands of characters: the list shows its start.
constexpr int kShownPattern = 48;

}  // namespace

QString KeptEntryText(const PhraseEntry& entry) {
  const QString seed = entry.Seed ? QString::number(*entry.Seed) : WorkshopText(text::NoSeed);
  QString pattern = QString::fromStdString(entry.Pattern);
  if (pattern.size() > kShownPattern) pattern = pattern.left(kShownPattern) + QStringLiteral("…");
  const QString shown = QStringLiteral("%1  %2  %3").arg(seed, QString::fromStdString(entry.Rhythm), pattern);
  const QString star = entry.Kept ? QStringLiteral("★ ") : QStringLiteral("☆ ");
  return entry.Label.empty() ? star + shown : star + QString::fromStdString(entry.Label) + QStringLiteral("  ") + shown;
}

HistoryPane::HistoryPane(TForm1& form, PhraseHistory& history, Platform& platform, Binder& binder,
                         std::function<void(std::size_t)> restore, QWidget* parent)
    : QDockWidget(WorkshopText(text::KeptTitle), parent),
      form_(form),
      history_(history),
      platform_(platform),
      list_(new KeptList([this](std::size_t index) { return DragOut(index); })),
      showAll_(new QCheckBox(WorkshopText(text::ShowAllHistory))) {
  setObjectName(QStringLiteral("KeptDock"));
  list_->setObjectName(QStringLiteral("lstKept"));
  list_->setToolTip(WorkshopText(text::KeptListHint));
  list_->setAccessibleName(windowTitle());  // what a screen reader calls the list
  auto* body = new QWidget;
  auto* layout = new QVBoxLayout(body);
  showAll_->setObjectName(QStringLiteral("chkShowAllHistory"));
  connect(showAll_, &QCheckBox::toggled, this, &HistoryPane::Refresh);
  layout->addWidget(showAll_);
  layout->addWidget(list_);
  auto* buttons = new QHBoxLayout;
  const auto button = [&](const char* name, const char* caption, std::function<void()> handler) {
    auto* b = new QPushButton(WorkshopText(caption));
    b->setObjectName(QString::fromLatin1(name));
    binder.OnClick(b, std::move(handler));
    buttons->addWidget(b);
    return b;
  };
  button("btnKeptRestore", text::KeptRestore, [this, restore] {
    if (const auto index = Selected()) restore(*index);
  });
  button("btnKeptToSlot", text::KeptToSlot, [this] { ToSlot(); })->setToolTip(WorkshopText(text::KeptToSlotHint));
  QPushButton* name = button("btnKeptName", text::KeptName, [this] { AskName(); });
  name->setToolTip(WorkshopText(text::KeptNameHint));
  list_->OnF2([name] { name->click(); });
  button("btnKeptMidi", text::KeptMidi, [this] { SaveMidi(); });
  button("btnKeptMml", text::KeptMml, [this] { SaveMml(); });
  keep_ = button("btnKeptUnkeep", text::KeptUnkeep, [this] { ToggleKeep(); });
  connect(list_, &QListWidget::currentRowChanged, this, &HistoryPane::ShowKeepButton);
  button("btnKeptExportAll", text::KeptExportAll, [this] {
    const QString folder = QFileDialog::getExistingDirectory(this, WorkshopText(text::KeptExportFolder));
    if (!folder.isEmpty()) ExportAll(folder.toStdString());
  })->setToolTip(WorkshopText(text::KeptExportAllHint));
  layout->addLayout(buttons);
  setWidget(body);
  connect(list_, &QListWidget::itemDoubleClicked, this, [this, restore, &binder] {
    if (const auto index = Selected()) binder.Run([&] { restore(*index); });
  });
}

// Rebuilt whole: the list holds at most the history, and indexes into it
// move when old entries age out. The kept entries come oldest first, as they
// were kept; the whole history newest first, where a phrase heard a moment
// ago is found.
void HistoryPane::Refresh() {
  const int row = list_->currentRow();
  list_->clear();
  std::vector<std::size_t> shown = history_.KeptIndexes();
  if (showAll_->isChecked()) {
    shown.clear();
    for (std::size_t index = history_.Entries().size(); index-- > 0;) shown.push_back(index);
  }
  for (const std::size_t index : shown) {
    auto* item = new QListWidgetItem(KeptEntryText(history_.Entries()[index]));
    item->setData(Qt::UserRole, static_cast<qulonglong>(index));
    list_->addItem(item);
  }
  if (list_->count() > 0) list_->setCurrentRow(std::clamp(row, 0, list_->count() - 1));
  ShowKeepButton();
}

// The button keeps a phrase not kept, and lets a kept one go.
void HistoryPane::ShowKeepButton() {
  const auto index = Selected();
  const bool kept = !index || history_.Entries()[*index].Kept;
  keep_->setText(WorkshopText(kept ? text::KeptUnkeep : text::Keep));
}

std::optional<std::size_t> HistoryPane::Selected() const {
  const QListWidgetItem* item = list_->currentItem();
  if (!item) return std::nullopt;
  const auto index = static_cast<std::size_t>(item->data(Qt::UserRole).toULongLong());
  if (index >= history_.Entries().size()) return std::nullopt;
  return index;
}

void HistoryPane::ToSlot() {
  if (const auto index = Selected()) form_.EntryToSlot(history_.Entries()[*index]);
}

void HistoryPane::SaveMidi() {
  const auto index = Selected();
  if (!index) return;
  if (const auto name = platform_.SaveFileName({"mid", "smf|*.mid|all|*.*"}))
    form_.ExportEntry(history_.Entries()[*index], *name, false);
}

void HistoryPane::SaveMml() {
  const auto index = Selected();
  if (!index) return;
  if (const auto name = platform_.SaveFileName({"vlm", "(*.vlm)|*.vlm|(*.*)|*.*"}))
    form_.ExportEntry(history_.Entries()[*index], *name, true);
}

void HistoryPane::ExportAll(const std::string& folder) {
  std::vector<PhraseEntry> kept;
  for (const std::size_t index : history_.KeptIndexes()) kept.push_back(history_.Entries()[index]);
  const KeptExport written = ExportKeptPhrases(form_, kept, folder);
  platform_.ShowStatus(WorkshopText(text::KeptExported)
                           .arg(written.Written)
                           .arg(QString::fromStdString(folder))
                           .toStdString());
}

HandedPhrase HistoryPane::DragOut(std::size_t index) {
  if (index >= history_.Entries().size()) return {};
  HandedPhrase phrase = HandOverKeptPhrase(form_, history_.Entries()[index], HandOverFolder());
  if (!phrase.Failure.empty()) platform_.ShowError(phrase.Failure);
  return phrase;
}

void HistoryPane::AskName() {
  const auto index = Selected();
  if (!index) return;
  bool ok = false;
  const QString name =
      QInputDialog::getText(this, WorkshopText(text::KeptTitle), WorkshopText(text::KeptNamePrompt), QLineEdit::Normal,
                            QString::fromStdString(history_.Entries()[*index].Label), &ok);
  if (ok) SetName(*index, name.trimmed().toStdString());
}

// A phrase worth a name is worth keeping: naming one that is not kept keeps it.
void HistoryPane::SetName(std::size_t index, const std::string& name) {
  auto failure = history_.SetLabel(index, name);
  if (!failure && !name.empty() && !history_.Entries()[index].Kept) failure = history_.SetKept(index, true);
  if (failure) platform_.ShowError(*failure);
}

void HistoryPane::ToggleKeep() {
  if (const auto index = Selected())
    if (const auto failure = history_.SetKept(*index, !history_.Entries()[*index].Kept)) platform_.ShowError(*failure);
}

}  // namespace vlm::ui
