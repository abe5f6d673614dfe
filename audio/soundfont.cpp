#include "audio/soundfont.h"

#include <cstdlib>
#include <filesystem>

#include "common/media_player.h"

namespace vlm {

namespace {

bool IsFile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);  // follows symbolic links; a dangling one is no file
}

const char* const InstallHint =
    "Install one with \"sudo apt-get install timgm6mb-soundfont\" (or fluid-soundfont-gm), "
    "or name a .sf2 file in the environment variable VORLUMI3_SOUNDFONT.";

}  // namespace

SoundFontSearch DefaultSoundFontSearch(const std::string& explicitChoice) {
  const char* environment = std::getenv(SoundFontVariable);
  return {explicitChoice,
          environment ? environment : "",
          {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
           "/usr/share/sounds/sf2/TimGM6mb.sf2"}};
}

std::string FindSoundFont(const SoundFontSearch& search) {
  if (!search.explicitChoice.empty()) {
    if (IsFile(search.explicitChoice)) return search.explicitChoice;
    throw MediaError("The SoundFont \"" + search.explicitChoice + "\" does not exist. " + InstallHint);
  }
  if (!search.environment.empty()) {
    if (IsFile(search.environment)) return search.environment;
    throw MediaError("The SoundFont \"" + search.environment + "\" named by " + SoundFontVariable +
                     " does not exist. " + InstallHint);
  }
  std::string looked;
  for (const std::string& file : search.systemFiles) {
    if (IsFile(file)) return file;
    looked += (looked.empty() ? "" : ", ") + file;
  }
  throw MediaError("No General MIDI SoundFont found (looked for " + looked + "). " + InstallHint);
}

}  // namespace vlm
