#pragma once

#include <array>

namespace vlm {

// The General MIDI program names shown in cmbVoiceList; the index is the
// program number 0..127.
extern const std::array<const char*, 128> InstrumentNames;

}  // namespace vlm
