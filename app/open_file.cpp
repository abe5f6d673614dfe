// Opening a file named on the command line: a settings file is loaded as
// "&Open" loads it; any other file is an MML source, compiled into the
// phrase file with its messages and compiled lines in the message view.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <new>

#include "app/main_form.h"
#include "common/text_file.h"
#include "common/tr_marker.h"

namespace vlm {

namespace {

bool IsSettingsFileName(const std::string& fileName) {
  std::string extension = std::filesystem::path(fileName).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".vr3";
}

}  // namespace

bool TForm1::OpenFile(const std::string& fileName) {
  if (IsSettingsFileName(fileName)) return LoadSettings(fileName);
  return CompileSourceFile(fileName);
}

bool TForm1::CompileSourceFile(const std::string& fileName) {
  if (!Compiler) return false;
  std::string why;
  auto lines = ReadSourceLines(fileName, &why);
  if (!lines) {
    platform_.ShowError("cannot read " + why);
    return false;
  }
  LastSource = *lines;
  LastMap.reset();
  messages_.ClearMessages();
  CompileOptions options = CompileBase;
  options.OutputFile = PhraseFileName;
  // Includes are read beside the source: the program's current directory is
  // its own folder, not the one the user named the file from.
  options.IncludeDirectory = std::filesystem::path(fileName).parent_path().string();
  CompileResult result = Compiler->Compile(std::move(*lines), options);
  for (const auto& message : result.Messages) messages_.AddMessage(message);
  CompiledLines = std::move(result.Lines);
  messages_.SetDebugLines(CompiledLines);
  messages_.ShowMessagePage();
  if (result.Failed()) {
    platform_.ShowMessage(platform_.Translate(QT_TRANSLATE_NOOP("Messages", "原因不明のエラーが発生しました。")) +
                          "\n" + *result.Failure);
    return false;
  }
  return true;
}

}  // namespace vlm
