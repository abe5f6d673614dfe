#include "common/app_path.h"

#include <filesystem>
#include <system_error>

namespace vlm {

namespace {
std::string& Remembered() {
  static std::string dir;
  return dir;
}

std::string CurrentDirectory() {
  std::error_code ec;
  std::string dir = std::filesystem::current_path(ec).string();
  if (ec) return {};
  if (dir.back() != '/') dir += '/';
  return dir;
}

std::string& Override() {
  static std::string dir;
  return dir;
}
}  // namespace

// The executable does not move while it runs: its directory is looked up
// once, not on every compile and every file name made from it.
std::string AppPath() {
  if (!Override().empty()) return Override();
  static const std::string dir = [] {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::string found = ec ? std::filesystem::current_path().string() : exe.parent_path().string();
    if (found.empty() || found.back() != '/') found += '/';
    return found;
  }();
  return dir;
}

std::string DataPath() {
  const std::string app = AppPath();
  std::error_code ec;
  if (std::filesystem::exists(app + "Scale.dat", ec)) return app;
  const auto shared = (std::filesystem::path(app) / "../share/vorlumi3").lexically_normal();
  if (std::filesystem::is_directory(shared, ec)) return shared.string() + "/";
  return app;
}

std::string StartDirectory() { return Remembered().empty() ? CurrentDirectory() : Remembered(); }

void RememberStartDirectory() {
  if (Remembered().empty()) Remembered() = CurrentDirectory();
}

void SetAppPathForTesting(const std::string& dir) {
  Override() = dir;
  if (!dir.empty() && dir.back() != '/') Override() += '/';
}

}  // namespace vlm
