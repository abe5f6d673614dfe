#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "common/app_path.h"
#include "ui/configuration.h"
#include "ui/output_menu.h"
#include "ui/play_status.h"
#include "ui/window_texts.h"

namespace vlm::ui {

namespace {

// The play commands: a menu entry and its tool button form one group.
enum PlayGroup { kMakePlayGroup, kMakePatternGroup, kCompilePlayGroup, kSongGroup, kPlayOnlyGroup };

// Shows `key` beside a menu caption without binding it: the key belongs to
// another entry.
QString WithShownKey(const QString& caption, const QKeySequence& key) {
  return caption + QLatin1Char('\t') + key.toString(QKeySequence::NativeText);
}

// The file a drop from another program brings: its first local file. A drag
// from our own windows (the piano roll's phrase) brings none.
QString DroppedFile(const QDropEvent& event) {
  if (event.source() || !event.mimeData()->hasUrls()) return {};
  for (const QUrl& url : event.mimeData()->urls())
    if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) return url.toLocalFile();
  return {};
}

}  // namespace

std::string VersionText() {
  return "Vorlumi3\r\r1999/12/14 ... ver.1.520\r\rVorlumi3 for Linux (Qt 6, FluidSynth)\rby the Vorlumi3 developers";
}

MainWindow::MainWindow(TForm1& form, TfrmMsg& messages, Platform& platform, std::function<void()> changed,
                       QWidget* parent)
    : QMainWindow(parent),
      form_(form),
      messages_(messages),
      platform_(platform),
      binder_(std::move(changed)),
      pages_(new QTabWidget),
      playStatus_(new PlayStatus([&form] { return form.Player(); }, statusBar(), this)) {
  setObjectName(QStringLiteral("Form1"));
  setAcceptDrops(true);
  setWindowTitle(QString::fromStdString(form_.Title.empty() ? std::string("Vorlumi3") : form_.Title));

  BuildMenus();
  BuildToolBar();
  pages_->setObjectName(QStringLiteral("PageControl1"));
  QWidget* scale = ScalePage();
  QWidget* rythm = RythmPage();
  QWidget* basic = BasicPage();
  QWidget* song = SongPage();
  scale->setObjectName(QStringLiteral("ScaleTab"));
  rythm->setObjectName(QStringLiteral("RythmTab"));
  basic->setObjectName(QStringLiteral("BasicTab"));
  song->setObjectName(QStringLiteral("SongTab"));
  pages_->addTab(scale, tr("Scale"));
  pages_->addTab(rythm, tr("Rythm"));
  pages_->addTab(basic, tr("Basic"));
  pages_->addTab(song, tr("Song"));
  pages_->setCurrentWidget(rythm);

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(pages_);
  setCentralWidget(central);
  binder_.OnRefresh([this] { playStatus_->Update(); });
  Refresh();
  FitToPages();
}

// The window opens at the size its pages ask for, may grow (maximised too,
// the pages taking the space), and never shrinks below that size.
void MainWindow::FitToPages() {
  const QSize start = sizeHint();
  setMinimumSize(start);
  resize(start);
}

QAction* MainWindow::Entry(QMenu* menu, const QString& caption, const QString& name, const QKeySequence& key,
                           std::function<void()> handler) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  action->setShortcut(key);
  action->setShortcutContext(Qt::WindowShortcut);
  binder_.OnTrigger(action, std::move(handler));
  return action;
}

