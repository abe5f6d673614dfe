#pragma once
// One FluidSynth synthesizer with its settings and a loaded SoundFont, shared
// by the live output and the offline renderer. Only audio/ includes this.

#include <cstdint>
#include <span>
#include <vector>

#include "audio/fluid_library.h"
#include "audio/synth_options.h"

namespace vlm {

class FluidSynth {
 public:
  // Loads the library and the SoundFont; throws MediaError naming what is
  // missing.
  explicit FluidSynth(const SynthOptions& options);
  // A new synthesizer that plays the SoundFont fontOwner loaded, without
  // reading it again; fontOwner must outlive it. A renderer makes one per
  // file, so that each starts from nothing a file before left behind.
  FluidSynth(const SynthOptions& options, const FluidSynth& fontOwner);
  ~FluidSynth();
  FluidSynth(const FluidSynth&) = delete;
  FluidSynth& operator=(const FluidSynth&) = delete;

  fluid_settings_t* Settings() const { return settings_; }
  fluid_synth_t* Synth() const { return synth_; }

  // A channel message or a whole exclusive message (F0 ... F7).
  void Send(std::span<const std::uint8_t> message);
  void ReleaseAll();
  void Reset();
  // Synthesizes the next frames as interleaved 16-bit stereo into
  // stereo[0 .. 2 * frames).
  void WriteStereo(std::int16_t* stereo, int frames);

 private:
  const FluidLibrary& fluid_;  // the process-wide function table
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  fluid_sfont_t* borrowed_ = nullptr;  // fontOwner's SoundFont, given back before deletion
  void MakeSynth(const SynthOptions& options);
};

}  // namespace vlm
