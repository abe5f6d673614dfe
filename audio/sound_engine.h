#pragma once
// The synthesizer a MidiFilePlayer drives: FluidSynth behind an audio
// device in the program, a recording fake in tests.

#include <cstdint>
#include <span>

#include "common/media_player.h"

namespace vlm {

// No audio output could be opened; the text names the drivers tried and how
// to get one. Callers may fall back to rendering a file instead.
class AudioDeviceError : public MediaError {
 public:
  using MediaError::MediaError;
};

class SoundEngine {
 public:
  virtual ~SoundEngine() = default;
  // A channel message (status and data bytes) or a whole exclusive message
  // (F0 ... F7), sounding at once.
  virtual void Send(std::span<const std::uint8_t> message) = 0;
  // Pedals up and every note off on every channel; notes fade with their release.
  virtual void ReleaseAll() = 0;
  // Back to the power-on state: programs, controllers and pitch bends reset, no voice sounding.
  virtual void Reset() = 0;
};

}  // namespace vlm
