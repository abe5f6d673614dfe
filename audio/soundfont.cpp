#include "audio/soundfont.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "audio/fluid_library.h"
#include "common/app_path.h"
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

// The .sf2 and .sf3 files of a folder, by name (so that the choice does not
// depend on the order the file system lists them in).
std::vector<std::string> SoundFontsIn(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code ec;
  if (folder.empty()) return files;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string extension = it->path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if ((extension == ".sf2" || extension == ".sf3") && IsFile(it->path().string()))
      files.push_back(it->path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string UserSoundFontFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/soundfonts";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/share/soundfonts";
  return {};
}

}  // namespace

std::string FluidDefaultSoundFont() {
  try {
    const FluidLibrary& fluid = Fluid();
    fluid_settings_t* settings = fluid.new_fluid_settings();
    if (!settings) return {};
    char* value = nullptr;
    std::string file;
    if (fluid.fluid_settings_getstr_default(settings, "synth.default-soundfont", &value) == FLUID_OK && value)
      file = value;  // owned by the settings: copied before they go
    fluid.delete_fluid_settings(settings);
    return file;
  } catch (const MediaError&) {
    return {};  // no library: the synthesizer reports that itself
  }
}

SoundFontSearch DefaultSoundFontSearch(const std::string& explicitChoice) {
  const char* variable = std::getenv(SoundFontVariable);
  std::string environment = variable ? variable : "";
  if (!environment.empty() && environment[0] != '/') environment = StartDirectory() + environment;
  std::vector<std::string> system;
  if (std::string fluidDefault = FluidDefaultSoundFont(); !fluidDefault.empty()) system.push_back(fluidDefault);
  for (const char* file : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf3/default-GM.sf3",
                           "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2"})
    if (std::find(system.begin(), system.end(), file) == system.end()) system.push_back(file);
  return {explicitChoice, environment, system, UserSoundFontFolder()};
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
  if (const auto own = SoundFontsIn(search.userFolder); !own.empty()) return own.front();
  std::string looked;
  for (const std::string& file : search.systemFiles) {
    if (IsFile(file)) return file;
    looked += (looked.empty() ? "" : ", ") + file;
  }
  if (!search.userFolder.empty()) looked += ", and .sf2 or .sf3 files in " + search.userFolder;
  throw MediaError("No General MIDI SoundFont found (looked for " + looked + "). " + InstallHint);
}

}  // namespace vlm
