#include "ui/recent_files.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include "ui/configuration.h"

namespace vlm::ui {

namespace {

constexpr const char* Key = "RecentFiles";

// Japanese is the program's own language; each text is translated under
// the context "Recent".
namespace text {
constexpr const char* Menu = QT_TRANSLATE_NOOP("Recent", "最近開いたファイル(&R)");
constexpr const char* Clear = QT_TRANSLATE_NOOP("Recent", "一覧を消去");
constexpr const char* None = QT_TRANSLATE_NOOP("Recent", "(ありません)");
}  // namespace text

QString RecentText(const char* source) { return QCoreApplication::translate("Recent", source); }

void Store(const QStringList& paths) {
  QSettings configuration = Configuration();
  configuration.setValue(QString::fromLatin1(Key), paths);
  configuration.sync();
}

}  // namespace

RecentFiles::RecentFiles(QMenu* fileMenu, QAction* before, std::function<void(const QString&)> open)
    : QObject(fileMenu), menu_(new QMenu(RecentText(text::Menu), fileMenu)), open_(std::move(open)) {
  menu_->setObjectName(QStringLiteral("RecentFiles"));
  fileMenu->insertMenu(before, menu_);
  connect(menu_, &QMenu::aboutToShow, this, &RecentFiles::Rebuild);
  Rebuild();
}

QStringList RecentFiles::Paths() const { return Configuration().value(QString::fromLatin1(Key)).toStringList(); }

void RecentFiles::Add(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  QStringList paths = Paths();
  paths.removeAll(absolute);
  paths.prepend(absolute);
  while (paths.size() > MaxFiles) paths.removeLast();
  Store(paths);
}

// Entries show the file's name with its folder, and are numbered for the
// keyboard (&1 .. &9, &0 for the tenth).
void RecentFiles::Rebuild() {
  menu_->clear();
  int shown = 0;
  for (const QString& path : Paths()) {
    const QFileInfo file(path);
    if (!file.exists()) continue;
    ++shown;
    const QString caption = QStringLiteral("&%1 %2  (%3)")
                                .arg(shown % 10)
                                .arg(file.fileName().replace(QLatin1Char('&'), QStringLiteral("&&")),
                                     QDir::toNativeSeparators(file.absolutePath()).replace(QLatin1Char('&'),
                                                                                         QStringLiteral("&&")));
    QAction* entry = menu_->addAction(caption);
    entry->setData(path);
    entry->setStatusTip(path);
    connect(entry, &QAction::triggered, this, [this, path] { open_(path); });
  }
  if (shown == 0) menu_->addAction(RecentText(text::None))->setEnabled(false);
  menu_->addSeparator();
  QAction* clear = menu_->addAction(RecentText(text::Clear));
  clear->setObjectName(QStringLiteral("ClearRecentFiles"));
  clear->setEnabled(shown > 0);
  connect(clear, &QAction::triggered, this, [] { Store({}); });
}

}  // namespace vlm::ui
