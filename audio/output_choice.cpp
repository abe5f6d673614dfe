#include "audio/output_choice.h"

#include "audio/fluid_output.h"
#include "audio/midi_out.h"

namespace vlm {

MidiFilePlayer::EngineFactory OutputFactory(const std::string& midiDestination, const SynthOptions& synth) {
  if (midiDestination.empty()) return [synth] { return OpenFluidSynthOutput(synth); };
  // The system is chosen when the port opens: a sequencer may appear later.
  return [midiDestination] { return OpenMidiOutput(ChooseMidiSystem(), midiDestination); };
}

std::vector<std::string> MidiDestinations(std::string* system) {
  return ListMidiOutputs(ChooseMidiSystem(system));
}

}  // namespace vlm
