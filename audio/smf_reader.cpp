#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "audio/midi_sequence.h"
#include "audio/tempo_map.h"

namespace vlm {

namespace {

// Files larger than this are refused before they are read: a phrase file is a
// few kilobytes, and the limit keeps a wrong file name from eating memory.
constexpr std::uintmax_t MaxFileBytes = 64u << 20;

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

// Reads one chunk's bytes; every failure throws with the track and the
// offset from the start of the file.
class TrackReader {
 public:
  TrackReader(const std::vector<std::uint8_t>& bytes, std::size_t begin, std::size_t end, int track)
      : bytes_(bytes), at_(begin), end_(end), track_(track) {}

  bool AtEnd() const { return at_ >= end_; }
  std::size_t Offset() const { return at_; }

  [[noreturn]] void Fail(const std::string& what, std::size_t offset) const {
    throw SmfError("track " + std::to_string(track_ + 1) + ": " + what + " (byte " + std::to_string(offset) + ")");
  }

  std::uint8_t Byte(const char* what) {
    if (at_ >= end_) Fail(std::string("chunk ends inside ") + what, at_);
    return bytes_[at_++];
  }

  // A variable-length quantity: at most four bytes, seven bits each.
  std::uint32_t VarLen(const char* what) {
    const std::size_t start = at_;
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const std::uint8_t b = Byte(what);
      value = (value << 7) | (b & 0x7F);
      if (!(b & 0x80)) return value;
    }
    Fail(std::string(what) + " longer than four bytes", start);
  }

  std::vector<std::uint8_t> Bytes(std::uint32_t count, const char* what) {
    if (count > end_ - at_) Fail(std::string(what) + " runs past the end of the chunk", at_);
    std::vector<std::uint8_t> out(bytes_.begin() + static_cast<std::ptrdiff_t>(at_),
                                  bytes_.begin() + static_cast<std::ptrdiff_t>(at_ + count));
    at_ += count;
    return out;
  }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t at_;
  std::size_t end_;
  int track_;
};

int DataBytesOf(std::uint8_t status) {
  const int kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// An exclusive message a synthesizer can take whole: F0, 7-bit data, F7.
bool IsCompleteExclusive(const std::vector<std::uint8_t>& data) {
  if (data.empty() || data.back() != 0xF7) return false;
  return std::all_of(data.begin(), data.end() - 1, [](std::uint8_t b) { return b < 0x80; });
}

// Reads one MTrk chunk: its playable messages go to out, its tempo changes to
// tempo. Returns the tick of its end-of-track event.
std::int64_t ReadTrack(TrackReader& r, int track, std::vector<TimedMessage>& out, TempoMap& tempo) {
  std::int64_t tick = 0;
  std::uint8_t running = 0;  // running status; 0 when none is in effect
  while (!r.AtEnd()) {
    tick += r.VarLen("delta time");
    const std::size_t eventStart = r.Offset();
    std::uint8_t status = r.Byte("event");
    std::uint8_t first = 0;  // first data byte when running status supplied the status
    bool haveFirst = false;
    if (status < 0x80) {
      if (running == 0) r.Fail("data byte " + Hex(status) + " where a status byte belongs", eventStart);
      first = status;
      haveFirst = true;
      status = running;
    }
    if (status == 0xFF) {  // meta event: type, length, data
      const std::uint8_t type = r.Byte("meta event");
      if (type >= 0x80) r.Fail("meta event type " + Hex(type) + " has its top bit set", eventStart);
      const std::uint32_t length = r.VarLen("meta event length");
      const std::vector<std::uint8_t> data = r.Bytes(length, "meta event");
      running = 0;
      if (type == 0x2F) {
        if (length != 0) r.Fail("end-of-track event with data", eventStart);
        if (!r.AtEnd()) r.Fail("events after the end-of-track event", r.Offset());
        return tick;
      }
      if (type == 0x51) {
        if (length != 3) r.Fail("tempo event with " + std::to_string(length) + " data bytes instead of 3", eventStart);
        const std::uint32_t micros = (data[0] << 16) | (data[1] << 8) | data[2];
        if (micros == 0) r.Fail("tempo of 0 microseconds per quarter note", eventStart);
        tempo.AddChange(tick, micros);
      }
    } else if (status == 0xF0 || status == 0xF7) {  // exclusive message or escaped bytes: length, data
      const std::uint32_t length = r.VarLen("exclusive message length");
      std::vector<std::uint8_t> data = r.Bytes(length, "exclusive message");
      running = 0;
      // Escaped packets and malformed messages are kept in the file but not
      // sent: a synthesizer cannot take them whole.
      if (status == 0xF0 && IsCompleteExclusive(data)) {
        data.insert(data.begin(), 0xF0);
        out.push_back({0, tick, track, std::move(data)});
      }
    } else if (status > 0xF0) {
      r.Fail("system message " + Hex(status) + " in a file", eventStart);
    } else {  // channel message
      running = status;
      std::vector<std::uint8_t> message{status};
      for (int i = 0; i < DataBytesOf(status); ++i) {
        const std::uint8_t data = (i == 0 && haveFirst) ? first : r.Byte("channel message");
        if (data >= 0x80) r.Fail("data byte " + Hex(data) + " has its top bit set", eventStart);
        message.push_back(data);
      }
      out.push_back({0, tick, track, std::move(message)});
    }
  }
  r.Fail("no end-of-track event", r.Offset());
}

std::uint32_t Big(const std::vector<std::uint8_t>& b, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 8) | b[at + static_cast<std::size_t>(i)];
  return value;
}

bool ChunkIs(const std::vector<std::uint8_t>& b, std::size_t at, const char* id) {
  return std::equal(id, id + 4, b.begin() + static_cast<std::ptrdiff_t>(at));
}

void CheckDivision(std::uint16_t division) {
  if (division & 0x8000) {
    const int framesPerSecond = -static_cast<std::int8_t>(division >> 8);
    if (framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29 && framesPerSecond != 30)
      throw SmfError("header: " + std::to_string(framesPerSecond) + " SMPTE frames per second is not a valid rate");
    if ((division & 0xFF) == 0) throw SmfError("header: 0 ticks per SMPTE frame");
  } else if (division == 0) {
    throw SmfError("header: 0 ticks per quarter note");
  }
}

}  // namespace

