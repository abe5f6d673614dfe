#include "app/edit_backup.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/content_hash.h"
#include "common/text_file.h"

namespace vlm {

EditBackup::EditBackup(const std::string& folder, const std::string& fileName) {
  if (folder.empty() || fileName.empty()) return;
  std::error_code ec;
  const std::filesystem::path file = std::filesystem::absolute(fileName, ec);
  if (ec) return;
  char hash[16];
  std::snprintf(hash, sizeof hash, "-%08x", static_cast<unsigned>(ContentHash(file.string())));
  path_ = (std::filesystem::path(folder) / (file.filename().string() + hash)).string();
}

std::optional<std::string> EditBackup::Pending(const std::string& current) const {
  if (path_.empty()) return std::nullopt;
  auto kept = ReadFileBytes(path_);
  if (!kept || *kept == current) return std::nullopt;
  return kept;
}

std::optional<std::string> EditBackup::Keep(const std::string& text) {
  if (path_.empty()) return std::nullopt;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
  return WriteFileAtomically(path_, text);
}

void EditBackup::Drop() {
  if (path_.empty()) return;
  std::error_code ec;
  std::filesystem::remove(path_, ec);
}

}  // namespace vlm
