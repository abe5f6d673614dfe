#include "ui/msg_view_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/binder.h"
#include "ui/mml_highlighter.h"
#include "ui/text_pane_widget.h"
#include "ui/window_placement.h"

namespace vlm::ui {

namespace {
const QSize kStartSize(560, 420);  // where the screen has room
}  // namespace

MsgViewWindowQt::MsgViewWindowQt(TfrmMsg& model, QWidget* parent)
    : QWidget(parent, Qt::Window),
      model_(model),
      pages_(new QTabWidget(this)),
      richEdit1_(new TextPaneWidget(true)),
      reDebug_(new TextPaneWidget(false)) {
  setObjectName(QStringLiteral("frmMsg"));
  setWindowTitle(tr("Message View"));
  richEdit1_->setObjectName(QStringLiteral("RichEdit1"));
  reDebug_->setObjectName(QStringLiteral("reDebug"));
  new MmlHighlighter(reDebug_->document());
  pages_->setObjectName(QStringLiteral("PageControl1"));
  pages_->addTab(richEdit1_, tr("&Message"));
  pages_->addTab(reDebug_, tr("&Debug"));
  // Each pane is named by its tab, for a screen reader.
  for (int page = 0; page < pages_->count(); ++page)
    pages_->widget(page)->setAccessibleName(pages_->tabText(page).remove(QLatin1Char('&')));
  pages_->setCurrentIndex(model_.ActivePage == MsgPage::Message ? 0 : 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(pages_);
  resize(kStartSize);

  // The Debug pane's context menu and its keys. Find and Find Next work
  // wherever the focus is in this window (F3 here never reaches the main
  // window's F3); Copy copies the Debug pane's selection, so only there.
  reDebug_->setContextMenuPolicy(Qt::ActionsContextMenu);
  AddDebugAction(tr("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C), Qt::WidgetShortcut,
                 [this] { model_.Copy1Click(); });
  AddDebugAction(tr("&Find"), QKeySequence(Qt::CTRL | Qt::Key_F), Qt::WindowShortcut,
                 [this] { model_.Find1Click(); });
  AddDebugAction(tr("Find &Next"), QKeySequence(Qt::Key_F3), Qt::WindowShortcut,
                 [this] { model_.FindNext1Click(); });

  connect(pages_, &QTabWidget::currentChanged, this,
          [this](int index) { model_.ActivePage = index == 0 ? MsgPage::Message : MsgPage::Debug; });
  for (TextPaneWidget* pane : {richEdit1_, reDebug_}) {
    connect(pane, &TextPaneWidget::Pressed, this, [this] {
      RunGuarded([this] {
        StoreSelections();
        model_.RichEdit1MouseDown();
      });
    });
  }

  model_.SetWindow(this);
  PaneReplaced(MsgPage::Message);
  PaneReplaced(MsgPage::Debug);
}

// The tabs and panes die after this object's own part: keep their last
// signals from reaching it.
MsgViewWindowQt::~MsgViewWindowQt() {
  for (QObject* child : std::initializer_list<QObject*>{pages_, richEdit1_, reDebug_}) child->blockSignals(true);
  model_.SetWindow(nullptr);
}

QAction* MsgViewWindowQt::AddDebugAction(const QString& caption, const QKeySequence& key, Qt::ShortcutContext context,
                                         std::function<void()> handler) {
  auto* action = new QAction(caption, reDebug_);
  action->setShortcut(key);
  action->setShortcutContext(context);
  connect(action, &QAction::triggered, this, [this, handler = std::move(handler)] {
    RunGuarded([this, &handler] {
      StoreSelections();
      handler();
    });
  });
  reDebug_->addAction(action);
  if (context == Qt::WindowShortcut) addAction(action);
  return action;
}

TextPaneWidget* MsgViewWindowQt::Pane(MsgPage pane) const {
  return pane == MsgPage::Message ? richEdit1_ : reDebug_;
}

void MsgViewWindowQt::StoreSelections() {
  richEdit1_->StoreSelection(model_.RichEdit1);
  reDebug_->StoreSelection(model_.reDebug);
}

void MsgViewWindowQt::PaneReplaced(MsgPage pane) {
  const TextPane& model = pane == MsgPage::Message ? model_.RichEdit1 : model_.reDebug;
  Pane(pane)->ShowLines(model);
  Pane(pane)->ShowSelection(model);
}

void MsgViewWindowQt::MessageAppended(const std::string& line) {
  // The first line of an empty pane replaces the pane's one empty line.
  if (model_.RichEdit1.Lines.size() == 1) {
    PaneReplaced(MsgPage::Message);
    return;
  }
  richEdit1_->AppendLine(line);
}

void MsgViewWindowQt::SelectionMoved(MsgPage pane) {
  Pane(pane)->ShowSelection(pane == MsgPage::Message ? model_.RichEdit1 : model_.reDebug);
}

// The first time, the window opens beside the main window, wholly visible.
void MsgViewWindowQt::ShowWindow() {
  OpenBeside(this, anchor_, size());
  show();
  raise();
  activateWindow();
}

void MsgViewWindowQt::PageSelected(MsgPage page) { pages_->setCurrentIndex(page == MsgPage::Message ? 0 : 1); }

// The keys go where the pane is: its window becomes the active one too.
void MsgViewWindowQt::PaneFocused(MsgPage pane) {
  activateWindow();
  Pane(pane)->setFocus(Qt::OtherFocusReason);
}

void MsgViewWindowQt::closeEvent(QCloseEvent* event) {
  model_.Hide();
  QWidget::closeEvent(event);
}

}  // namespace vlm::ui
