// libFuzzer entry point of the MIDI file reader that the player and the
// renderer use: arbitrary bytes are one file (see CheckMidiFile).

#include <cstdint>

#include "fuzz/checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vlmfuzz::AbortIfBroken(vlmfuzz::CheckMidiFile({data, size}));
  return 0;
}
