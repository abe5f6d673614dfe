#include "audio/fluid_synth.h"

#include <fstream>

#include "audio/fluid_log.h"
#include "audio/soundfont.h"
#include "common/media_player.h"

namespace vlm {

namespace {

// A RIFF file of form "sfbk" (SoundFont 2) or "DLS " (loaded through
// libinstpatch). Checked first, because FluidSynth's loaders complain on the
// terminal about other files before they fail.
bool LooksLikeSoundFont(const std::string& path) {
  char head[12] = {};
  std::ifstream in(path, std::ios::binary);
  if (!in.read(head, sizeof head)) return false;
  const std::string form(head + 8, 4);
  return std::string(head, 4) == "RIFF" && (form == "sfbk" || form == "DLS ");
}

}  // namespace

FluidSynth::FluidSynth(const SynthOptions& options) : fluid_(Fluid()) {
  CaptureFluidLog();
  const std::string soundFont = FindSoundFont(DefaultSoundFontSearch(options.soundFont));
  TakeFluidLog();  // what earlier synthesizers logged is no reason for this one's failure
  MakeSynth(options);
  if (!LooksLikeSoundFont(soundFont) || fluid_.fluid_synth_sfload(synth_, soundFont.c_str(), 1) == FLUID_FAILED) {
    const std::string why = TakeFluidLog();
    fluid_.delete_fluid_synth(synth_);
    fluid_.delete_fluid_settings(settings_);
    throw MediaError("The SoundFont \"" + soundFont + "\" could not be loaded" + (why.empty() ? "" : " (" + why + ")") +
                     ". Is it a SoundFont 2 file? \"sudo apt-get install timgm6mb-soundfont\" installs one.");
  }
}

FluidSynth::FluidSynth(const SynthOptions& options, const FluidSynth& fontOwner) : fluid_(Fluid()) {
  CaptureFluidLog();
  MakeSynth(options);
  borrowed_ = fluid_.fluid_synth_get_sfont(fontOwner.synth_, 0);
  if (!borrowed_ || fluid_.fluid_synth_add_sfont(synth_, borrowed_) == FLUID_FAILED) {
    borrowed_ = nullptr;
    const std::string why = TakeFluidLog();
    fluid_.delete_fluid_synth(synth_);
    fluid_.delete_fluid_settings(settings_);
    throw MediaError("FluidSynth could not share its SoundFont with a new synthesizer: " + why);
  }
}

void FluidSynth::MakeSynth(const SynthOptions& options) {
  settings_ = fluid_.new_fluid_settings();
  if (!settings_) throw MediaError("FluidSynth could not create its settings (out of memory?)");
  fluid_.fluid_settings_setnum(settings_, "synth.sample-rate", options.sampleRate);
  fluid_.fluid_settings_setnum(settings_, "synth.gain", options.gain);
  fluid_.fluid_settings_setint(settings_, "synth.reverb.active", options.effects ? 1 : 0);
  fluid_.fluid_settings_setint(settings_, "synth.chorus.active", options.effects ? 1 : 0);
  synth_ = fluid_.new_fluid_synth(settings_);
  if (!synth_) {
    fluid_.delete_fluid_settings(settings_);
    throw MediaError("FluidSynth could not create a synthesizer: " + TakeFluidLog());
  }
}

FluidSynth::~FluidSynth() {
  if (borrowed_) fluid_.fluid_synth_remove_sfont(synth_, borrowed_);
  fluid_.delete_fluid_synth(synth_);
  fluid_.delete_fluid_settings(settings_);
}

void FluidSynth::Send(std::span<const std::uint8_t> message) {
  if (message.empty()) return;
  const int channel = message[0] & 0x0F;
  const int data1 = message.size() > 1 ? message[1] : 0;
  const int data2 = message.size() > 2 ? message[2] : 0;
  switch (message[0] & 0xF0) {
    case 0x80:  // note off
      fluid_.fluid_synth_noteoff(synth_, channel, data1);
      break;
    case 0x90:  // note on; velocity 0 is a note off
      if (data2 == 0) {
        fluid_.fluid_synth_noteoff(synth_, channel, data1);
      } else {
        fluid_.fluid_synth_noteon(synth_, channel, data1, data2);
      }
      break;
    case 0xA0:  // polyphonic key pressure
      fluid_.fluid_synth_key_pressure(synth_, channel, data1, data2);
      break;
    case 0xB0:  // control change
      fluid_.fluid_synth_cc(synth_, channel, data1, data2);
      break;
    case 0xC0:  // program change
      fluid_.fluid_synth_program_change(synth_, channel, data1);
      break;
    case 0xD0:  // channel pressure
      fluid_.fluid_synth_channel_pressure(synth_, channel, data1);
      break;
    case 0xE0:  // pitch bend, least significant 7 bits first
      fluid_.fluid_synth_pitch_bend(synth_, channel, data1 | (data2 << 7));
      break;
    case 0xF0:  // exclusive message: FluidSynth wants the bytes between F0 and F7
      if (message[0] == 0xF0 && message.size() >= 2 && message.back() == 0xF7)
        fluid_.fluid_synth_sysex(synth_, reinterpret_cast<const char*>(message.data()) + 1,
                                 static_cast<int>(message.size()) - 2, nullptr, nullptr, nullptr, 0);
      break;
  }
}

void FluidSynth::ReleaseAll() {
  const int channels = fluid_.fluid_synth_count_midi_channels(synth_);
  for (int channel = 0; channel < channels; ++channel) {
    fluid_.fluid_synth_cc(synth_, channel, 64, 0);  // sustain pedal up
    fluid_.fluid_synth_cc(synth_, channel, 66, 0);  // sostenuto pedal up
  }
  fluid_.fluid_synth_all_notes_off(synth_, -1);
}

void FluidSynth::Reset() { fluid_.fluid_synth_system_reset(synth_); }

void FluidSynth::WriteStereo(std::int16_t* stereo, int frames) {
  fluid_.fluid_synth_write_s16(synth_, frames, stereo, 0, 2, stereo, 1, 2);
}

}  // namespace vlm
