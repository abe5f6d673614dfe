#include <cmath>
#include <optional>
#include <span>

#include "audio/midi_sequence.h"
#include "fuzz/checks.h"

namespace vlmfuzz {

namespace {

// A message a synthesizer takes: a channel message of the length its status
// calls for, or a whole exclusive message F0 ... F7 of 7-bit data.
bool Playable(std::span<const std::uint8_t> m) {
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

// declaredTracks: the count in the header, bytes 10 and 11.
std::string CheckSequence(const vlm::MidiSequence& s, int declaredTracks) {
  if (s.format != 0 && s.format != 1) return "format 0 or 1";
  if (s.trackCount != declaredTracks) return "every declared track read";
  if (!std::isfinite(s.lengthSeconds) || s.lengthSeconds < 0) return "a finite, non-negative length";
  std::optional<vlm::TimedMessage> previous;
  for (const vlm::TimedMessage m : s.messages) {
    if (!Playable(m.bytes)) return "only playable messages";
    if (m.track < 0 || m.track >= s.trackCount) return "a message's track exists";
    if (m.tick < 0) return "no negative tick";
    if (!std::isfinite(m.seconds) || m.seconds < 0) return "finite, non-negative seconds";
    if (m.seconds > s.lengthSeconds) return "no message after the length";
    if (previous) {
      if (previous->tick > m.tick) return "ordered by tick";
      if (previous->seconds > m.seconds) return "seconds rise with ticks";
      if (previous->tick == m.tick && previous->track > m.track) return "equal ticks in track order";
    }
    previous = m;
  }
  return {};
}

}  // namespace

std::string CheckMidiFile(std::span<const std::uint8_t> bytes) {
  const std::vector<std::uint8_t> file(bytes.begin(), bytes.end());
  try {
    const vlm::MidiSequence sequence = vlm::ParseMidiFile(file);
    if (file.size() < 12) return "a file too short for a header is refused";
    return CheckSequence(sequence, file[10] << 8 | file[11]);
  } catch (const vlm::SmfError&) {
    return {};  // a file that is not a well-formed MIDI file is refused by design
  }
}

}  // namespace vlmfuzz
