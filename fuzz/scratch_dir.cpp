#include "fuzz/scratch_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <vector>

namespace vlmfuzz {

namespace {

std::vector<std::filesystem::path>& Made() {
  static std::vector<std::filesystem::path> made;
  return made;
}

void RemoveAll() {
  std::error_code ignored;
  for (const auto& dir : Made()) std::filesystem::remove_all(dir, ignored);
}

}  // namespace

std::filesystem::path ScratchDir(const std::string& role) {
  static std::once_flag registered;
  std::call_once(registered, [] { std::atexit(RemoveAll); });
  std::error_code ec;
  const std::filesystem::path parent =
      std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
  std::string pattern = (parent / "vlm-fuzz-").string() + role + "-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  Made().push_back(pattern);
  return pattern;
}

void WriteWhole(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  if (!out) std::abort();
}

}  // namespace vlmfuzz
