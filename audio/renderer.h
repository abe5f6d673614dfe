#pragma once
// Turns a MIDI file into a sound file without an audio device, as fast as the
// machine can synthesize (many times faster than real time): WAV, or FLAC or
// Ogg Vorbis for a name ending in ".flac", ".ogg" or ".oga".

#include <cstdint>
#include <memory>
#include <string>

#include "audio/midi_sequence.h"
#include "audio/synth_options.h"
#include "common/media_player.h"

namespace vlm {

class FluidSynth;

struct RenderResult {
  std::int64_t frames = 0;  // sample frames written
  double seconds = 0;       // frames / sample rate
};

// The file holds the whole sequence and then its decay until the sound has
// died away, at most MaxTailSeconds more: 16-bit stereo at
// options.sampleRate. Throws MediaError (no SoundFont, a broken MIDI file, an
// unwritable file); the file is then left untouched.
RenderResult RenderMidiFile(const std::string& midiPath, const std::string& wavPath,
                            const SynthOptions& options = {});
RenderResult RenderSequence(const MidiSequence& sequence, const std::string& wavPath,
                            const SynthOptions& options = {});

// Renders many sequences with the SoundFont read once: a batch of short
// phrases would otherwise spend most of its time loading it. Each render has
// a synthesizer of its own (a used one keeps traces of what it played), so
// it writes the bytes RenderSequence writes. Not for two threads at once.
class SequenceRenderer {
 public:
  // Throws MediaError like RenderSequence.
  explicit SequenceRenderer(const SynthOptions& options = {});
  ~SequenceRenderer();
  SequenceRenderer(const SequenceRenderer&) = delete;
  SequenceRenderer& operator=(const SequenceRenderer&) = delete;

  RenderResult Render(const MidiSequence& sequence, const std::string& wavPath);

 private:
  SynthOptions options_;
  std::unique_ptr<FluidSynth> fontOwner_;  // holds the SoundFont; never plays
};

inline constexpr double MaxTailSeconds = 3.0;

}  // namespace vlm
