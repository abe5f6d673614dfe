#pragma once
// A main-window model without windows for the fuzz targets of the settings
// and preset files: it starts as the program starts, in a scratch directory
// that stands for the program's own, and answers every dialog the same way.

#include <memory>
#include <optional>
#include <string>

#include "app/main_form.h"
#include "common/platform.h"
#include "msgview/msg_view.h"

namespace vlmfuzz {

// Shows nothing; file dialogs are cancelled and input boxes answered with a
// fixed name, so that a run depends on its input alone.
class QuietPlatform : public vlm::Platform {
 public:
  void ShowMessage(const std::string&) override {}
  void ShowMessageCaption(const std::string&, const std::string&) override {}
  void ShowError(const std::string&) override {}
  static constexpr const char* PresetName = "FUZZ";  // every input box's answer
  std::string InputBox(const std::string&, const std::string&, const std::string&) override { return PresetName; }
  std::optional<std::string> SaveFileName(const vlm::FileFilter&) override { return std::nullopt; }
  std::optional<std::string> OpenFileName(const vlm::FileFilter&) override { return std::nullopt; }
  void SetClipboardText(const std::string&) override {}
  void ShowHelp(const std::string&) override {}
};

// One form for the whole process: making one builds a compiler, which costs
// more than a run of either target. Every run loads every setting it uses.
class FormHost {
 public:
  // Makes the scratch directory the program's, writes a preset file there as
  // Scale.dat, and starts the form. Its compiler's work bound is lowered as
  // the compiler's fuzz target lowers it: a play list may repeat a long slot
  // many times, and such a compile must end well within the fuzzer's timeout.
  explicit FormHost(const std::string& role);

  vlm::TForm1& Form() { return *form_; }
  // A file name in the scratch directory.
  std::string Path(const std::string& name) const;

 private:
  std::string dir_;
  QuietPlatform platform_;
  vlm::TfrmMsg messages_{platform_};
  std::unique_ptr<vlm::TForm1> form_;
};

}  // namespace vlmfuzz
