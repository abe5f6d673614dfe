#pragma once
// The per-user folders of the XDG base directory rules.

#include <string>

namespace vlm {

// $XDG_DATA_HOME/vorlumi3/ when that variable holds an absolute path, else
// $HOME/.local/share/vorlumi3/; empty when neither is usable. Ends with "/".
// The folder is not created.
std::string UserDataDirectory();

}  // namespace vlm
