#pragma once
// The outputs the desktop program offers: the software synthesizer or a MIDI
// destination.

#include <string>
#include <vector>

#include "audio/midi_file_player.h"
#include "audio/synth_options.h"

namespace vlm {

// What a player's engine is made of: FluidSynth (with synth, the SoundFont
// the user chose among them) for an empty destination, else MIDI out to the destination named (see OpenMidiOutput; "virtual" for a
// port of our own), over the system ChooseMidiSystem picks.
MidiFilePlayer::EngineFactory OutputFactory(const std::string& midiDestination, const SynthOptions& synth = {});

// The MIDI destinations there are now. Throws MediaError when MIDI out cannot
// be reached (no JACK server, RtMidi missing); `system` gets the line saying
// which MIDI system was asked.
std::vector<std::string> MidiDestinations(std::string* system = nullptr);

}  // namespace vlm
