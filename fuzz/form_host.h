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
  std::string InputBox(const std::string&, const std::string&, const std::string&) override { return "FUZZ"; }
  std::optional<std::string> SaveFileName(const vlm::FileFilter&) override { return std::nullopt; }
  std::optional<std::string> OpenFileName(const vlm::FileFilter&) override { return std::nullopt; }
  void SetClipboardText(const std::string&) override {}
  void ShowHelp(const std::string&) override {}
};

// One form for the whole process: making one builds a compiler, which costs
// more than a run of either target. Every run loads every setting it uses.
class FormHost {
 public:
  // Makes the scratch directory the program's, writes the shipped presets
  // there as Scale.dat, and starts the form.
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

// The file's bytes; aborts when it cannot be read, since every file a target
// reads back is one it has just written.
std::string ReadWhole(const std::string& path);

// Stops the process with a message naming the broken promise and the first
// byte where two texts differ.
[[noreturn]] void Differ(const char* promise, const std::string& a, const std::string& b);

}  // namespace vlmfuzz
