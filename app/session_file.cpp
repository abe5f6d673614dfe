#include "app/session_file.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "common/text_file.h"

namespace vlm {

SessionFile::SessionFile(TForm1& form, std::string path) : form_(form), path_(std::move(path)) {}

// A missing file is a first run: nothing to apply, and the first save makes
// the file (and its folder).
std::optional<std::string> SessionFile::Restore() {
  std::error_code ec;
  if (!std::filesystem::exists(path_, ec) && !ec) {
    saved_ = form_.SettingsText();  // a session that changes nothing writes nothing
    return std::nullopt;
  }
  const auto text = ReadTextFile(path_);
  if (!text) {
    writable_ = false;
    return path_ + ": cannot be read; the session is not saved over it";
  }
  form_.ApplySettingsText(*text);
  saved_ = form_.SettingsText();
  return std::nullopt;
}

std::optional<std::string> SessionFile::SaveIfChanged() {
  if (!writable_) return std::nullopt;
  std::string now = form_.SettingsText();
  if (now == saved_) return std::nullopt;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
  if (auto failure = WriteFileAtomically(path_, now)) return failure;
  saved_ = std::move(now);
  return std::nullopt;
}

}  // namespace vlm
