#include "cli/terminal_playback.h"

#include <unistd.h>

#include <chrono>
#include <thread>

#include "audio/fluid_output.h"
#include "audio/midi_out.h"
#include "cli/interrupt.h"

namespace vlmcli {

namespace {

// How long the last notes may ring on (their release and reverb) before the
// program ends and the sound with it: after the end of the file, after Ctrl+C.
constexpr auto DecayTime = std::chrono::milliseconds(1000);
constexpr auto StopDecayTime = std::chrono::milliseconds(150);

}  // namespace

std::unique_ptr<vlm::MidiFilePlayer> OpenTerminalPlayer(const char* program, const std::string& midiOut, bool quiet,
                                                         int& status) {
  std::unique_ptr<vlm::MidiFilePlayer> player;
  try {
    if (midiOut.empty()) {
      player = vlm::MakeFluidSynthPlayer();
    } else {
      std::string system;
      player = vlm::MakeMidiOutPlayer(vlm::ChooseMidiSystem(&system), midiOut);
      if (!quiet) std::fprintf(stderr, "%s: %s\n", program, system.c_str());
    }
    player->PrepareEngine();
    return player;
  } catch (const vlm::MidiPortError& e) {
    std::fprintf(stderr, "%s: %s\n", program, e.what());
    status = 2;
  } catch (const vlm::AudioDeviceError& e) {
    std::fprintf(stderr, "%s: %s\n", program, e.what());
    status = NoOutputStatus;
  } catch (const vlm::MediaError& e) {
    std::fprintf(stderr, "%s: %s\n", program, e.what());
    // A MIDI system that cannot be reached is an output missing; a SoundFont
    // that cannot be read is a broken installation.
    status = midiOut.empty() ? 2 : NoOutputStatus;
  }
  return nullptr;
}

int ListMidiOutputs(const char* program) {
  std::string system;
  const vlm::MidiSystem chosen = vlm::ChooseMidiSystem(&system);
  std::fprintf(stderr, "%s: %s\n", program, system.c_str());
  try {
    for (const std::string& port : vlm::ListMidiOutputs(chosen)) std::printf("%s\n", port.c_str());
  } catch (const vlm::MediaError& e) {
    std::fprintf(stderr, "%s: %s\n", program, e.what());
    return NoOutputStatus;
  }
  return 0;
}

void StopAndLetGo(vlm::MidiFilePlayer& player) {
  player.Stop();
  std::this_thread::sleep_for(StopDecayTime);
}

bool WaitWhilePlaying(vlm::MidiFilePlayer& player, std::FILE* out) {
  const InterruptGuard guard;
  const bool terminal = out && isatty(fileno(out));
  const double total = player.LengthSeconds();
  while (player.GetMode() == vlm::MediaPlayer::Mode::Playing && !Interrupted()) {
    if (terminal) {
      std::fprintf(out, "\r%6.1f / %.1f s", player.PositionSeconds(), total);
      std::fflush(out);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  const bool finished = !Interrupted();
  if (finished)
    std::this_thread::sleep_for(DecayTime);
  else
    StopAndLetGo(player);
  if (terminal) std::fprintf(out, "\r%6.1f / %.1f s%s\n", player.PositionSeconds(), total, finished ? "" : " (stopped)");
  return finished;
}

}  // namespace vlmcli
