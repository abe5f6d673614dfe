#include "ui/help_window.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace vlm::ui {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(tr("Vorlumi3 Help"));
  browser_->setOpenExternalLinks(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
}

bool HelpWindow::ShowFile(const QString& path) {
  const QFileInfo info(path);
  if (!info.isFile() || !info.isReadable()) return false;
  // The file is HTML whatever its extension says.
  browser_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()), QTextDocument::HtmlResource);
  return true;
}

QString HelpWindow::Source() const { return browser_->source().toLocalFile(); }

}  // namespace vlm::ui
