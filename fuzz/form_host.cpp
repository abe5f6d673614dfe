#include "fuzz/form_host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "common/app_path.h"
#include "common/text_file.h"
#include "fuzz/scratch_dir.h"

namespace vlmfuzz {

namespace {

// A small preset file: the form selects preset 31 at start-up, so there are 32.
std::string StartPresets() {
  std::string text;
  for (int i = 0; i < 32; ++i) text += "preset " + std::to_string(i) + "\r\nA0A0A0A0A0A" + std::to_string(i % 10) + "\r\n";
  return text;
}

}  // namespace

FormHost::FormHost(const std::string& role) : dir_(ScratchDir(role).string() + "/") {
  vlm::SetAppPathForTesting(dir_);
  WriteWhole(dir_ + vlm::ScaleFileBaseName, StartPresets());
  form_ = std::make_unique<vlm::TForm1>(platform_, messages_);
  form_->FormCreate();
}

std::string FormHost::Path(const std::string& name) const { return dir_ + name; }

std::string ReadWhole(const std::string& path) {
  const auto bytes = vlm::ReadFileBytes(path);
  if (!bytes) {
    std::fprintf(stderr, "cannot read back %s\n", path.c_str());
    std::abort();
  }
  return *bytes;
}

void Differ(const char* promise, const std::string& a, const std::string& b) {
  const auto at = static_cast<std::size_t>(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
  std::fprintf(stderr, "broken promise: %s (sizes %zu and %zu, first difference at byte %zu)\n", promise, a.size(),
               b.size(), at);
  std::abort();
}

}  // namespace vlmfuzz
