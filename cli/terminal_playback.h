#pragma once
// Playing from the command line: open the output --play sounds on, wait for
// the end of the phrase with a progress line, and let Ctrl+C stop the sound
// cleanly.

#include <cstdio>
#include <memory>
#include <string>

#include "audio/midi_file_player.h"

namespace vlmcli {

// Exit status of a program whose --play finds no output to play on.
inline constexpr int NoOutputStatus = 3;

// The player --play uses: the software synthesizer when midiOut is empty,
// else the MIDI destination it names (see vlm::ChooseMidiPort, or "virtual").
// The output is opened at once, so that a missing one shows before any other
// work. On failure prints "program: reason" on standard error, sets status
// (2 for a destination that is missing or ambiguous, with the list of them;
// NoOutputStatus when no output opens) and returns null. Unless quiet, says
// on standard error which MIDI system carries MIDI out.
std::unique_ptr<vlm::MidiFilePlayer> OpenTerminalPlayer(const char* program, const std::string& midiOut, bool quiet,
                                                         int& status);

// --list-midi-outputs: one destination a line on standard output, the MIDI
// system used on standard error. Returns the exit status.
int ListMidiOutputs(const char* program);

// Waits while the player plays, then lets the last notes ring out. Returns
// true at the end of the file, false when Ctrl+C stopped the sound. On a
// terminal, out shows "elapsed / total s" on one line, updated in place;
// a null out shows nothing.
bool WaitWhilePlaying(vlm::MidiFilePlayer& player, std::FILE* out);

// Stops the sound as Ctrl+C does: every note released, and a moment for
// those messages to reach the output (a synthesizer behind a MIDI port)
// before the caller closes it.
void StopAndLetGo(vlm::MidiFilePlayer& player);

}  // namespace vlmcli
