#include "common/xdg_dirs.h"

#include <cstdlib>

namespace vlm {

namespace {

std::string WithSlash(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace

// A relative value is ignored, as the XDG rules ask: it would depend on the
// current directory, which start-up changes.
std::string UserDataDirectory() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return WithSlash(xdg) + "vorlumi3/";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return WithSlash(home) + ".local/share/vorlumi3/";
  return {};
}

}  // namespace vlm
