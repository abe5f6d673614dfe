// libFuzzer entry point: arbitrary bytes are a settings file (.vr3) loaded,
// compiled (the phrase and the play list) and saved (see CheckSettingsFile).

#include <cstdint>
#include <string>

#include "fuzz/checks.h"
#include "fuzz/form_host.h"
#include "fuzz/scratch_dir.h"

namespace {

// One form for the process: making one builds a compiler.
vlmfuzz::FormHost& Host() {
  static vlmfuzz::FormHost host("settings");
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
  vlmfuzz::AbortIfBroken(vlmfuzz::CheckSettingsFile(Host(), std::string(reinterpret_cast<const char*>(data), size)));
  return 0;
}
