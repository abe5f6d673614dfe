#pragma once
// librtmidi (its C interface), opened at run time on the first use of MIDI
// out. Linking it would load the ALSA and JACK client libraries into every
// program of ours, vlmc included, before main even starts.

#include <rtmidi/rtmidi_c.h>

#include <string>

namespace vlm {

// The library file opened, and the Debian package that installs it.
inline constexpr const char* RtMidiLibraryFile = "librtmidi.so.6";
inline constexpr const char* RtMidiLibraryPackage = "librtmidi6";

// Every RtMidi function the MIDI output calls. ORDER RTMIDI_FUNCTIONS: the
// table's fields and its look-up both come from this one list.
#define VLM_RTMIDI_FUNCTIONS(X) \
  X(rtmidi_out_create)          \
  X(rtmidi_out_free)            \
  X(rtmidi_get_port_count)      \
  X(rtmidi_get_port_name)       \
  X(rtmidi_open_port)           \
  X(rtmidi_open_virtual_port)   \
  X(rtmidi_close_port)          \
  X(rtmidi_out_send_message)

// One pointer per function, named and typed as the function itself.
struct RtMidiLibrary {
#define VLM_RTMIDI_FIELD(name) decltype(&::name) name = nullptr;
  VLM_RTMIDI_FUNCTIONS(VLM_RTMIDI_FIELD)
#undef VLM_RTMIDI_FIELD
};

// The process-wide table, loaded once on the first call and kept until the
// process ends; safe from any thread. Throws MediaError naming the file, what
// failed and the package to install; a later call tries again.
const RtMidiLibrary& RtMidi();

// Quiets libjack's own error and information lines (a missing server prints
// half a dozen); what failed is reported by us instead. Does nothing unless
// libjack is loaded (RtMidi brings it in).
void QuietJackLog();

// True when a JACK server answers (JACK_DEFAULT_SERVER names which); never
// starts one. Needs libjack loaded first: RtMidi() and FluidSynth bring it in.
bool JackServerRunning();

}  // namespace vlm
