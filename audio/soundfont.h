#pragma once
// Which General MIDI SoundFont the synthesizer loads.

#include <string>
#include <vector>

namespace vlm {

// Environment variable naming a SoundFont file; it overrides the system's.
inline constexpr const char* SoundFontVariable = "VORLUMI3_SOUNDFONT";

struct SoundFontSearch {
  std::string explicitChoice;            // named by the caller (option or argument); empty: none
  std::string environment;               // value of VORLUMI3_SOUNDFONT; empty: unset
  std::vector<std::string> systemFiles;  // the system's default GM SoundFont, then the known Debian files
  std::string userFolder;                // the user's SoundFont folder; empty: none
};

// The search a program uses: its own choice; the environment (a relative
// name is taken from the directory the program was started in); the user's
// folder ($XDG_DATA_HOME/soundfonts, ~/.local/share/soundfonts); the default
// libfluidsynth reports (when the library opens); the Debian files.
SoundFontSearch DefaultSoundFontSearch(const std::string& explicitChoice);

// The first SoundFont of the search; from the user's folder, the first .sf2
// or .sf3 file by name. A file named by the caller or the environment must
// exist (it is not passed over for another); throws MediaError saying what is
// missing and how to install a SoundFont.
std::string FindSoundFont(const SoundFontSearch& search);

// libfluidsynth's own "synth.default-soundfont" (fixed when it was built);
// empty when the library cannot be opened or has none.
std::string FluidDefaultSoundFont();

}  // namespace vlm
