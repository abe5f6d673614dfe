// libFuzzer entry point of the targets that drive the main form without
// windows: arbitrary bytes are one file the form loads, checked by
// VLM_FORM_CHECK (CheckSettingsFile: a settings file loaded, compiled and
// saved; CheckScaleFile: the scale presets loaded, applied and saved with one
// more). The build names the check and the scratch folder's role.

#include <cstdint>
#include <string>

#include "fuzz/checks.h"
#include "fuzz/form_host.h"
#include "fuzz/scratch_dir.h"

namespace {

// One form for the process: making one builds a compiler.
vlmfuzz::FormHost& Host() {
  static vlmfuzz::FormHost host(VLM_FORM_ROLE);
  return host;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static vlmfuzz::SilentWarnings warnings;
  vlm::SetWarningSink(&warnings);
  Host();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vlmfuzz::AbortIfBroken(vlmfuzz::VLM_FORM_CHECK(Host(), std::string(reinterpret_cast<const char*>(data), size)));
  return 0;
}
