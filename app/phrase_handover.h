#pragma once
// The phrase handed to another program (dragged into a sequencer or a file
// manager) as a MIDI file of its own: the phrase file is written over by the
// next compile, and the program that took the phrase may read it later.

#include <cstdint>
#include <optional>
#include <string>

namespace vlm {

struct HandedPhrase {
  std::string Path;     // the copy, to hand over
  std::string Bytes;    // what it holds
  std::string Failure;  // why there is no copy; empty when there is
};

// Copies the phrase file into folder (made when missing) under a name made
// from the seed it was drawn with, when there is one, and its contents: the
// same phrase handed over twice is one file, and no copy is ever replaced
// by another phrase.
HandedPhrase HandOverPhrase(const std::string& phraseFile, std::optional<std::uint32_t> seed,
                            const std::string& folder);

// Where handed phrases go: "dragged" in the user's data folder, where no
// cleaner empties it (a sequencer may read the file long after the drop);
// without a data folder, one in the temporary directory.
std::string HandOverFolder();

}  // namespace vlm
