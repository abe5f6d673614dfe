#pragma once
// Playing from the command line: wait for the end of the phrase with a
// progress line, and let Ctrl+C stop the sound cleanly.

#include <cstdio>

#include "audio/midi_file_player.h"

namespace vlmcli {

// Waits while the player plays, then lets the last notes ring out. Returns
// true at the end of the file, false when Ctrl+C stopped the sound. On a
// terminal, out shows "elapsed / total s" on one line, updated in place;
// a null out shows nothing.
bool WaitWhilePlaying(vlm::MidiFilePlayer& player, std::FILE* out);

}  // namespace vlmcli
