#pragma once
// The platform services toolkit-free models use to talk to the user, besides
// warnings (warning.h). The desktop program implements them with Qt widgets;
// the command-line tools with the terminal; tests install fakes.
//
// Texts are UTF-8 and may break lines with CR, LF or CR LF (several of the
// program's own texts use a single CR); implementations show each as a line
// break.

#include <optional>
#include <string>

namespace vlm {

struct FileFilter {
  std::string DefaultExt;  // without the dot, e.g. "vr3"
  std::string Filter;      // e.g. "Vorlumi3 save data|*.vr3|all|*.*" (name|pattern pairs)
};

class Platform {
 public:
  virtual ~Platform() = default;
  // Plain message box with the application title.
  virtual void ShowMessage(const std::string& text) = 0;
  // Message box with the given caption and one OK button.
  virtual void ShowMessageCaption(const std::string& caption, const std::string& text) = 0;
  // An error of the platform layer (invalid number, file, media device, clipboard).
  virtual void ShowError(const std::string& text) = 0;
  // OK returns the edited text, Cancel the proposal; at most 255 characters.
  virtual std::string InputBox(const std::string& caption, const std::string& prompt,
                               const std::string& proposal) = 0;
  // The chosen file name, or nothing on cancel.
  virtual std::optional<std::string> SaveFileName(const FileFilter& filter) = 0;
  virtual std::optional<std::string> OpenFileName(const FileFilter& filter) = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  // Shows the contents page of a help file.
  virtual void ShowHelp(const std::string& helpFile) = 0;
  // Lets pending window events run (repaints before and after a compile).
  // Nothing to do where there are no windows.
  virtual void ProcessEvents() {}
  // A one-line note that needs no answer (a seed drawn, a device missing
  // again): the desktop program shows it in the status bar; elsewhere it may
  // be dropped.
  virtual void ShowStatus(const std::string& text) { (void)text; }
  // The user's wording of a text marked QT_TRANSLATE_NOOP("Messages", ...)
  // (common/tr_marker.h); where no translation is installed, the text itself.
  virtual std::string Translate(const char* text) { return text; }
};

}  // namespace vlm
