#pragma once

#include <string>

namespace vlm {

// Directory of the running executable, with a trailing '/'. The phrase file,
// "Scale.dat" and the help file live there.
std::string AppPath();

// Overrides AppPath (tests point it at a scratch directory); empty restores it.
void SetAppPathForTesting(const std::string& dir);

}  // namespace vlm
