#pragma once
// The command-line programs' stand-in for message boxes and dialogs: every
// box becomes one text handed to Report, an input box takes its proposal,
// and file dialogs are cancelled.

#include <optional>
#include <string>

#include "common/platform.h"

namespace vlmcli {

class WindowlessPlatform : public vlm::Platform {
 public:
  void ShowMessage(const std::string& text) override { Report(text); }
  void ShowMessageCaption(const std::string& caption, const std::string& text) override {
    Report(caption + ": " + text);
  }
  void ShowError(const std::string& text) override { Report(text); }
  std::string InputBox(const std::string&, const std::string&, const std::string& proposal) override {
    return proposal;
  }
  std::optional<std::string> SaveFileName(const vlm::FileFilter&) override { return std::nullopt; }
  std::optional<std::string> OpenFileName(const vlm::FileFilter&) override { return std::nullopt; }
  void SetClipboardText(const std::string&) override {}
  void ShowHelp(const std::string&) override {}

 protected:
  // A box the user would have had to answer: a run that meets one failed.
  virtual void Report(const std::string& text) = 0;
};

}  // namespace vlmcli
