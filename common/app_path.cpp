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

std::string AppPath() {
  if (!Override().empty()) return Override();
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  std::string dir = ec ? std::filesystem::current_path().string() : exe.parent_path().string();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

void SetAppPathForTesting(const std::string& dir) {
  Override() = dir;
  if (!dir.empty() && dir.back() != '/') Override() += '/';
}

}  // namespace vlm
