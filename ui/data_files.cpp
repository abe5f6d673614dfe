#include "ui/data_files.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "common/xdg_dirs.h"

namespace vlm::ui {

namespace {

constexpr const char* kPhrase = "vorlumi3.mid";
constexpr const char* kScale = "Scale.dat";

}  // namespace

bool CanWrite(const std::string& dir) { return ::access(dir.c_str(), W_OK | X_OK) == 0; }

std::string UserDataDir() { return UserDataDirectory(); }

DataFiles ChooseDataFiles(const std::string& appDir, const std::string& dataDir, bool appDirWritable,
                          const std::string& userDir) {
  const DataFiles beside{appDir + kPhrase, dataDir + kScale};
  if (appDirWritable || userDir.empty()) return beside;
  std::error_code ec;
  std::filesystem::create_directories(userDir, ec);
  if (ec || !CanWrite(userDir)) return beside;
  const std::string userScale = userDir + kScale;
  if (!std::filesystem::exists(userScale, ec) && std::filesystem::exists(beside.ScaleFile, ec)) {
    std::filesystem::copy_file(beside.ScaleFile, userScale, ec);
    if (ec) return {userDir + kPhrase, beside.ScaleFile};
  }
  return {userDir + kPhrase, userScale};
}

}  // namespace vlm::ui
