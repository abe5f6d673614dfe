#include "ui/help_window.h"

#include <QDir>
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

// The page in the language of the windows: for "vorlumi3.hlp" the page
// "vorlumi3.ja.hlp" beside it when the windows speak Japanese. The language
// code is itself a translated text, so the help follows whatever language the
// menus were given, and a translation without a page of its own shows the
// file as named.
QString HelpWindow::PageFor(const QString& path) {
  const QFileInfo named(path);
  //: Language code of the help pages: NAME.CODE.hlp beside the help file is shown instead when it exists.
  const QString language = tr("ja");
  const QFileInfo page(named.dir(), named.completeBaseName() + QLatin1Char('.') + language + QLatin1Char('.') +
                                        named.suffix());
  return page.isFile() && page.isReadable() ? page.filePath() : path;
}

bool HelpWindow::ShowFile(const QString& path) {
  const QFileInfo info(PageFor(path));
  if (!info.isFile() || !info.isReadable()) return false;
  // The file is HTML whatever its extension says.
  browser_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()), QTextDocument::HtmlResource);
  return true;
}

QString HelpWindow::Source() const { return browser_->source().toLocalFile(); }

}  // namespace vlm::ui
