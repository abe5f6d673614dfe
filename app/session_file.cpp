#include "app/session_file.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "app/ini_file.h"
#include "common/text_file.h"

namespace vlm {

namespace {

constexpr const char* VoiceSection = "VoiceEditor";

// The settings a settings file holds, and the voice editor's rows, which
// only the session keeps.
std::string SessionText(TForm1& form) {
  IniFile ini(form.SettingsText());
  TfrmVEdit& voice = form.Voice;
  for (int n = 1; n <= 12; ++n) ini.WriteBool(VoiceSection, "Check" + std::to_string(n), voice.Chk(n));
  for (int n = 1; n <= TfrmVEdit::RowCount; ++n) {
    ini.WriteString(VoiceSection, "Value" + std::to_string(n), voice.E(n));
    ini.WriteInteger(VoiceSection, "Bar" + std::to_string(n), voice.S(n).Position());
  }
  return ini.Text();
}

// A row missing from the file (one written before the rows were kept) keeps
// what the editor holds.
void ApplySessionText(TForm1& form, const std::string& text) {
  form.ApplySettingsText(text);
  const IniFile ini(text);
  TfrmVEdit& voice = form.Voice;
  for (int n = 1; n <= 12; ++n)
    voice.Chk(n) = ini.ReadBool(VoiceSection, "Check" + std::to_string(n), voice.Chk(n));
  for (int n = 1; n <= TfrmVEdit::RowCount; ++n) {
    if (const auto value = ini.ReadString(VoiceSection, "Value" + std::to_string(n))) voice.E(n) = *value;
    voice.S(n).SetPosition(ini.ReadInteger(VoiceSection, "Bar" + std::to_string(n), voice.S(n).Position()));
  }
}

}  // namespace

SessionFile::SessionFile(TForm1& form, std::string path) : form_(form), path_(std::move(path)) {}

// A missing file is a first run: nothing to apply, and the first save makes
// the file (and its folder).
std::optional<std::string> SessionFile::Restore() {
  std::error_code ec;
  if (!std::filesystem::exists(path_, ec) && !ec) {
    saved_ = SessionText(form_);  // a session that changes nothing writes nothing
    return std::nullopt;
  }
  const auto text = ReadTextFile(path_);
  if (!text) {
    writable_ = false;
    return path_ + ": cannot be read; the session is not saved over it";
  }
  ApplySessionText(form_, *text);
  saved_ = SessionText(form_);
  return std::nullopt;
}

std::optional<std::string> SessionFile::SaveIfChanged() {
  if (!writable_) return std::nullopt;
  std::string now = SessionText(form_);
  if (now == saved_) return std::nullopt;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
  if (auto failure = WriteFileAtomically(path_, now)) return failure;
  saved_ = std::move(now);
  return std::nullopt;
}

}  // namespace vlm
