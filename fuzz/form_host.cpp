#include "fuzz/form_host.h"

#include "common/app_path.h"
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
  form_->CompileBase.MaxCompileSteps = 200'000;
}

std::string FormHost::Path(const std::string& name) const { return dir_ + name; }

}  // namespace vlmfuzz
