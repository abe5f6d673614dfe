#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <queue>
#include <string>
#include <utility>

#include "audio/midi_sequence.h"

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

// One playable message as a track holds it.
struct Decoded {
  std::int64_t tick = 0;
  std::uint8_t bytes[3]{};            // a channel message
  std::uint8_t size = 0;              // its bytes; 0 for an exclusive message
  std::size_t exclusiveAt = 0;        // where an exclusive message's data (F7 included) lies in the file
  std::uint32_t exclusiveLength = 0;  // its data bytes
};

// Walks one MTrk chunk from message to message without copying; every
// failure throws with the track and the offset from the start of the file.
class TrackCursor {
 public:
  TrackCursor(const std::vector<std::uint8_t>& bytes, std::size_t begin, std::size_t end, int track)
      : bytes_(bytes), at_(begin), end_(end), track_(track) {}

  // Reads up to the next playable message. Tempo changes on the way are
  // counted and go to tempo when one is given. False at the end-of-track
  // event, whose tick Tick() then holds.
  bool Next(Decoded& out, TempoMap* tempo);
  std::int64_t Tick() const { return tick_; }
  std::size_t TempoChanges() const { return tempoChanges_; }

 private:
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

  // Steps over count bytes; returns where they begin.
  std::size_t Skip(std::uint32_t count, const char* what) {
    if (count > end_ - at_) Fail(std::string(what) + " runs past the end of the chunk", at_);
    const std::size_t start = at_;
    at_ += count;
    return start;
  }

  const std::vector<std::uint8_t>& bytes_;
  std::size_t at_;
  std::size_t end_;
  int track_;
  std::int64_t tick_ = 0;
  std::uint8_t running_ = 0;  // running status; 0 when none is in effect
  std::size_t tempoChanges_ = 0;
};

