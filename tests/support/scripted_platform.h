#pragma once
// Fakes of the platform services for tests: nothing blocks, everything is
// recorded. Input boxes and file dialogs answer from queues; an empty queue
// answers like Cancel.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/platform.h"
#include "common/warning.h"

namespace vlm::test {

class ScriptedPlatform : public Platform {
 public:
  std::deque<std::string> inputAnswers;  // next answers of InputBox
  std::deque<std::string> fileAnswers;   // next answers of the file dialogs
  std::vector<std::string> inputPrompts;  // "caption|prompt" of each input box
  std::vector<FileFilter> fileFilters;    // filter of each file dialog, in order
  std::vector<std::string> messages;      // plain boxes, "caption|text" for captioned ones
  std::vector<std::string> errors;
  std::vector<std::string> helpFiles;
  std::string clipboard;
  int clipboardWrites = 0;

  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowMessageCaption(const std::string& caption, const std::string& text) override {
    messages.push_back(caption + "|" + text);
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  std::string InputBox(const std::string& caption, const std::string& prompt,
                       const std::string& proposal) override {
    inputPrompts.push_back(caption + "|" + prompt);
    if (inputAnswers.empty()) return proposal;
    std::string answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
  }
  std::optional<std::string> SaveFileName(const FileFilter& filter) override { return NextFile(filter); }
  std::optional<std::string> OpenFileName(const FileFilter& filter) override { return NextFile(filter); }
  void SetClipboardText(const std::string& text) override {
    clipboard = text;
    ++clipboardWrites;
  }
  void ShowHelp(const std::string& helpFile) override { helpFiles.push_back(helpFile); }

 private:
  std::optional<std::string> NextFile(const FileFilter& filter) {
    fileFilters.push_back(filter);
    if (fileAnswers.empty()) return std::nullopt;
    std::string answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
  }
};

class RecordingWarnings : public WarningSink {
 public:
  std::vector<std::string> shown;
  int beeps = 0;
  void ShowWarning(const std::string& text) override { shown.push_back(text); }
  void Beep() override { ++beeps; }
};

}  // namespace vlm::test
