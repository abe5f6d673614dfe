#pragma once
// The help viewer: a window showing our help file, an HTML page, with its
// links followed inside the window.

#include <QWidget>

class QTextBrowser;

namespace vlm::ui {

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Shows the file's first page, or its page in the language of the
  // windows when there is one (PageFor); false when it cannot be read.
  bool ShowFile(const QString& path);
  static QString PageFor(const QString& path);
  QString Source() const;  // the page shown, as a local path

 private:
  QTextBrowser* browser_;
};

}  // namespace vlm::ui
