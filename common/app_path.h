#pragma once

#include <string>

namespace vlm {

// Directory of the running executable, with a trailing '/'. The phrase file,
// "Scale.dat" and the help file live there.
std::string AppPath();

// Directory of the program's read-only files (Scale.dat, the help), with a
// trailing '/': AppPath while Scale.dat lies beside the program (a build
// tree), else PREFIX/share/vorlumi3/ for a program in PREFIX/bin when that
// folder exists (an installed program), else AppPath.
std::string DataPath();

// The directory the program was started in, with a trailing '/': names the
// user gives (files, VORLUMI3_SOUNDFONT) are relative to it, also after the
// program has moved into its own folder. RememberStartDirectory records it and
// must run before the first change of directory; later calls keep the first.
// Until it has run, the current directory.
std::string StartDirectory();
void RememberStartDirectory();

// Overrides AppPath (tests point it at a scratch directory); empty restores it.
void SetAppPathForTesting(const std::string& dir);

}  // namespace vlm
