#include "roll/smf_events.h"

#include <algorithm>
#include <deque>
#include <map>
#include <string>
#include <tuple>

namespace vlm::roll {

namespace {

// Walks the bytes with bounds checks; every failure names the offset.
class ByteCursor {
 public:
  ByteCursor(std::string_view bytes, std::size_t at, std::size_t end) : bytes_(bytes), at_(at), end_(end) {}

  std::size_t At() const { return at_; }
  bool AtEnd() const { return at_ >= end_; }
  std::uint8_t Byte() {
    if (at_ >= end_) Fail("data ends early");
    return static_cast<std::uint8_t>(bytes_[at_++]);
  }
  std::uint32_t Fixed(int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | Byte();
    return value;
  }
  // A variable-length quantity: at most four bytes, as the format allows.
  std::uint32_t Variable() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const std::uint8_t b = Byte();
      value = value << 7 | (b & 0x7F);
      if (!(b & 0x80)) return value;
    }
    Fail("variable-length number longer than four bytes");
  }
  std::string_view Take(std::uint32_t count) {
    if (count > end_ - at_) Fail("data ends early");
    const std::string_view taken = bytes_.substr(at_, count);
    at_ += count;
    return taken;
  }
  [[noreturn]] void Fail(const std::string& what) const {
    throw SmfReadError(what + " (byte " + std::to_string(at_) + ")");
  }

 private:
  std::string_view bytes_;
  std::size_t at_;
  std::size_t end_;
};

// Reads one MTrk chunk's events into events; onCount numbers the note-ons.
void ReadChunk(ByteCursor cursor, std::int32_t chunk, SmfEvents& events, std::int32_t& onCount) {
  std::map<std::pair<int, int>, std::deque<std::size_t>> open;  // (channel, pitch) -> sounding notes, oldest first
  std::int64_t tick = 0;
  std::uint8_t status = 0;
  while (!cursor.AtEnd()) {
    tick += cursor.Variable();
    std::uint8_t first = cursor.Byte();
    if (first & 0x80) {
      status = first;
      if (status < 0xF0) first = cursor.Byte();
    } else if (status == 0 || status >= 0xF0) {
      cursor.Fail("running status without a status byte");
    }
    if (status == 0xFF) {  // meta event: type, length, data
      const std::uint8_t type = cursor.Byte();
      const std::string_view data = cursor.Take(cursor.Variable());
      status = 0;
      if (type == 0x2F) break;  // end of track
      if (type == 0x51 && data.size() == 3) {
        const auto b = [&](int i) { return static_cast<std::int32_t>(static_cast<std::uint8_t>(data[i])); };
        events.Tempos.push_back({tick, b(0) << 16 | b(1) << 8 | b(2)});
      } else if (type == 0x58 && data.size() >= 2 && tick == 0) {
        events.BeatsPerBar = std::max(1, static_cast<int>(static_cast<std::uint8_t>(data[0])));
        events.BeatUnit = 1 << std::min(6, static_cast<int>(static_cast<std::uint8_t>(data[1])));
      }
      continue;
    }
    if (status == 0xF0 || status == 0xF7) {  // exclusive message: length, data
      cursor.Take(cursor.Variable());
      status = 0;
      continue;
    }
    if (status > 0xF0) cursor.Fail("system message inside a track");
    const int kind = status & 0xF0;
    const int channel = status & 0x0F;
    const int data1 = first & 0x7F;
    const int data2 = (kind == 0xC0 || kind == 0xD0) ? 0 : cursor.Byte() & 0x7F;
    if (kind == 0x90 && data2 > 0) {  // note-on
      events.Notes.push_back({chunk, channel, data1, data2, tick, 0, onCount++});
      open[{channel, data1}].push_back(events.Notes.size() - 1);
    } else if (kind == 0x80 || kind == 0x90) {  // note-off, or note-on of velocity 0
      auto found = open.find({channel, data1});
      if (found != open.end() && !found->second.empty()) {
        SmfNote& note = events.Notes[found->second.front()];
        note.LengthTicks = tick - note.StartTick;
        found->second.pop_front();
      }
    } else if (kind == 0xE0) {  // pitch bend, low 7 bits first
      events.Bends.push_back({chunk, channel, tick, (data2 << 7 | data1) - 8192});
    }
  }
  for (auto& [key, notes] : open)
    for (const std::size_t at : notes) events.Notes[at].LengthTicks = tick - events.Notes[at].StartTick;
  events.EndTick = std::max(events.EndTick, tick);
}

}  // namespace

SmfEvents ReadSmfEvents(std::string_view bytes) {
  ByteCursor header(bytes, 0, bytes.size());
  if (header.Take(4) != "MThd") header.Fail("no MThd header");
  const std::uint32_t headerLength = header.Fixed(4);
  if (headerLength < 6) header.Fail("header shorter than six bytes");
  const std::uint32_t format = header.Fixed(2);
  const std::uint32_t chunks = header.Fixed(2);
  const std::uint32_t division = header.Fixed(2);
  header.Take(headerLength - 6);
  if (format > 1) header.Fail("format " + std::to_string(format) + " is not read");
  if (division == 0 || division & 0x8000) header.Fail("the division is not ticks per quarter note");
  SmfEvents events;
  events.Timebase = static_cast<std::int32_t>(division);
  std::int32_t onCount = 0;
  for (std::uint32_t chunk = 0; chunk < chunks && !header.AtEnd(); ++chunk) {
    const std::string_view id = header.Take(4);
    const std::uint32_t length = header.Fixed(4);
    const std::size_t begin = header.At();
    header.Take(length);
    if (id != "MTrk") continue;  // unknown chunks are skipped, as the format asks
    ReadChunk(ByteCursor(bytes, begin, begin + length), static_cast<std::int32_t>(chunk), events, onCount);
  }
  std::stable_sort(events.Notes.begin(), events.Notes.end(),
                   [](const SmfNote& a, const SmfNote& b) { return a.StartTick < b.StartTick; });
  std::stable_sort(events.Bends.begin(), events.Bends.end(), [](const SmfBend& a, const SmfBend& b) {
    return std::tie(a.Chunk, a.Channel, a.Tick) < std::tie(b.Chunk, b.Channel, b.Tick);
  });
  std::stable_sort(events.Tempos.begin(), events.Tempos.end(),
                   [](const SmfTempo& a, const SmfTempo& b) { return a.Tick < b.Tick; });
  if (events.Tempos.empty() || events.Tempos.front().Tick > 0) events.Tempos.insert(events.Tempos.begin(), SmfTempo{});
  return events;
}

}  // namespace vlm::roll