int DataBytesOf(std::uint8_t status) {
  const int kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// An exclusive message a synthesizer can take whole: F0, 7-bit data, F7.
bool IsCompleteExclusive(const std::uint8_t* data, std::uint32_t length) {
  if (length == 0 || data[length - 1] != 0xF7) return false;
  return std::all_of(data, data + length - 1, [](std::uint8_t b) { return b < 0x80; });
}

// Message times are kept in 32 bits: a later message (beyond 71 minutes
// even at a microsecond a tick) is refused rather than cut.
constexpr std::int64_t LatestTick = 0xFFFFFFFF;

bool TrackCursor::Next(Decoded& out, TempoMap* tempo) {
  while (at_ < end_) {
    tick_ += VarLen("delta time");
    const std::size_t eventStart = at_;
    std::uint8_t status = Byte("event");
    std::uint8_t first = 0;  // first data byte when running status supplied the status
    bool haveFirst = false;
    if (status < 0x80) {
      if (running_ == 0) Fail("data byte " + Hex(status) + " where a status byte belongs", eventStart);
      first = status;
      haveFirst = true;
      status = running_;
    }
    if (status == 0xFF) {  // meta event: type, length, data
      const std::uint8_t type = Byte("meta event");
      if (type >= 0x80) Fail("meta event type " + Hex(type) + " has its top bit set", eventStart);
      const std::uint32_t length = VarLen("meta event length");
      const std::size_t data = Skip(length, "meta event");
      running_ = 0;
      if (type == 0x2F) {
        if (length != 0) Fail("end-of-track event with data", eventStart);
        if (at_ < end_) Fail("events after the end-of-track event", at_);
        return false;
      }
      if (type == 0x51) {
        if (length != 3) Fail("tempo event with " + std::to_string(length) + " data bytes instead of 3", eventStart);
        const std::uint32_t micros = (bytes_[data] << 16) | (bytes_[data + 1] << 8) | bytes_[data + 2];
        if (micros == 0) Fail("tempo of 0 microseconds per quarter note", eventStart);
        ++tempoChanges_;
        if (tempo) tempo->AddChange(tick_, micros);
      }
      continue;
    }
    if (tick_ > LatestTick) Fail("message later than tick " + std::to_string(LatestTick), eventStart);
    if (status == 0xF0 || status == 0xF7) {  // exclusive message or escaped bytes: length, data
      const std::uint32_t length = VarLen("exclusive message length");
      const std::size_t data = Skip(length, "exclusive message");
      running_ = 0;
      // Escaped packets and malformed messages are kept in the file but not
      // sent: a synthesizer cannot take them whole.
      if (status == 0xF0 && IsCompleteExclusive(bytes_.data() + data, length)) {
        out.tick = tick_;
        out.size = 0;
        out.exclusiveAt = data;
        out.exclusiveLength = length;
        return true;
      }
      continue;
    }
    if (status > 0xF0) Fail("system message " + Hex(status) + " in a file", eventStart);
    running_ = status;  // channel message
    out.tick = tick_;
    out.bytes[0] = status;
    out.size = static_cast<std::uint8_t>(1 + DataBytesOf(status));
    for (int i = 1; i < out.size; ++i) {
      const std::uint8_t data = (i == 1 && haveFirst) ? first : Byte("channel message");
      if (data >= 0x80) Fail("data byte " + Hex(data) + " has its top bit set", eventStart);
      out.bytes[i] = data;
    }
    return true;
  }
  Fail("no end-of-track event", at_);
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

// Builds a sequence's packed messages; the one writer of MessageList.
class SequenceBuilder {
 public:
  struct Track {
    std::size_t begin, end;  // the chunk's events in the file
    bool hasTempo;           // it holds a tempo change
  };

  // Reads each track three times at most, so that every structure is
  // allocated once at its final size: checking and counting, collecting the
  // tempo changes, and merging the tracks' messages in time order. Sorting
  // one list instead took a second copy of it.
  static void Build(const std::vector<std::uint8_t>& bytes, std::uint16_t division, const std::vector<Track>& tracks,
                    std::size_t messages, std::size_t exclusives, std::size_t exclusiveBytes, std::size_t tempoChanges,
                    MessageList& list) {
    list.tempo_ = TempoMap(division);
    list.tempo_.Reserve(tempoChanges);
    Decoded message;
    for (std::size_t k = 0; k < tracks.size(); ++k) {
      if (!tracks[k].hasTempo) continue;
      TrackCursor cursor(bytes, tracks[k].begin, tracks[k].end, static_cast<int>(k));
      while (cursor.Next(message, &list.tempo_)) {
      }
    }
    list.tempo_.Prepare();
    list.packed_.reserve(messages);
    list.exclusiveBytes_.reserve(exclusiveBytes);
    list.exclusiveStarts_.reserve(exclusives + 1);
    list.exclusiveStarts_.push_back(0);

    std::vector<TrackCursor> cursors;
    std::vector<Decoded> pending(tracks.size());
    cursors.reserve(tracks.size());
    // The track whose pending message is earliest, the lower track among equal times.
    using Entry = std::pair<std::int64_t, std::size_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> next;
    for (std::size_t k = 0; k < tracks.size(); ++k) {
      cursors.emplace_back(bytes, tracks[k].begin, tracks[k].end, static_cast<int>(k));
      if (cursors[k].Next(pending[k], nullptr)) next.emplace(pending[k].tick, k);
    }
    while (!next.empty()) {
      const std::size_t k = next.top().second;
      next.pop();
      Add(bytes, pending[k], k, list);
      if (cursors[k].Next(pending[k], nullptr)) next.emplace(pending[k].tick, k);
    }
  }

 private:
  static void Add(const std::vector<std::uint8_t>& bytes, const Decoded& m, std::size_t track, MessageList& list) {
    MessageList::Packed p{};
    p.tick = static_cast<std::uint32_t>(m.tick);
    p.track = static_cast<std::uint16_t>(track);
    p.size = m.size;
    if (m.size > 0) {
      std::copy(m.bytes, m.bytes + m.size, p.bytes);
    } else {
      p.exclusive = static_cast<std::uint32_t>(list.exclusiveStarts_.size() - 1);
      list.exclusiveBytes_.push_back(0xF0);
      list.exclusiveBytes_.insert(list.exclusiveBytes_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(m.exclusiveAt),
                                  bytes.begin() + static_cast<std::ptrdiff_t>(m.exclusiveAt + m.exclusiveLength));
      list.exclusiveStarts_.push_back(static_cast<std::uint32_t>(list.exclusiveBytes_.size()));
    }
    list.packed_.push_back(p);
  }
};

TimedMessage MessageList::operator[](std::size_t at) const {
  const Packed& p = packed_[at];
  TimedMessage m;
  m.seconds = tempo_.Seconds(p.tick);
  m.tick = p.tick;
  m.track = p.track;
  if (p.size > 0) {
    m.bytes = std::span<const std::uint8_t>(p.bytes, p.size);
  } else {
    const std::uint32_t begin = exclusiveStarts_[p.exclusive];
    m.bytes = std::span<const std::uint8_t>(exclusiveBytes_.data() + begin, exclusiveStarts_[p.exclusive + 1] - begin);
  }
  return m;
}

std::size_t MessageList::MemoryBytes() const {
  return packed_.capacity() * sizeof(Packed) + exclusiveBytes_.capacity() +
         exclusiveStarts_.capacity() * sizeof(std::uint32_t) + tempo_.MemoryBytes();
}

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

  // Every track is checked and counted before anything is kept.
  std::vector<SequenceBuilder::Track> tracks;
  std::size_t messages = 0, exclusives = 0, exclusiveBytes = 0, tempoChanges = 0;
  std::int64_t lastTick = 0;
  std::size_t at = 8 + headerLength;
  // Chunks of other types are skipped; bytes after the declared tracks are ignored.
  while (tracks.size() < declaredTracks) {
    if (bytes.size() - at < 8)
      throw SmfError("file ends after " + std::to_string(tracks.size()) + " of " + std::to_string(declaredTracks) +
                     " tracks");
    const std::uint32_t length = Big(bytes, at + 4, 4);
    if (length > bytes.size() - at - 8)
      throw SmfError("track " + std::to_string(tracks.size() + 1) + ": chunk of " + std::to_string(length) +
                     " bytes runs past the end of the file (byte " + std::to_string(at) + ")");
    if (ChunkIs(bytes, at, "MTrk")) {
      TrackCursor cursor(bytes, at + 8, at + 8 + length, static_cast<int>(tracks.size()));
      Decoded message;
      while (cursor.Next(message, nullptr)) {
        ++messages;
        if (message.size == 0) {
          ++exclusives;
          exclusiveBytes += 1 + message.exclusiveLength;
        }
      }
      lastTick = std::max(lastTick, cursor.Tick());
      tempoChanges += cursor.TempoChanges();
      tracks.push_back({at + 8, at + 8 + length, cursor.TempoChanges() > 0});
    }
    at += 8 + length;
  }
  sequence.trackCount = static_cast<int>(tracks.size());
  SequenceBuilder::Build(bytes, division, tracks, messages, exclusives, exclusiveBytes, tempoChanges,
                         sequence.messages);
  sequence.lengthSeconds = sequence.messages.Seconds(lastTick);
  sequence.lengthTicks = lastTick;
  sequence.division = division;
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
