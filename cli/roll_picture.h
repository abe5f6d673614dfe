#pragma once
// --png for the command-line programs: the piano roll of a compiled MIDI
// file written as a PNG picture. The drawing library (and with it Qt) is
// opened only here, when a picture is asked for.

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace vlm {

// A generated phrase's steps, marked on the notes they made as the main
// window's piano roll marks them.
struct PictureSteps {
  struct Note {
    int Track = 0, Tick = 0, Number = 0;
    int PatternOffset = -1;  // where it came from in Pattern, in code points; -1 outside it
  };
  std::string Rhythm;
  int Steps = 0;
  std::string Pattern;      // as compiled
  std::vector<Note> Notes;  // every note-on of the file, in file order
};

// Draws midiBytes and writes the picture to pngPath (replaced whole or not at
// all). weights: the scale's pitch-class weights C..B to shade rows by.
// Returns the reason on failure: a library that cannot be opened, bytes that
// are no MIDI file, a file that cannot be written.
std::optional<std::string> WriteRollPicture(const std::string& midiBytes, const std::string& pngPath,
                                            const std::optional<std::array<int, 12>>& weights = std::nullopt,
                                            const PictureSteps* steps = nullptr);

}  // namespace vlm