void MainWindow::BuildMenus() {
  TForm1& f = form_;
  QMenu* file = menuBar()->addMenu(tr("&File"));
  Entry(file, tr("&Open"), QStringLiteral("Open1"), {}, [&f] { f.Open1Click(); });
  Entry(file, tr("&Save"), QStringLiteral("Save1"), {}, [&f] { f.Save1Click(); });
  QAction* undoOpen = Entry(file, WindowText(kUndoOpenCaption), QStringLiteral("UndoOpen1"), {},
                            [&f] { f.UndoOpen1Click(); });
  undoOpen->setStatusTip(WindowText(kUndoOpenHint));
  binder_.OnRefresh([undoOpen, &f] { undoOpen->setEnabled(f.CanUndoOpen()); });
  file->addSeparator();
  Entry(file, tr("Save As S&MF"), QStringLiteral("SaveSMF1"), QKeySequence(Qt::CTRL | Qt::Key_S),
        [&f] { f.SaveSMF1Click(); });
  QAction* saveWav =
      Entry(file, tr("Save As &WAV"), QStringLiteral("SaveAsWav1"), {}, [&f] { f.SaveAsWav1Click(); });
  binder_.OnRefresh([saveWav, &f] { saveWav->setEnabled(static_cast<bool>(f.RenderWav)); });
  Entry(file, tr("Save As MM&L(vlm)"), QStringLiteral("SaveAsMML1"), {}, [&f] { f.SaveAsMML1Click(); });
  Entry(file, tr("Save As MML(TORAMI)"), QStringLiteral("SaveAsMMLTORAMI1"), {},
        [&f] { f.SaveAsMMLTORAMI1Click(); });
  file->addSeparator();
  Entry(file, tr("&Close"), QStringLiteral("Close1"), {}, [this] { Close1Click(); });
  // Ctrl+Q quits from any of the program's windows, as on every Linux
  // desktop; the menu entry keeps its own caption without a key.
  auto* quit = new QAction(this);
  quit->setObjectName(QStringLiteral("Quit1"));
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  quit->setShortcutContext(Qt::ApplicationShortcut);
  connect(quit, &QAction::triggered, this, &QWidget::close);
  addAction(quit);

  QMenu* play = menuBar()->addMenu(tr("&Play"));
  // Ctrl+S belongs to "Save As S&MF", the first entry holding it; "&Stop" only shows it.
  playStatus_->AddStopControl(Entry(play, WithShownKey(tr("&Stop"), QKeySequence(Qt::CTRL | Qt::Key_S)),
                                     QStringLiteral("Stop1"), {}, [&f] { f.Stop1Click(); }));
  play->addSeparator();
  playStatus_->AddPlayControl(Entry(play, tr("&Play (Make R+P)"), QStringLiteral("MakePlay1"),
                                    QKeySequence(Qt::Key_F5), [&f] { f.MakePlay1Click(); }),
                              kMakePlayGroup);
  playStatus_->AddPlayControl(Entry(play, tr("Play (Make P)"), QStringLiteral("PlayMakeP1"),
                                    QKeySequence(Qt::Key_F3), [&f] { f.PlayMakeP1Click(); }),
                              kMakePatternGroup);
  playStatus_->AddPlayControl(Entry(play, tr("Play (&Compile)"), QStringLiteral("CompilePlay1"),
                                    QKeySequence(Qt::CTRL | Qt::Key_P), [&f] { f.CompilePlay1Click(); }),
                              kCompilePlayGroup);
  play->addSeparator();
  playStatus_->AddPlayControl(Entry(play, tr("Play (Son&g)"), QStringLiteral("PlaySong1"),
                                    QKeySequence(Qt::Key_F6), [&f] { f.PlaySong1Click(); }),
                              kSongGroup);
  AddLoopEntry(play);
  play->addSeparator();
  Entry(play, tr("Make Rythm"), QStringLiteral("MakeRythm1"), {}, [&f] { f.MakeRythm1Click(); });
  Entry(play, tr("Make Pattern"), QStringLiteral("MakePattern1"), {}, [&f] { f.MakePattern1Click(); });
  Entry(play, tr("Compile"), QStringLiteral("Compile1"), {}, [&f] { f.Compile1Click(); });
  playStatus_->AddPlayControl(
      Entry(play, tr("Play (Only)"), QStringLiteral("Play2"), {}, [&f] { f.Play2Click(); }), kPlayOnlyGroup);

  QMenu* tool = menuBar()->addMenu(tr("&Tool"));
  Entry(tool, tr("&Voice Edeiter"), QStringLiteral("VoiceEdeiter1"), QKeySequence(Qt::Key_F4),
        [this] { VoiceEdeiter1Click(); });
  Entry(tool, tr("&Message View"), QStringLiteral("MessageView1"), QKeySequence(Qt::Key_F10),
        [this] { MessageView1Click(); });

  new OutputMenu(menuBar(), platform_);

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  Entry(help, tr("&Help"), QStringLiteral("Help2"), QKeySequence(Qt::Key_F1), [this] { Help2Click(); });
  Entry(help, tr("&Version Info."), QStringLiteral("VerInfo1"), {}, [this] { VerInfo1Click(); });
}

