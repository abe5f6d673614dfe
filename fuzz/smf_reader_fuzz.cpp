// libFuzzer entry point of the MIDI file reader that the player and the
// renderer use: arbitrary bytes are one file. A file is either refused with
// SmfError or read into a sequence that keeps the reader's promises, which
// are checked here so that a wrong result counts as much as a crash.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <vector>

#include "audio/midi_sequence.h"

namespace {

[[noreturn]] void Broken(const char* promise) {
  std::fprintf(stderr, "MIDI file reader broke its promise: %s\n", promise);
  std::abort();
}

void Expect(bool holds, const char* promise) {
  if (!holds) Broken(promise);
}

// A message a synthesizer takes: a channel message of the length its status
// calls for, or a whole exclusive message F0 ... F7 of 7-bit data.
bool Playable(const std::vector<std::uint8_t>& m) {
  if (m.empty()) return false;
  const std::uint8_t status = m[0];
  if (status == 0xF0) {
    if (m.size() < 2 || m.back() != 0xF7) return false;
    for (std::size_t i = 1; i + 1 < m.size(); ++i)
      if (m[i] >= 0x80) return false;
    return true;
  }
  if (status < 0x80 || status >= 0xF0) return false;
  const std::size_t length = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 2 : 3;
  if (m.size() != length) return false;
  for (std::size_t i = 1; i < m.size(); ++i)
    if (m[i] >= 0x80) return false;
  return true;
}

void CheckSequence(const vlm::MidiSequence& s, const std::uint8_t* data) {
  const int declaredTracks = data[10] << 8 | data[11];
  Expect(s.format == 0 || s.format == 1, "format 0 or 1");
  Expect(s.trackCount == declaredTracks, "every declared track read");
  Expect(std::isfinite(s.lengthSeconds) && s.lengthSeconds >= 0, "a finite, non-negative length");
  const vlm::TimedMessage* previous = nullptr;
  for (const auto& m : s.messages) {
    Expect(Playable(m.bytes), "only playable messages");
    Expect(m.track >= 0 && m.track < s.trackCount, "a message's track exists");
    Expect(m.tick >= 0, "no negative tick");
    Expect(std::isfinite(m.seconds) && m.seconds >= 0, "finite, non-negative seconds");
    Expect(m.seconds <= s.lengthSeconds, "no message after the length");
    if (previous) {
      Expect(previous->tick <= m.tick, "ordered by tick");
      Expect(previous->seconds <= m.seconds, "seconds rise with ticks");
      Expect(previous->tick < m.tick || previous->track <= m.track, "equal ticks in track order");
    }
    previous = &m;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  try {
    CheckSequence(vlm::ParseMidiFile(bytes), data);
  } catch (const vlm::SmfError&) {
    // A file that is not a well-formed MIDI file is refused by design.
  }
  return 0;
}
