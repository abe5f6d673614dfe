#pragma once
// How the FluidSynth players and the renderer set up their synthesizer.

#include <string>
#include <vector>

namespace vlm {

struct SynthOptions {
  std::string soundFont;                  // SoundFont file; empty: the search of soundfont.h
  double sampleRate = 44100;              // frames per second
  bool effects = true;                    // reverb and chorus
  double gain = 1.0;                      // master gain; FluidSynth's range is 0..10
  std::vector<std::string> audioDrivers;  // live output only: FluidSynth driver names to try in
                                          // order; empty: VORLUMI3_AUDIO_DRIVER, else pulseaudio, alsa
                                          // and a JACK server already running
  std::string audioFile;                  // live output through FluidSynth's "file" driver: the file it
                                          // writes in real time; empty: FluidSynth's default name
};

}  // namespace vlm
