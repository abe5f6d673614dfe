#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "common/atomic_file_writer.h"
#include "compiler/tsmf.h"

namespace vlm {

namespace {

// Writes Value (at most 0x0FFFFFFF) as a variable-length quantity at Out and
// returns the position after it.
std::uint8_t* PutDelta(std::uint8_t* Out, std::uint32_t Value) {
  if (Value < 0x80) {
    *Out = static_cast<std::uint8_t>(Value);
    return Out + 1;
  }
  int count = 1;
  while (count < 4 && (Value >> (7 * count)) != 0) ++count;
  for (int k = count - 1; k > 0; --k) *Out++ = static_cast<std::uint8_t>(((Value >> (7 * k)) & 0x7F) | 0x80);
  *Out++ = static_cast<std::uint8_t>(Value & 0x7F);
  return Out;
}

std::uint8_t* PutBytes(std::uint8_t* Out, std::initializer_list<std::uint8_t> Bytes) {
  for (const auto b : Bytes) *Out++ = b;
  return Out;
}

// Four bytes, the lowest first: one store where the machine allows.
void PutLittleEndian(std::uint8_t* Out, std::uint32_t Value) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(Out, &Value, sizeof Value);
  } else {
    for (int k = 0; k < 4; ++k) Out[k] = static_cast<std::uint8_t>(Value >> (8 * k));
  }
}

void PutUint32(std::uint8_t* Out, std::uint32_t Value) {
  for (int k = 0; k < 4; ++k) Out[k] = static_cast<std::uint8_t>(Value >> (8 * (3 - k)));
}

// Writes one track chunk at Out, adds its events to Counts, and returns the
// position after it. Negative times are written as 0. A delta is kept within
// 0..0x0FFFFFFF, the range of a four-byte quantity, so that no reader sees a
// corrupt file even when times near the 32-bit limit wrap around. Counting
// here spares the compile a second pass over every event.
std::uint8_t* PutTrack(std::uint8_t* Out, const Tivent& Store, TSmf::FileCounts& Counts) {
  std::uint8_t* const chunk = Out;
  Out = PutBytes(Out, {0x4D, 0x54, 0x72, 0x6B, 0, 0, 0, 0});
  std::int32_t previous = 0;  // 0..INT32_MAX, as every time written
  std::int64_t notes = 0;
  std::int32_t last = Counts.LastTick;
  Store.ForEachEvent([&](std::uint64_t word) {
    const std::int32_t time = SortWordTime(word);
    const std::uint32_t body = SortWordBody(word);
    last = std::max(last, time);
    // A note-on of velocity 0 is a note-off.
    notes += (body & 0xF0FF) == 0x9003 && (body >> 24) != 0;
    // Both times lie in 0..INT32_MAX, so their difference cannot overflow.
    const std::int32_t delta = std::clamp(std::max(time, 0) - previous, 0, 0x0FFFFFFF);
    previous += delta;
    const std::uint32_t length = body & 0xFF;
    if (length == Tivent::Outside) {
      Out = PutDelta(Out, static_cast<std::uint32_t>(delta));
      const std::int32_t len = Store.OutsideLength(body);
      std::memcpy(Out, Store.OutsideBytes(body), static_cast<std::size_t>(len));
      Out += len;
      return;
    }
    // A short event goes out as its whole body, the length byte replaced by
    // a one-byte delta (the commonest case: one store) or cut off after a
    // longer one; the bytes past the event (zero) land where the next event
    // or the track's end goes.
    if (delta < 0x80) {
      PutLittleEndian(Out, (body & 0xFFFFFF00u) | static_cast<std::uint32_t>(delta));
      Out += 1 + length;
    } else {
      Out = PutDelta(Out, static_cast<std::uint32_t>(delta));
      PutLittleEndian(Out, body >> 8);
      Out += length;
    }
  });
  Out = PutBytes(Out, {0x00, 0xFF, 0x2F, 0x00});
  PutUint32(chunk + 4, static_cast<std::uint32_t>(Out - chunk - 8));
  Counts.Events += Store.Count();
  Counts.Notes += notes;
  Counts.LastTick = last;
  return Out;
}

// The largest size of one track chunk of Store: every delta at four bytes.
std::size_t MostTrackBytes(const Tivent& Store) {
  return 12 + Store.ByteCount() + 4 * static_cast<std::size_t>(Store.Count());
}

