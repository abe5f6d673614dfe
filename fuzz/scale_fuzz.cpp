// libFuzzer entry point: arbitrary bytes are the scale presets (Scale.dat)
// loaded, applied and saved with one more preset (see CheckScaleFile).

#include <cstdint>
#include <string>

#include "fuzz/checks.h"
#include "fuzz/form_host.h"
#include "fuzz/scratch_dir.h"

namespace {

// One form for the process: making one builds a compiler.
vlmfuzz::FormHost& Host() {
  static vlmfuzz::FormHost host("scale");
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
  vlmfuzz::AbortIfBroken(vlmfuzz::CheckScaleFile(Host(), std::string(reinterpret_cast<const char*>(data), size)));
  return 0;
}
