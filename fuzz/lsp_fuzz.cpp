// libFuzzer entry point of the language server: arbitrary bytes are what an
// editor sends to vlmc --lsp (see CheckLspStream).

#include <cstdint>
#include <string>

#include "fuzz/checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vlmfuzz::AbortIfBroken(vlmfuzz::CheckLspStream(std::string(reinterpret_cast<const char*>(data), size)));
  return 0;
}
