#include "ui/voice_editor_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "ui/keyboard_scroll_bar.h"

namespace vlm::ui {

namespace {

// Switch captions of rows 1..10, then the two reset switches.  ORDER ROWS
const char* const kSwitchCaptions[] = {
    QT_TRANSLATE_NOOP("vlm::ui::VoiceEditorWindow", "Voice"),
    QT_TRANSLATE_NOOP("vlm::ui::VoiceEditorWindow", "Modulation"),
    QT_TRANSLATE_NOOP("vlm::ui::VoiceEditorWindow", "Vib Rate"),
    QT_TRANSLATE_NOOP("vlm::ui::VoiceEditorWindow", "Vib Depth"),
    QT_TRANSLATE_NOOP("vlm::ui::VoiceEditorWindow", "Vib Delay"),
    QT_TRANSLATE_NOOP("vlm::ui::VoiceEditorWindow", "Cutoff"),
    QT_TRANSLATE_NOOP("vlm::ui::VoiceEditorWindow", "Resonance"),
    QT_TRANSLATE_NOOP("vlm::ui::VoiceEditorWindow", "Attack"),
    QT_TRANSLATE_NOOP("vlm::ui::VoiceEditorWindow", "Decay"),
    QT_TRANSLATE_NOOP("vlm::ui::VoiceEditorWindow", "Release"),
    QT_TRANSLATE_NOOP("vlm::ui::VoiceEditorWindow", "GS-Reset"),
    QT_TRANSLATE_NOOP("vlm::ui::VoiceEditorWindow", "XG-Reset")};

QString Number(const char* prefix, int n) { return QString::fromLatin1(prefix) + QString::number(n); }

}  // namespace

VoiceEditorWindow::VoiceEditorWindow(TfrmVEdit& model, std::function<void()> changed, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(model), binder_(std::move(changed)), menu_(new QMenuBar(this)) {
  setObjectName(QStringLiteral("frmVEdit"));
  // The caption is the model's text, marked there.
  setWindowTitle(QCoreApplication::translate("Messages", model_.Caption.c_str()));

  auto* rows = new QGridLayout;
  rows->setColumnStretch(2, 1);
  for (int row = 1; row <= TfrmVEdit::RowCount; ++row) {
    auto* chk = new QCheckBox(tr(kSwitchCaptions[row - 1]));
    auto* box = new QLineEdit;
    auto* bar = new KeyboardScrollBar(Qt::Horizontal);
    auto* rnd = new QPushButton(tr("Rnd"));
    chk->setObjectName(Number("chk", row));
    box->setObjectName(Number("e", row));
    bar->setObjectName(Number("s", row));
    rnd->setObjectName(Number("r", row));
    box->installEventFilter(this);
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    bar->setMinimumWidth(160);
    rnd->setAutoDefault(false);
    // The row's switch names its value box, bar and Rnd button for a screen reader.
    const QString caption = chk->text().remove(QLatin1Char('&'));
    box->setAccessibleName(caption);
    bar->setAccessibleName(caption);
    rnd->setAccessibleName(rnd->text() + QStringLiteral(": ") + caption);
    rows->addWidget(chk, row - 1, 0);
    rows->addWidget(box, row - 1, 1);
    rows->addWidget(bar, row - 1, 2);
    rows->addWidget(rnd, row - 1, 3);
    switches_[static_cast<std::size_t>(row - 1)] = chk;
    boxes_[static_cast<std::size_t>(row - 1)] = box;
    bars_[static_cast<std::size_t>(row - 1)] = bar;
    randoms_[static_cast<std::size_t>(row - 1)] = rnd;

    binder_.Bind(chk, model_.Chk(row));
    binder_.Bind(box, model_.E(row));
    binder_.Bind(bar, model_.S(row));
    binder_.OnClick(rnd, [this, row] { model_.r1Click(row); });
  }

  auto* resets = new QHBoxLayout;
  for (int n = 11; n <= 12; ++n) {
    auto* chk = new QCheckBox(tr(kSwitchCaptions[n - 1]));
    chk->setObjectName(Number("chk", n));
    switches_[static_cast<std::size_t>(n - 1)] = chk;
    binder_.Bind(chk, model_.Chk(n));
    resets->addWidget(chk);
  }
  resets->addStretch();

  auto* groups = new QHBoxLayout;
  groups->addWidget(Button(tr("All"), QStringLiteral("btnAllRnd"), [this] { model_.btnAllRndClick(); }));
  groups->addWidget(Button(tr("Vib"), QStringLiteral("btnVibRnd"), [this] { model_.btnVibRndClick(); }));
  groups->addWidget(Button(tr("Filtr"), QStringLiteral("btnFilterRnd"), [this] { model_.btnFilterRndClick(); }));
  groups->addWidget(Button(tr("EG"), QStringLiteral("btnEGRnd"), [this] { model_.btnEGRndClick(); }));
  groups->addStretch();

  auto* commands = new QHBoxLayout;
  commands->addStretch();
  commands->addWidget(Button(tr("&Play"), QStringLiteral("btnPlay"), [this] { model_.btnPlayClick(); }));
  commands->addWidget(Button(tr("&Stop"), QStringLiteral("btnStop"), [this] { model_.btnStopClick(); }));
  commands->addWidget(Button(tr("&Ok"), QStringLiteral("btnOK"), [this] { model_.btnOKClick(); }));

  QMenu* check = menu_->addMenu(tr("&Check"));
  MenuEntry(check, tr("全てのチェックをつける(&A)"), QStringLiteral("AllCHeck1"), {}, [this] { model_.AllCHeck1Click(); });
  MenuEntry(check, tr("全てのチェックをはずす(&N)"), QStringLiteral("N1"), {}, [this] { model_.N1Click(); });
  QMenu* copy = menu_->addMenu(tr("C&opy"));
  MenuEntry(copy, tr("&Copy(MML for vlm)"), QStringLiteral("CopyToClipbrd1"),
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C), [this] { model_.CopyToClipbrd1Click(); });
  MenuEntry(copy, tr("Copy(MML for &TORAMI)"), QStringLiteral("CopyMMLforTORAMI1"),
            QKeySequence(Qt::CTRL | Qt::Key_C), [this] { model_.CopyMMLforTORAMI1Click(); });

  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menu_);
  layout->addLayout(rows);
  layout->addLayout(groups);
  layout->addLayout(resets);
  layout->addStretch();
  layout->addLayout(commands);
  Refresh();
}

QPushButton* VoiceEditorWindow::Button(const QString& caption, const QString& name, std::function<void()> handler) {
  auto* button = new QPushButton(caption);
  button->setObjectName(name);
  button->setAutoDefault(false);
  binder_.OnClick(button, std::move(handler));
  return button;
}

void VoiceEditorWindow::MenuEntry(QMenu* menu, const QString& caption, const QString& name, const QKeySequence& key,
                                  std::function<void()> handler) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  action->setShortcut(key);
  binder_.OnTrigger(action, std::move(handler));
}

void VoiceEditorWindow::Refresh() {
  binder_.Refresh();
  if (model_.Visible != isVisible()) {
    if (model_.Visible) {
      show();
      raise();
      activateWindow();
    } else {
      hide();
    }
  }
}

// The menu's keys win over the value boxes' own (Ctrl+C copies the
// foreign-dialect text even while a box has the focus).
bool VoiceEditorWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    for (const QAction* action : menu_->findChildren<QAction*>()) {
      if (!action->shortcut().isEmpty() && action->shortcut() == pressed) {
        event->ignore();
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

void VoiceEditorWindow::closeEvent(QCloseEvent* event) {
  model_.Visible = false;
  QWidget::closeEvent(event);
}

}  // namespace vlm::ui
