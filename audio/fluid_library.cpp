#include "audio/fluid_library.h"

#include <dlfcn.h>

#include <cstdlib>

#include "common/media_player.h"

namespace vlm {

namespace {

std::string InstallHint() {
  return std::string("\"sudo apt-get install ") + FluidLibraryPackage + "\" installs FluidSynth.";
}

// dlerror's text for the last failure, or a plain word when it has none.
std::string LoaderError() {
  const char* text = dlerror();
  return text ? text : "unknown reason";
}

}  // namespace

FluidLibrary LoadFluidLibrary(const std::string& file) {
  const std::string library = "The FluidSynth library \"" + file + "\"";
  dlerror();  // clears an error left by earlier calls
  // RTLD_NOW: a dependency that cannot be resolved fails here, not in the
  // middle of playing.
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) throw MediaError(library + " could not be loaded (" + LoaderError() + "). " + InstallHint());
  FluidLibrary fluid;
  const char* missing = nullptr;
  std::string why;
  // A null symbol counts as missing too: none of these functions is null in a
  // real FluidSynth.
#define VLM_FLUID_LOOKUP(name)                                                \
  if (!missing) {                                                             \
    fluid.name = reinterpret_cast<decltype(fluid.name)>(dlsym(handle, #name)); \
    if (!fluid.name) {                                                        \
      missing = #name;                                                        \
      why = LoaderError();                                                    \
    }                                                                         \
  }
  VLM_FLUID_FUNCTIONS(VLM_FLUID_LOOKUP)
#undef VLM_FLUID_LOOKUP
  if (missing) {
    dlclose(handle);
    throw MediaError(library + " has no function " + missing + " (" + why +
                     "): it is no FluidSynth 2 library. " + InstallHint());
  }
  return fluid;
}

const FluidLibrary& Fluid() {
  // A function-local static is initialized once even when threads race for
  // it; an initialization that throws leaves it for the next call to retry.
  static const FluidLibrary library = [] {
    const char* chosen = std::getenv(FluidLibraryVariable);
    if (!chosen || !*chosen) return LoadFluidLibrary(FluidLibraryFile);
    try {
      return LoadFluidLibrary(chosen);
    } catch (const MediaError& e) {
      throw MediaError(std::string(e.what()) + " The file is named by " + FluidLibraryVariable +
                       "; unset it to use the system's library.");
    }
  }();
  return library;
}

}  // namespace vlm