// "Loop" plays every phrase, song and MML file over and over until stopped.
// It belongs to the machine, not to a settings file, so it is kept in the
// program's configuration and comes back at the next start.
void MainWindow::AddLoopEntry(QMenu* play) {
  const QString key = QStringLiteral("play/loop");
  QAction* loop = play->addAction(tr("&Loop"));
  loop_ = loop;
  loop->setObjectName(QStringLiteral("LoopPlay1"));
  loop->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
  loop->setToolTip(tr("止めるまで繰り返し演奏します (Ctrl+L)。"));
  loop->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  loop->setShortcutContext(Qt::WindowShortcut);
  loop->setCheckable(true);
  loop->setChecked(Configuration().value(key, false).toBool());
  const auto apply = [this, key](bool on) {
    if (MediaPlayer* player = form_.Player()) player->SetLooping(on);
    Configuration().setValue(key, on);
  };
  apply(loop->isChecked());
  connect(loop, &QAction::toggled, this, apply);
}

void MainWindow::BuildToolBar() {
  QToolBar* bar = addToolBar(QStringLiteral("ToolBar1"));
  bar->setObjectName(QStringLiteral("ToolBar1"));
  bar->setMovable(false);
  bar->setFloatable(false);
  TForm1& f = form_;
  const auto button = [this, bar](const QString& name, QStyle::StandardPixmap icon, const QString& hint,
                                  std::function<void()> handler) {
    QAction* action = bar->addAction(style()->standardIcon(icon), hint);
    action->setObjectName(name);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    binder_.OnTrigger(action, std::move(handler));
    return action;
  };
  bar->addSeparator();
  playStatus_->AddPlayControl(button(QStringLiteral("ToolButton2"), QStyle::SP_MediaPlay,
                                     tr("新しいパターンを作成し演奏します。"), [&f] { f.MakePlay1Click(); }),
                              kMakePlayGroup);
  playStatus_->AddPlayControl(button(QStringLiteral("ToolButton3"), QStyle::SP_MediaSeekForward,
                                     tr("リズムはそのままで、音程違いのパターンを作ります。"),
                                     [&f] { f.PlayMakeP1Click(); }),
                              kMakePatternGroup);
  playStatus_->AddPlayControl(button(QStringLiteral("ToolButton4"), QStyle::SP_MediaSkipForward,
                                     tr("新しいパターンを作らないで、待機中のパターンを演奏します。"),
                                     [&f] { f.CompilePlay1Click(); }),
                              kCompilePlayGroup);
  bar->addSeparator();
  playStatus_->AddStopControl(button(QStringLiteral("ToolButton6"), QStyle::SP_MediaStop,
                                     tr("演奏を止めます。"), [&f] { f.Stop1Click(); }));
  bar->addAction(loop_);  // the Play menu's Loop, checked alike in both places
  bar->addSeparator();
  playStatus_->AddPlayControl(button(QStringLiteral("ToolButton8"), QStyle::SP_FileDialogListView,
                                     tr("ソングパターンに登録されているパターンを演奏します。"),
                                     [&f] { f.PlaySong1Click(); }),
                              kSongGroup);
}

void MainWindow::Refresh() { binder_.Refresh(); }

void MainWindow::VoiceEdeiter1Click() {
  form_.Voice.Visible = true;
  emit VoiceEditorRaised();
}

void MainWindow::MessageView1Click() {
  messages_.SetDebugLines(form_.CompiledLines);
  messages_.ShowView();
}

void MainWindow::Help2Click() { platform_.ShowHelp(DataPath() + "vorlumi3.hlp"); }

void MainWindow::VerInfo1Click() { platform_.ShowMessageCaption(tr("Version Info.").toStdString(), VersionText()); }

void MainWindow::Close1Click() { close(); }

// Closing the main window ends the program; the other windows go with it.
void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFile(*event).isEmpty()) event->acceptProposedAction();
}

// A file dropped on the window opens as one named on the command line: a
// settings file is loaded, any other file is compiled as an MML source.
void MainWindow::dropEvent(QDropEvent* event) {
  const QString file = DroppedFile(*event);
  if (file.isEmpty()) return;
  event->acceptProposedAction();
  binder_.Run([this, path = file.toStdString()] { form_.OpenFile(path); });
}

// The program ends with its main window. The other windows close first, so
// that one with work of its own (an MML window's unsaved edits) can ask;
// when it is kept open, the program goes on.
void MainWindow::closeEvent(QCloseEvent* event) {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window != this && window->isVisible() && !window->close()) {
      event->ignore();
      return;
    }
  }
  QMainWindow::closeEvent(event);
  if (event->isAccepted()) QApplication::quit();
}

QMenu* MainWindow::MenuHolding(const QString& actionName) const {
  for (QAction* top : menuBar()->actions())
    if (QMenu* menu = top->menu())
      for (QAction* entry : menu->actions())
        if (entry->objectName() == actionName) return menu;
  return nullptr;
}

}  // namespace vlm::ui
