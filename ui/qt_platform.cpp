#include "ui/qt_platform.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QStringList>

#include "ui/help_window.h"
#include "ui/window_placement.h"

namespace vlm::ui {

namespace {

constexpr int kInputMaxLength = 255;  // characters an input box holds
// Room beside a dialog's title for the window manager's buttons, in pixels.
constexpr int kTitleButtonsWidth = 140;
const QSize kHelpSize(640, 560);  // the help window's size where the screen has room

void RunBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption, const QString& text) {
  QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
  box.exec();
}

}  // namespace

QString QtFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& p : patterns) {
      p = p.trimmed();
      if (p == QLatin1String("*.*")) p = QStringLiteral("*");
    }
    entries << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return entries.join(QStringLiteral(";;"));
}

QString DisplayText(const std::string& text) {
  QString s = QString::fromStdString(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

QString StartFolder(const QString& lastFolder) { return lastFolder.isEmpty() ? QDir::homePath() : lastFolder; }

QtPlatform::QtPlatform(QString appTitle) : appTitle_(std::move(appTitle)) {}

QtPlatform::~QtPlatform() { delete help_; }

void QtPlatform::SetOwner(QWidget* owner) { owner_ = owner; }

QWidget* QtPlatform::DialogOwner() const {
  QWidget* active = QApplication::activeWindow();
  return active ? active : owner_.data();
}

void QtPlatform::ShowMessage(const std::string& text) {
  RunBox(DialogOwner(), QMessageBox::NoIcon, appTitle_, DisplayText(text));
}

void QtPlatform::ShowMessageCaption(const std::string& caption, const std::string& text) {
  RunBox(DialogOwner(), QMessageBox::NoIcon, QString::fromStdString(caption), DisplayText(text));
}

void QtPlatform::ShowError(const std::string& text) {
  RunBox(DialogOwner(), QMessageBox::Critical, appTitle_, DisplayText(text));
}

void QtPlatform::ShowWarning(const std::string& text) {
  RunBox(DialogOwner(), QMessageBox::Warning, QCoreApplication::translate("vlm::ui::QtPlatform", "警告"), DisplayText(text));
}

void QtPlatform::Beep() { QApplication::beep(); }

std::string QtPlatform::Translate(const char* text) {
  return QCoreApplication::translate("Messages", text).toStdString();
}

std::string QtPlatform::InputBox(const std::string& caption, const std::string& prompt,
                                 const std::string& proposal) {
  QWidget* owner = DialogOwner();
  QInputDialog dialog(owner);
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setWindowTitle(QString::fromStdString(caption));
  dialog.setLabelText(QString::fromStdString(prompt));
  dialog.setTextValue(QString::fromStdString(proposal));
  // Wide enough for the whole title (a long question is the caption): the
  // edit field sets the width, since the dialog's layout sets its minimum.
  const int titleWidth = dialog.fontMetrics().horizontalAdvance(dialog.windowTitle()) + kTitleButtonsWidth;
  if (auto* edit = dialog.findChild<QLineEdit*>()) {
    edit->setMaxLength(kInputMaxLength);
    edit->setText(QString::fromStdString(proposal));
    edit->setMinimumWidth(titleWidth);
  }
  // Beside its window rather than over it.
  dialog.adjustSize();
  OpenBeside(&dialog, owner ? owner->window() : nullptr, dialog.size());
  if (dialog.exec() != QDialog::Accepted) return proposal;
  return dialog.textValue().toStdString();
}

std::optional<std::string> QtPlatform::RunFileDialog(const FileFilter& filter, bool save) {
  QFileDialog dialog(DialogOwner());
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(QtFilter(filter.Filter));
  dialog.setDefaultSuffix(QString::fromStdString(filter.DefaultExt));
  // A name typed without an ending takes the kind chosen in the list.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& chosen) {
    static const QRegularExpression firstPattern(QStringLiteral("\\(\\*\\.(\\w+)"));
    if (const QRegularExpressionMatch match = firstPattern.match(chosen); match.hasMatch())
      dialog.setDefaultSuffix(match.captured(1));
  });
  dialog.setDirectory(StartFolder(lastFolder_));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString chosen = dialog.selectedFiles().constFirst();
  lastFolder_ = QFileInfo(chosen).absolutePath();
  return chosen.toStdString();
}

std::optional<std::string> QtPlatform::SaveFileName(const FileFilter& filter) { return RunFileDialog(filter, true); }

std::optional<std::string> QtPlatform::OpenFileName(const FileFilter& filter) { return RunFileDialog(filter, false); }

void QtPlatform::SetClipboardText(const std::string& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) {
    ShowError("Cannot open clipboard");
    return;
  }
  clipboard->setText(QString::fromStdString(text));
}

void QtPlatform::ProcessEvents() {
  if (BeforeProcessEvents) BeforeProcessEvents();
  QCoreApplication::processEvents();
}

void QtPlatform::ShowStatus(const std::string& text) {
  auto* main = qobject_cast<QMainWindow*>(owner_.data());
  if (!main) return;
  QString line = DisplayText(text);
  line.replace(QLatin1Char('\n'), QLatin1Char(' '));
  main->statusBar()->showMessage(line);
}

void QtPlatform::ShowHelp(const std::string& helpFile) {
  if (!help_) help_ = new HelpWindow;
  const QString path = QString::fromStdString(helpFile);
  if (!help_->ShowFile(path)) {
    ShowError("Cannot open the help file " + helpFile);
    return;
  }
  OpenBeside(help_, owner_, kHelpSize);
  help_->show();
  help_->raise();
  help_->activateWindow();
}

}  // namespace vlm::ui
