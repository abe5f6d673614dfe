#include "audio/fluid_output.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>

#include <cstdlib>
#include <sstream>

#include "audio/fluid_library.h"
#include "audio/fluid_log.h"
#include "audio/fluid_synth.h"
#include "audio/rtmidi_library.h"

namespace vlm {

namespace {

// The drivers named by the caller or in the environment, tried as named.
std::vector<std::string> ChosenDrivers(const SynthOptions& options) {
  if (!options.audioDrivers.empty()) return options.audioDrivers;
  std::vector<std::string> drivers;
  if (const char* chosen = std::getenv(AudioDriverVariable)) {
    std::stringstream list(chosen);
    for (std::string name; std::getline(list, name, ',');)
      if (!name.empty()) drivers.push_back(name);
  }
  return drivers;
}

// Without a choice: PulseAudio first, since PipeWire desktops serve it too;
// plain ALSA for machines without a sound server; JACK last, for studios
// whose JACK server holds the sound card. JACK is tried only when a server
// is running already: connecting to it could start one.
const std::vector<std::string> DefaultDrivers = {"pulseaudio", "alsa", "jack"};

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// ALSA prints its complaints on the terminal (a machine without a sound card
// gives a dozen lines); FluidSynth's log already says what failed. libasound
// comes in with FluidSynth, so it is looked up there rather than linked into
// every program: a FluidSynth built without ALSA leaves nothing to quiet.
class QuietAlsa {
 public:
  QuietAlsa() {
    if (void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD)) {
      setHandler_ = reinterpret_cast<decltype(setHandler_)>(dlsym(alsa, "snd_lib_error_set_handler"));
      dlclose(alsa);  // drops only the reference RTLD_NOLOAD took; FluidSynth keeps the library loaded
    }
    if (setHandler_) setHandler_(IgnoreAlsaError);
  }
  ~QuietAlsa() {
    if (setHandler_) setHandler_(nullptr);
  }
  QuietAlsa(const QuietAlsa&) = delete;
  QuietAlsa& operator=(const QuietAlsa&) = delete;

 private:
  decltype(&snd_lib_error_set_handler) setHandler_ = nullptr;  // null: ALSA is not loaded
};

class FluidSynthOutput final : public SoundEngine {
 public:
  explicit FluidSynthOutput(const SynthOptions& options) : synth_(options) {
    const FluidLibrary& fluid = Fluid();  // loaded by synth_
    if (!options.audioFile.empty())
      fluid.fluid_settings_setstr(synth_.Settings(), "audio.file.name", options.audioFile.c_str());
    // JACK's output goes straight to the system's playback ports, as every
    // other driver's does.
    fluid.fluid_settings_setint(synth_.Settings(), "audio.jack.autoconnect", 1);
    const QuietAlsa quiet;
    const std::vector<std::string> chosen = ChosenDrivers(options);
    std::string tried;
    for (const std::string& name : chosen.empty() ? DefaultDrivers : chosen) {
      if (chosen.empty() && name == "jack" && !JackServerRunning()) {
        tried += std::string(tried.empty() ? "" : "; ") + "jack: no JACK server is running";
        continue;
      }
      TakeFluidLog();
      if (fluid.fluid_settings_setstr(synth_.Settings(), "audio.driver", name.c_str()) == FLUID_OK)
        driver_ = fluid.new_fluid_audio_driver(synth_.Settings(), synth_.Synth());
      if (driver_) return;
      const std::string why = TakeFluidLog();
      tried += (tried.empty() ? "" : "; ") + name + (why.empty() ? "" : ": " + why);
    }
    throw AudioDeviceError("No audio output could be opened (tried " + tried +
                           "). Start a sound server (PipeWire or PulseAudio; \"sudo apt-get install "
                           "pipewire-pulse\" installs one) or check the sound card, or name a FluidSynth audio "
                           "driver in the environment variable " + AudioDriverVariable + ".");
  }
  ~FluidSynthOutput() override { Fluid().delete_fluid_audio_driver(driver_); }

  void Send(std::span<const std::uint8_t> message) override { synth_.Send(message); }
  void ReleaseAll() override { synth_.ReleaseAll(); }
  void Reset() override { synth_.Reset(); }

 private:
  FluidSynth synth_;
  fluid_audio_driver_t* driver_ = nullptr;  // pulls sound from synth_ on its own thread
};

}  // namespace

std::unique_ptr<SoundEngine> OpenFluidSynthOutput(const SynthOptions& options) {
  return std::make_unique<FluidSynthOutput>(options);
}

std::unique_ptr<MidiFilePlayer> MakeFluidSynthPlayer(const SynthOptions& options) {
  return std::make_unique<MidiFilePlayer>([options] { return OpenFluidSynthOutput(options); });
}

}  // namespace vlm
