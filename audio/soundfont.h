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
};

// The search a program uses: its own choice, the environment, the system's files.
SoundFontSearch DefaultSoundFontSearch(const std::string& explicitChoice);

// The first SoundFont of the search. A file named by the caller or the
// environment must exist (it is not passed over for a system file); throws
// MediaError saying what is missing and how to install a SoundFont.
std::string FindSoundFont(const SoundFontSearch& search);

}  // namespace vlm
