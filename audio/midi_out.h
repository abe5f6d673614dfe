#pragma once
// MIDI out: the player's messages sent to another program or an instrument
// through RtMidi, over the ALSA sequencer or, where that is missing, JACK.
// RtMidi is opened on the first use (rtmidi_library.h).

#include <memory>
#include <string>
#include <vector>

#include "audio/midi_file_player.h"
#include "audio/sound_engine.h"

namespace vlm {

enum class MidiSystem { AlsaSequencer, Jack };

// Environment variable naming the MIDI system to use ("alsa" or "jack")
// instead of the automatic choice.
inline constexpr const char* MidiSystemVariable = "VORLUMI3_MIDI_SYSTEM";

// The destination word that opens a port of our own instead, named
// VirtualPortName, for a DAW to record from.
inline constexpr const char* VirtualDestination = "virtual";
inline constexpr const char* VirtualPortName = "Vorlumi3";

// The system MIDI out uses: MidiSystemVariable when set, else the ALSA
// sequencer where /dev/snd/seq exists, else JACK. `why` gets one line for the
// user saying which system was taken and why.
MidiSystem ChooseMidiSystem(std::string* why = nullptr);

// A destination that is missing or named ambiguously; the text lists the
// destinations there are, so that the user can pick one.
class MidiPortError : public MediaError {
 public:
  using MediaError::MediaError;
};

// The destinations the system offers now, in its order. Throws MediaError
// when RtMidi cannot be loaded or the system cannot be reached (no JACK server).
std::vector<std::string> ListMidiOutputs(MidiSystem system);

// The destination `wanted` names among `ports`: the port of exactly that name,
// else the only one whose name contains it, ignoring case. Throws
// MidiPortError when none or several match.
std::string ChooseMidiPort(const std::vector<std::string>& ports, const std::string& wanted);

// Opens the destination named by `wanted` (through ChooseMidiPort), or our own
// port for VirtualDestination. Throws MidiPortError as ChooseMidiPort does,
// MediaError when the system cannot be reached or the port cannot be opened.
// The engine remembers every channel it sent to: ReleaseAll sends those all
// notes off (CC 123) and all sound off (CC 120).
std::unique_ptr<SoundEngine> OpenMidiOutput(MidiSystem system, const std::string& wanted);

// A media player sending to the destination, opened at the first Open.
std::unique_ptr<MidiFilePlayer> MakeMidiOutPlayer(MidiSystem system, const std::string& wanted);

}  // namespace vlm
