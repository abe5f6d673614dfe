#pragma once
// FluidSynth playing through the computer's audio output.

#include <memory>

#include "audio/midi_file_player.h"
#include "audio/sound_engine.h"
#include "audio/synth_options.h"

namespace vlm {

// Environment variable with FluidSynth audio drivers to try, comma-separated
// (e.g. "jack" or "alsa,pulseaudio").
inline constexpr const char* AudioDriverVariable = "VORLUMI3_AUDIO_DRIVER";

// Loads the SoundFont and opens the first audio driver that works. Throws
// MediaError for the SoundFont, AudioDeviceError when no driver opens.
std::unique_ptr<SoundEngine> OpenFluidSynthOutput(const SynthOptions& options = {});

// The program's media player: FluidSynth, made at the first Open.
std::unique_ptr<MidiFilePlayer> MakeFluidSynthPlayer(const SynthOptions& options = {});

}  // namespace vlm
