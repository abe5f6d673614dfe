#pragma once
// The platform services of the models, implemented with Qt widgets: message
// boxes, the warning box, the input box, file dialogs, the clipboard and the
// help viewer. Texts cross the boundary as UTF-8.

#include <QPointer>
#include <QString>
#include <functional>

#include "common/platform.h"
#include "common/warning.h"

class QWidget;

namespace vlm::ui {

class HelpWindow;

// Converts a "description|pattern|description|pattern" filter list into Qt's
// "description (pattern);;..." form; "*.*" becomes "*" (every file).
QString QtFilter(const std::string& filter);

// Line breaks "\r\n" and lone "\r" become "\n" (message texts use either).
QString DisplayText(const std::string& text);

// The folder a file dialog starts in: the last one used, else the user's home.
QString StartFolder(const QString& lastFolder);

class QtPlatform : public Platform, public WarningSink {
 public:
  // The application title heads plain and error boxes.
  explicit QtPlatform(QString appTitle = QStringLiteral("Vorlumi3"));
  ~QtPlatform() override;

  // The window that owns the boxes and dialogs (not owned; may be null).
  void SetOwner(QWidget* owner);
  // Runs before pending events are processed in the middle of a command, so
  // that the windows show the models' state of that moment.
  std::function<void()> BeforeProcessEvents;

  // ---- Platform ----
  void ShowMessage(const std::string& text) override;
  void ShowMessageCaption(const std::string& caption, const std::string& text) override;
  void ShowError(const std::string& text) override;
  std::string InputBox(const std::string& caption, const std::string& prompt,
                       const std::string& proposal) override;
  std::optional<std::string> SaveFileName(const FileFilter& filter) override;
  std::optional<std::string> OpenFileName(const FileFilter& filter) override;
  void SetClipboardText(const std::string& text) override;
  void ShowHelp(const std::string& helpFile) override;
  void ProcessEvents() override;
  // In the owner's status bar, until the next note replaces it.
  void ShowStatus(const std::string& text) override;
  // Through the application's translators (ui/translation.h), context "Messages".
  std::string Translate(const char* text) override;

  // ---- WarningSink: caption "警告", warning icon, one OK button ----
  void ShowWarning(const std::string& text) override;
  void Beep() override;

 private:
  QString appTitle_;
  QPointer<QWidget> owner_;
  QString lastFolder_;  // folder of the last file chosen in any dialog of this run; home before that
  QPointer<HelpWindow> help_;

  std::optional<std::string> RunFileDialog(const FileFilter& filter, bool save);
  // The window a box or dialog belongs to: the active one (the message view
  // asking for a search string owns that box), else the owner.
  QWidget* DialogOwner() const;
};

}  // namespace vlm::ui
