#include "ui/data_files.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vlm::ui {

namespace {

constexpr const char* kPhrase = "vorlumi3.mid";
constexpr const char* kScale = "Scale.dat";

std::string WithSlash(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace

bool CanWrite(const std::string& dir) { return ::access(dir.c_str(), W_OK | X_OK) == 0; }

std::string UserDataDir() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return WithSlash(xdg) + "vorlumi3/";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return WithSlash(home) + ".local/share/vorlumi3/";
  return {};
}

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
