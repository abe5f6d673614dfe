#pragma once
// Turns a MIDI file into a WAV file without an audio device, as fast as the
// machine can synthesize (many times faster than real time).

#include <cstdint>
#include <string>

#include "audio/midi_sequence.h"
#include "audio/synth_options.h"
#include "common/media_player.h"

namespace vlm {

struct RenderResult {
  std::int64_t frames = 0;  // sample frames written
  double seconds = 0;       // frames / sample rate
};

// The WAV holds the whole sequence and then its decay until the sound has
// died away, at most MaxTailSeconds more: 16-bit stereo at
// options.sampleRate. Throws MediaError (no SoundFont, a broken MIDI file, an
// unwritable WAV file); the WAV file is then left untouched.
RenderResult RenderMidiFile(const std::string& midiPath, const std::string& wavPath,
                            const SynthOptions& options = {});
RenderResult RenderSequence(const MidiSequence& sequence, const std::string& wavPath,
                            const SynthOptions& options = {});

inline constexpr double MaxTailSeconds = 3.0;

}  // namespace vlm