// Sorts every store and puts the file to Put in pieces: the header, then
// each track chunk as soon as it is built. Each track is built in one
// buffer, sized once for the largest track, so that it stays in the cache
// and the whole file is never held. With a map (Map not null), each store is
// sorted with its notes' tags, and its notes are listed once its chunk is
// built, into the memory its events leave.
TSmf::FileCounts PutSmf(std::array<Tivent, TrackCount>& Stores, std::int32_t Timebase, NoteOrigins* Map,
                        const std::function<void(std::string_view)>& Put) {
  std::size_t largest = 0;
  std::uint32_t chunks = 0;
  for (const auto& store : Stores) {
    if (store.Count() == 0) continue;
    ++chunks;
    largest = std::max(largest, MostTrackBytes(store));
  }
  auto put = [&Put](const std::uint8_t* From, const std::uint8_t* To) {
    Put(std::string_view(reinterpret_cast<const char*>(From), static_cast<std::size_t>(To - From)));
  };
  std::array<std::uint8_t, 14> header{};
  PutBytes(header.data(), {0x4D, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 1,
                           static_cast<std::uint8_t>((chunks >> 8) & 0xFF), static_cast<std::uint8_t>(chunks & 0xFF),
                           static_cast<std::uint8_t>((Timebase >> 8) & 0xFF),
                           static_cast<std::uint8_t>(Timebase & 0xFF)});
  put(header.data(), header.data() + header.size());
  const auto track = std::make_unique_for_overwrite<std::uint8_t[]>(largest);
  TSmf::FileCounts counts;
  if (Map != nullptr) Map->StartList();
  for (std::size_t t = 0; t < Stores.size(); ++t) {
    Tivent& store = Stores[t];
    if (store.Count() == 0) continue;
    if (Map != nullptr)
      Map->SortTrack(t, store);
    else
      store.Sort();
    put(track.get(), PutTrack(track.get(), store, counts));
    if (Map != nullptr) Map->ListTrack(t, store);
  }
  return counts;
}

// The most bytes the file of Stores can take.
std::uint64_t MostFileBytes(const std::array<Tivent, TrackCount>& Stores) {
  std::uint64_t bound = 14;
  for (const auto& store : Stores)
    if (store.Count() > 0) bound += MostTrackBytes(store);
  return bound;
}

}  // namespace

// The file goes through the one safe writer (a temporary file, flushed to
// disk and renamed), so that a failed write or a crash never leaves a
// truncated MIDI file behind; its space is reserved first, which keeps the
// rename from waiting on the disk.
void TSmf::WriteSmf(const std::string& FileName) {
  AtomicFileWriter file(FileName);
  file.Reserve(MostFileBytes(TrackEvents));
  Written = PutSmf(TrackEvents, Timebase, MapsOrigins() ? &NoteMap : nullptr,
                   [&file](std::string_view Bytes) { file.Write(Bytes); });
  if (const auto failure = file.Commit()) throw CompileFailure(*failure);
  AddMessage("ok");
}

std::string TSmf::WriteSmfBytes() {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(MostFileBytes(TrackEvents)));
  Written = PutSmf(TrackEvents, Timebase, MapsOrigins() ? &NoteMap : nullptr,
                   [&bytes](std::string_view Piece) { bytes.append(Piece); });
  AddMessage("ok");
  return bytes;
}

std::int32_t TSmf::PutVarLen(std::uint32_t Value) {
  std::array<std::uint8_t, 5> b{};
  int count = 0;
  b[count++] = Value & 0x7F;
  Value >>= 7;
  while (Value > 0) {
    b[count++] = static_cast<std::uint8_t>((Value & 0x7F) | 0x80);
    Value >>= 7;
  }
  for (int i = 0; i < count; ++i) NumBuf[static_cast<std::size_t>(i)] = b[static_cast<std::size_t>(count - 1 - i)];
  return count;
}

std::int32_t TSmf::PutBigEndian(std::uint32_t Value) {
  std::array<std::uint8_t, 4> b{};
  int count = 0;
  b[count++] = Value & 0xFF;
  Value >>= 8;
  while (Value > 0) {
    b[count++] = static_cast<std::uint8_t>(Value & 0xFF);
    Value >>= 8;
  }
  for (int i = 0; i < count; ++i) NumBuf[static_cast<std::size_t>(i)] = b[static_cast<std::size_t>(count - 1 - i)];
  return count;
}

}  // namespace vlm
