// libFuzzer entry point of text decoding and line splitting: arbitrary bytes
// are a text file as the program reads presets, settings and MML sources
// (see CheckText).

#include <cstdint>
#include <string>

#include "fuzz/checks.h"
#include "fuzz/scratch_dir.h"

namespace {
std::filesystem::path Dir;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Dir = vlmfuzz::ScratchDir("text");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vlmfuzz::AbortIfBroken(vlmfuzz::CheckText(std::string(reinterpret_cast<const char*>(data), size), Dir));
  return 0;
}
