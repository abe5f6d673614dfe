#pragma once
// libfluidsynth, opened at run time on the first use of sound. Linking it
// would load some sixty shared libraries (sound servers, X11, SDL, glib) into
// every program of ours, vlmc included, before main even starts. The header
// still gives the types; the functions are reached through this table.

#include <fluidsynth.h>

#include <string>

namespace vlm {

// The library file opened when VORLUMI3_FLUIDSYNTH names none, and the Debian
// package that installs it.
inline constexpr const char* FluidLibraryFile = "libfluidsynth.so.3";
inline constexpr const char* FluidLibraryPackage = "libfluidsynth3";

// Environment variable naming another FluidSynth 2 library file to open
// (a path, or a name the dynamic loader searches for).
inline constexpr const char* FluidLibraryVariable = "VORLUMI3_FLUIDSYNTH";

// Every FluidSynth function the audio layer calls. ORDER FLUID_FUNCTIONS:
// the table's fields and its look-up both come from this one list.
#define VLM_FLUID_FUNCTIONS(X)       \
  X(fluid_set_log_function)          \
  X(new_fluid_settings)              \
  X(delete_fluid_settings)           \
  X(fluid_settings_setnum)           \
  X(fluid_settings_setint)           \
  X(fluid_settings_setstr)           \
  X(fluid_settings_getstr_default)   \
  X(new_fluid_synth)                 \
  X(delete_fluid_synth)              \
  X(fluid_synth_sfload)              \
  X(fluid_synth_get_sfont)           \
  X(fluid_synth_add_sfont)           \
  X(fluid_synth_remove_sfont)        \
  X(fluid_synth_noteon)              \
  X(fluid_synth_noteoff)             \
  X(fluid_synth_key_pressure)        \
  X(fluid_synth_cc)                  \
  X(fluid_synth_program_change)      \
  X(fluid_synth_channel_pressure)    \
  X(fluid_synth_pitch_bend)          \
  X(fluid_synth_sysex)               \
  X(fluid_synth_count_midi_channels) \
  X(fluid_synth_all_notes_off)       \
  X(fluid_synth_system_reset)        \
  X(fluid_synth_write_s16)           \
  X(new_fluid_audio_driver)          \
  X(delete_fluid_audio_driver)

// One pointer per function, named and typed as the function itself, so that
// a call reads fluid.fluid_synth_noteon(synth, channel, key, velocity).
struct FluidLibrary {
#define VLM_FLUID_FIELD(name) decltype(&::name) name = nullptr;
  VLM_FLUID_FUNCTIONS(VLM_FLUID_FIELD)
#undef VLM_FLUID_FIELD
};

// Opens the library file and looks up every function of the table. A library
// that loads stays loaded until the process ends (its threads and log
// callbacks may outlive any one synthesizer). Throws MediaError naming the
// file, what failed and the package to install; nothing stays open then.
FluidLibrary LoadFluidLibrary(const std::string& file);

// The process-wide table, loaded once on the first call (VORLUMI3_FLUIDSYNTH,
// else FluidLibraryFile), safe from any thread. Throws MediaError as
// LoadFluidLibrary does; a later call tries again.
const FluidLibrary& Fluid();

}  // namespace vlm
