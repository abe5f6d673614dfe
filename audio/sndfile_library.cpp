#include "audio/sndfile_library.h"

#include <dlfcn.h>

#include <type_traits>

#include "common/media_player.h"

namespace vlm {

namespace {

SndfileLibrary LoadSndfileLibrary() {
  const std::string library = std::string("The sound file library \"") + SndfileLibraryFile + "\"";
  const std::string hint = std::string(" \"sudo apt-get install ") + SndfileLibraryPackage + "\" installs it.";
  dlerror();
  void* handle = dlopen(SndfileLibraryFile, RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    throw MediaError(library + " could not be loaded (" + (why ? why : "unknown reason") + ")." + hint);
  }
  SndfileLibrary sndfile;
  const auto lookUp = [&](auto& field, const char* name) {
    field = reinterpret_cast<std::remove_reference_t<decltype(field)>>(dlsym(handle, name));
    if (field) return;
    dlclose(handle);
    throw MediaError(library + " has no function " + name + "." + hint);
  };
  lookUp(sndfile.sf_open_virtual, "sf_open_virtual");
  lookUp(sndfile.sf_writef_short, "sf_writef_short");
  lookUp(sndfile.sf_strerror, "sf_strerror");
  lookUp(sndfile.sf_close, "sf_close");
  return sndfile;
}

}  // namespace

const SndfileLibrary& Sndfile() {
  static const SndfileLibrary library = LoadSndfileLibrary();
  return library;
}

}  // namespace vlm
