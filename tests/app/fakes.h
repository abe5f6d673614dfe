#pragma once
// Fakes of the platform services, the warning sink and the media player, and
// an independent copy of the random generator's arithmetic, for the model tests.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/media_player.h"
#include "common/platform.h"
#include "common/warning.h"

namespace vlmtest {

class FakePlatform : public vlm::Platform {
 public:
  std::vector<std::string> messages;                          // ShowMessage texts
  std::vector<std::pair<std::string, std::string>> captioned; // ShowMessageCaption
  std::vector<std::string> errors;                            // ShowError texts
  std::vector<std::string> inputCalls;                        // "caption|prompt|proposal"
  std::optional<std::string> inputAnswer;                     // nothing: Cancel (gives the proposal)
  std::optional<std::string> saveName;                        // nothing: dialog cancelled
  std::optional<std::string> openName;
  std::vector<vlm::FileFilter> dialogFilters;
  std::string clipboard;
  std::vector<std::string> helpFiles;
  int processEvents = 0;
  std::vector<std::string> statuses;                          // ShowStatus notes

  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowMessageCaption(const std::string& caption, const std::string& text) override {
    captioned.emplace_back(caption, text);
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  std::string InputBox(const std::string& caption, const std::string& prompt,
                       const std::string& proposal) override {
    inputCalls.push_back(caption + "|" + prompt + "|" + proposal);
    return inputAnswer.value_or(proposal);
  }
  std::optional<std::string> SaveFileName(const vlm::FileFilter& filter) override {
    dialogFilters.push_back(filter);
    return saveName;
  }
  std::optional<std::string> OpenFileName(const vlm::FileFilter& filter) override {
    dialogFilters.push_back(filter);
    return openName;
  }
  void SetClipboardText(const std::string& text) override { clipboard = text; }
  void ShowHelp(const std::string& helpFile) override { helpFiles.push_back(helpFile); }
  void ProcessEvents() override { ++processEvents; }
  void ShowStatus(const std::string& text) override { statuses.push_back(text); }
};

// Installs itself as the process-wide warning sink while it lives.
class RecordingWarnings : public vlm::WarningSink {
 public:
  RecordingWarnings() { vlm::SetWarningSink(this); }
  ~RecordingWarnings() override { vlm::SetWarningSink(nullptr); }
  RecordingWarnings(const RecordingWarnings&) = delete;
  RecordingWarnings& operator=(const RecordingWarnings&) = delete;

  std::vector<std::string> warnings;
  int beeps = 0;

  void ShowWarning(const std::string& text) override { warnings.push_back(text); }
  void Beep() override { ++beeps; }
};

// Records every call; Open fails with openError when it is set.
class FakePlayer : public vlm::MediaPlayer {
 public:
  std::vector<std::string> calls;  // "Close", "SetFileName <name>", "Open", "Play", "Stop"
  std::optional<std::string> openError;
  Mode mode = Mode::NotOpen;
  std::string named;   // what SetFileName named last
  std::string opened;  // what the last successful Open read

  void Close() override {
    calls.push_back("Close");
    mode = Mode::NotOpen;
  }
  void SetFileName(const std::string& fileName) override {
    calls.push_back("SetFileName " + fileName);
    named = fileName;
  }
  void Open() override {
    calls.push_back("Open");
    if (openError) throw vlm::MediaError(*openError);
    mode = Mode::Stopped;
    opened = named;
  }
  double position = 0;  // what PositionSeconds tells
  std::string OpenedFile() const override { return mode == Mode::NotOpen ? std::string() : opened; }
  double PositionSeconds() const override { return position; }
  void SetPosition(double seconds) override {
    calls.push_back("SetPosition " + std::to_string(seconds));
    position = seconds;
  }
  void Play() override {
    calls.push_back("Play");
    mode = Mode::Playing;
  }
  Mode GetMode() const override { return mode; }
  void Stop() override {
    calls.push_back("Stop");
    mode = Mode::Stopped;
  }
  bool looping = false;
  bool Looping() const override { return looping; }
  bool QueueNextPass(const std::string& fileName) override {
    if (!looping || mode != Mode::Playing) return false;
    calls.push_back("QueueNextPass " + fileName);
    return true;
  }
};

// The generator's arithmetic written out again, so that expectations do not
// come from the code under test: state × 134775813 + 1, then the high 32 bits
// of state × n.
struct Lcg {
  std::uint32_t state;
  std::int32_t Next(std::int32_t n) {
    state = state * 134775813u + 1u;
    return static_cast<std::int32_t>((static_cast<std::uint64_t>(state) * static_cast<std::uint32_t>(n)) >> 32);
  }
};

}  // namespace vlmtest
