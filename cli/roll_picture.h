#pragma once
// --png for the command-line programs: the piano roll of a compiled MIDI
// file written as a PNG picture. The drawing library (and with it Qt) is
// opened only here, when a picture is asked for.

#include <array>
#include <optional>
#include <string>

namespace vlm {

// Draws midiBytes and writes the picture to pngPath (replaced whole or not at
// all). weights: the scale's pitch-class weights C..B to shade rows by.
// Returns the reason on failure: a library that cannot be opened, bytes that
// are no MIDI file, a file that cannot be written.
std::optional<std::string> WriteRollPicture(const std::string& midiBytes, const std::string& pngPath,
                                            const std::optional<std::array<int, 12>>& weights = std::nullopt);

}  // namespace vlm
