#include "audio/rtmidi_library.h"

#include <dlfcn.h>
#include <jack/jack.h>

#include "common/media_player.h"

namespace vlm {

namespace {

std::string LoaderError() {
  const char* text = dlerror();
  return text ? text : "unknown reason";
}

RtMidiLibrary LoadRtMidiLibrary() {
  const std::string library = std::string("The MIDI library \"") + RtMidiLibraryFile + "\"";
  const std::string hint = std::string("\"sudo apt-get install ") + RtMidiLibraryPackage + "\" installs it.";
  dlerror();
  void* handle = dlopen(RtMidiLibraryFile, RTLD_NOW | RTLD_LOCAL);
  if (!handle) throw MediaError(library + " could not be loaded (" + LoaderError() + "). " + hint);
  RtMidiLibrary rtmidi;
#define VLM_RTMIDI_LOOKUP(name)                                                     \
  rtmidi.name = reinterpret_cast<decltype(rtmidi.name)>(dlsym(handle, #name));      \
  if (!rtmidi.name) {                                                               \
    const std::string why = LoaderError();                                          \
    dlclose(handle);                                                                \
    throw MediaError(library + " has no function " #name " (" + why + "). " + hint); \
  }
  VLM_RTMIDI_FUNCTIONS(VLM_RTMIDI_LOOKUP)
#undef VLM_RTMIDI_LOOKUP
  return rtmidi;
}

void IgnoreJackText(const char*) {}

// A libjack function looked up in the copy RtMidi loaded; null when none is.
template <typename Function>
Function JackFunction(const char* name) {
  void* jack = dlopen("libjack.so.0", RTLD_NOW | RTLD_NOLOAD);
  if (!jack) return nullptr;
  auto function = reinterpret_cast<Function>(dlsym(jack, name));
  dlclose(jack);  // drops only the reference RTLD_NOLOAD took
  return function;
}

}  // namespace

const RtMidiLibrary& RtMidi() {
  static const RtMidiLibrary library = LoadRtMidiLibrary();
  return library;
}

void QuietJackLog() {
  if (auto setError = JackFunction<decltype(&jack_set_error_function)>("jack_set_error_function"))
    setError(IgnoreJackText);
  if (auto setInfo = JackFunction<decltype(&jack_set_info_function)>("jack_set_info_function"))
    setInfo(IgnoreJackText);
}

bool JackServerRunning() {
  auto open = JackFunction<decltype(&jack_client_open)>("jack_client_open");
  auto close = JackFunction<decltype(&jack_client_close)>("jack_client_close");
  if (!open || !close) return false;
  QuietJackLog();
  jack_status_t status{};
  jack_client_t* client = open("Vorlumi3-probe", JackNoStartServer, &status);
  if (!client) return false;
  close(client);
  return true;
}

}  // namespace vlm
