#include "common/app_path.h"

#include <filesystem>
#include <system_error>

namespace vlm {

namespace {
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

void SetAppPathForTesting(const std::string& dir) {
  Override() = dir;
  if (!dir.empty() && dir.back() != '/') Override() += '/';
}

}  // namespace vlm
