#include "cli/terminal_playback.h"

#include <unistd.h>

#include <chrono>
#include <thread>

#include "cli/interrupt.h"

namespace vlmcli {

namespace {

// How long the last notes may ring on (their release and reverb) before the
// program ends and the sound with it: after the end of the file, after Ctrl+C.
constexpr auto DecayTime = std::chrono::milliseconds(1000);
constexpr auto StopDecayTime = std::chrono::milliseconds(150);

}  // namespace

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
  if (!finished) player.Stop();
  std::this_thread::sleep_for(finished ? DecayTime : StopDecayTime);
  if (terminal) std::fprintf(out, "\r%6.1f / %.1f s%s\n", player.PositionSeconds(), total, finished ? "" : " (stopped)");
  return finished;
}

}  // namespace vlmcli
