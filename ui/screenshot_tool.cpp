// vorlumi3_screenshots DIR: renders each window of the program to a PNG in
// DIR, with a generated phrase and one compile error shown, in the language
// of the locale (LANG, LC_ALL, LC_MESSAGES) as the program itself would. Runs on any Qt
// platform (Xvfb or offscreen); plays nothing and opens no dialog.
#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextBlock>
#include <cstdio>

#include "ui/app_icon.h"
#include "ui/desktop.h"
#include "ui/history_pane.h"
#include "ui/main_window.h"
#include "ui/mml_roll_window.h"
#include "ui/msg_view_window.h"
#include "ui/qt_platform.h"
#include "ui/text_pane_widget.h"
#include "ui/translation.h"
#include "ui/voice_editor_window.h"
#include "ui/workshop_actions.h"

namespace {

bool Save(QWidget& window, const QDir& dir, const char* name) {
  QApplication::processEvents();
  const QString path = dir.filePath(QString::fromLatin1(name));
  if (window.grab().save(path)) {
    std::printf("%s\n", path.toLocal8Bit().constData());
    return true;
  }
  std::fprintf(stderr, "vorlumi3_screenshots: cannot write %s\n", path.toLocal8Bit().constData());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: vorlumi3_screenshots DIR\n");
    return 2;
  }
  // Absolute: the program's start-up changes the current directory.
  const QDir dir(QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1])));
  if (!QDir().mkpath(dir.path())) {
    std::fprintf(stderr, "vorlumi3_screenshots: cannot make %s\n", argv[1]);
    return 2;
  }
  const QString demo = QDir::current().absoluteFilePath(QStringLiteral("examples/demo.vlm"));
  QApplication::setWindowIcon(vlm::ui::AppIcon());
  const std::unique_ptr<QTranslator> translation = vlm::ui::InstallTranslation();
  vlm::ui::QtPlatform platform;
  vlm::ui::Desktop desktop(platform, nullptr);
  desktop.Start();
  vlm::ui::MainWindow& main = desktop.Main();
  desktop.Form.PlaySeeded(20240101, true);  // the same phrase on every run
  desktop.Workshop().ToggleKeep();           // the tool bar shows a kept phrase
  desktop.RefreshAll();
  bool ok = true;
  const char* const pages[] = {"main_scale.png", "main_rythm.png", "main_basic.png", "main_song.png"};
  for (int page = 0; page < 4; ++page) {
    main.Pages()->setCurrentIndex(page);
    ok = Save(main, dir, pages[page]) && ok;
  }
  main.Pages()->setCurrentIndex(1);

  for (int row : {2, 3, 4, 6}) desktop.Form.Voice.Chk(row) = true;
  desktop.Form.Rng.Seed = 20240102;  // the same voice parameters on every run
  desktop.Form.Voice.btnAllRndClick();
  main.VoiceEdeiter1Click();
  desktop.RefreshAll();
  ok = Save(desktop.VoiceEditor(), dir, "voice_editor.png") && ok;

  // One stray "}" in the pattern: the compile reports it and opens the view.
  desktop.Form.memPatten += "}";
  desktop.Form.Compile1Click();
  desktop.RefreshAll();
  vlm::ui::MsgViewWindowQt& view = desktop.MessageView();
  view.resize(640, 360);
  ok = Save(view, dir, "message_view.png") && ok;
  const QStringList lines = view.MessagePane()->toPlainText().split(QLatin1Char('\n'));
  for (int i = 0; i < lines.size(); ++i) {
    if (!lines[i].startsWith(QStringLiteral("err("))) continue;
    view.MessagePane()->setTextCursor(QTextCursor(view.MessagePane()->document()->findBlockByNumber(i)));
    view.MessagePane()->StoreSelection(desktop.Messages.RichEdit1);
    desktop.Messages.RichEdit1MouseDown();
    break;
  }
  ok = Save(view, dir, "message_view_debug.png") && ok;

  vlm::ui::MmlRollWindow roll;
  roll.OpenFile(demo.toStdString());
  roll.resize(1000, 520);
  roll.show();
  ok = Save(roll, dir, "mml_roll.png") && ok;

  // A second kept phrase, so that the list shows more than one entry.
  desktop.Form.PlaySeeded(20240103, true);
  desktop.Workshop().ToggleKeep();
  desktop.RefreshAll();
  vlm::ui::HistoryPane& kept = desktop.Workshop().Pane();
  kept.show();
  kept.resize(560, 240);
  ok = Save(kept, dir, "kept_phrases.png") && ok;
  return ok ? 0 : 1;
}
