#pragma once
// File > Open Recent: the settings and MML files opened last, newest first,
// kept in the program's configuration so that they outlast the run. A file
// that is gone for now (a disk not mounted) is left out of the menu but
// stays in the list.

#include <QObject>
#include <QStringList>
#include <functional>

class QAction;
class QMenu;

namespace vlm::ui {

class RecentFiles : public QObject {
  Q_OBJECT

 public:
  static constexpr int MaxFiles = 10;

  // Adds "Open Recent" to fileMenu before `before` (at the end when null);
  // `open` opens the file the user chooses.
  RecentFiles(QMenu* fileMenu, QAction* before, std::function<void(const QString&)> open);

  // Puts the file first, as an absolute path, dropping an older entry of it.
  void Add(const QString& path);
  QStringList Paths() const;
  QMenu* Menu() const { return menu_; }

 private:
  void Rebuild();

  QMenu* menu_;
  std::function<void(const QString&)> open_;
};

}  // namespace vlm::ui
