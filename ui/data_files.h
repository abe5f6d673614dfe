#pragma once
// Where the program's own files go. Next to the executable while that folder
// can be written (a build tree); otherwise, when installed system-wide, into
// the user's data folder, $XDG_DATA_HOME/vorlumi3 (~/.local/share/vorlumi3).

#include <string>

namespace vlm::ui {

struct DataFiles {
  std::string PhraseFile;  // the compiled phrase, written by every compile
  std::string ScaleFile;   // the preset file, read at start-up and rewritten by Save Scale
};

// The user's data folder with a trailing '/', from XDG_DATA_HOME (when it is
// an absolute path) or HOME; empty when neither is usable.
std::string UserDataDir();

// Whether the process may create files in `dir`.
bool CanWrite(const std::string& dir);

// Chooses the files for an executable in `appDir` whose installed
// "Scale.dat" lies in `dataDir` (both with a trailing '/'). When `appDir`
// cannot be written, the user's folder is made, and a "Scale.dat" there wins;
// without one, the installed file is copied there first, so that
// the presets read are the ones Save Scale extends. Any failure falls back to
// `appDir`, where the program then reports what it cannot write.
DataFiles ChooseDataFiles(const std::string& appDir, const std::string& dataDir, bool appDirWritable,
                          const std::string& userDir);

}  // namespace vlm::ui