MidiSequence ParseMidiFile(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < 14 || !ChunkIs(bytes, 0, "MThd"))
    throw SmfError("no MThd header at its start (too short, or another kind of file)");
  const std::uint32_t headerLength = Big(bytes, 4, 4);
  if (headerLength < 6) throw SmfError("header: chunk of " + std::to_string(headerLength) + " bytes, 6 needed");
  if (headerLength > bytes.size() - 8) throw SmfError("header: chunk runs past the end of the file");
  MidiSequence sequence;
  const std::uint32_t format = Big(bytes, 8, 2);
  const std::uint32_t declaredTracks = Big(bytes, 10, 2);
  const auto division = static_cast<std::uint16_t>(Big(bytes, 12, 2));
  if (format == 2) throw SmfError("header: format 2 (independent sequences) cannot be played");
  if (format > 2) throw SmfError("header: unknown format " + std::to_string(format));
  // A format 1 file without tracks is what the compiler writes for a source
  // without events: it plays as silence.
  if (format == 0 && declaredTracks != 1)
    throw SmfError("header: format 0 with " + std::to_string(declaredTracks) + " tracks instead of 1");
  CheckDivision(division);
  sequence.format = static_cast<int>(format);

  TempoMap tempo(division);
  std::int64_t lastTick = 0;
  std::size_t at = 8 + headerLength;
  // Chunks of other types are skipped; bytes after the declared tracks are ignored.
  while (sequence.trackCount < static_cast<int>(declaredTracks)) {
    if (bytes.size() - at < 8)
      throw SmfError("file ends after " + std::to_string(sequence.trackCount) + " of " +
                     std::to_string(declaredTracks) + " tracks");
    const std::uint32_t length = Big(bytes, at + 4, 4);
    if (length > bytes.size() - at - 8)
      throw SmfError("track " + std::to_string(sequence.trackCount + 1) + ": chunk of " + std::to_string(length) +
                     " bytes runs past the end of the file (byte " + std::to_string(at) + ")");
    if (ChunkIs(bytes, at, "MTrk")) {
      TrackReader reader(bytes, at + 8, at + 8 + length, sequence.trackCount);
      lastTick = std::max(lastTick, ReadTrack(reader, sequence.trackCount, sequence.messages, tempo));
      ++sequence.trackCount;
    }
    at += 8 + length;
  }

  // Messages were appended track by track in file order, so a stable sort by
  // tick keeps track order, then file order, among equal times.
  std::stable_sort(sequence.messages.begin(), sequence.messages.end(),
                   [](const TimedMessage& a, const TimedMessage& b) { return a.tick < b.tick; });
  for (TimedMessage& m : sequence.messages) m.seconds = tempo.Seconds(m.tick);
  sequence.lengthSeconds = tempo.Seconds(lastTick);
  return sequence;
}

MidiSequence LoadMidiFile(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::exists(path, ec)) throw SmfError(path + ": no such file");
  if (!fs::is_regular_file(path, ec)) throw SmfError(path + ": not a regular file");
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec) throw SmfError(path + ": cannot be read (" + ec.message() + ")");
  if (size > MaxFileBytes)
    throw SmfError(path + ": " + std::to_string(size) + " bytes is too large for a MIDI file");
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
    throw SmfError(path + ": cannot be read (" + std::strerror(errno) + ")");
  try {
    return ParseMidiFile(bytes);
  } catch (const SmfError& e) {
    throw SmfError(path + " is not a valid MIDI file: " + e.what());
  }
}

}  // namespace vlm
