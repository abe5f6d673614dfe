#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
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

void PutUint32(std::uint8_t* Out, std::uint32_t Value) {
  for (int k = 0; k < 4; ++k) Out[k] = static_cast<std::uint8_t>(Value >> (8 * (3 - k)));
}

static_assert(sizeof(TiventRec) == 4 && offsetof(TiventRec, Len) == 0 && offsetof(TiventRec, Bytes) == 1,
              "PutTrack stores a record as one word, its first byte the length");

// Writes one track chunk at Out and returns the position after it. Negative
// times are written as 0. A delta is kept within 0..0x0FFFFFFF, the range of
// a four-byte quantity, so that no reader sees a corrupt file even when times
// near the 32-bit limit wrap around.
std::uint8_t* PutTrack(std::uint8_t* Out, const Tivent& Store) {
  std::uint8_t* const chunk = Out;
  Out = PutBytes(Out, {0x4D, 0x54, 0x72, 0x6B, 0, 0, 0, 0});
  std::int64_t previous = 0;
  Store.ForEachEvent([&](std::int32_t time, const TiventRec& rec) {
    const std::int64_t t = time < 0 ? 0 : time;
    std::int64_t delta = t - previous;
    if (delta < 0) delta = 0;
    if (delta > 0x0FFFFFFF) delta = 0x0FFFFFFF;
    previous += delta;
    if constexpr (std::endian::native == std::endian::little) {
      // The commonest case, a one-byte delta before a short event, is one
      // store: the record's first byte (its length) replaced by the delta
      // leaves the delta followed by the event's bytes.
      if (delta < 0x80 && rec.Len != TiventRec::Outside) {
        std::uint32_t word;
        std::memcpy(&word, &rec, sizeof word);
        word = (word & 0xFFFFFF00u) | static_cast<std::uint32_t>(delta);
        std::memcpy(Out, &word, sizeof word);
        Out += 1 + rec.Len;
        return;
      }
    }
    Out = PutDelta(Out, static_cast<std::uint32_t>(delta));
    // A short event is copied as all the bytes its record can hold; those
    // past its end land where the next event or the track's end goes.
    if (rec.Len != TiventRec::Outside) {
      std::memcpy(Out, rec.Bytes, TiventRec::InlineBytes);
      Out += rec.Len;
    } else {
      const std::int32_t len = Store.EventLength(rec);
      std::memcpy(Out, Store.EventBytes(rec), static_cast<std::size_t>(len));
      Out += len;
    }
  });
  Out = PutBytes(Out, {0x00, 0xFF, 0x2F, 0x00});
  PutUint32(chunk + 4, static_cast<std::uint32_t>(Out - chunk - 8));
  return Out;
}

}  // namespace

// Each track is built in one buffer, sized once for the largest track the
// stores can give (every delta at four bytes), and written out before the
// next: the buffer stays in the cache and the whole file is never held. A
// large song's tracks are written while the later ones are still being
// sorted, and tracks sorted ahead during the compile take that order. The
// file goes through a temporary file and a rename, so that a
// failed write never leaves a truncated MIDI file behind; its space is
// reserved first, which keeps the rename from waiting on the disk. No flush to disk:
// every compile rewrites the file, and the rename alone already keeps a
// failure from leaving a half-written one.
void TSmf::WriteSmf(const std::string& FileName) {
  std::size_t largest = 0;
  std::uint64_t bound = 14;  // the header and every track at its largest
  std::uint32_t chunks = 0;
  for (const auto& store : TrackEvents) {
    if (store.Count() == 0) continue;
    ++chunks;
    const std::size_t most = 12 + store.ByteCount() + 4 * static_cast<std::size_t>(store.Count());
    largest = std::max(largest, most);
    bound += most;
  }
  AtomicFileWriter file(FileName);
  file.Reserve(bound);
  auto write = [&file](const std::uint8_t* From, const std::uint8_t* To) {
    file.Write(std::string_view(reinterpret_cast<const char*>(From), static_cast<std::size_t>(To - From)));
  };
  std::array<std::uint8_t, 14> header{};
  PutBytes(header.data(), {0x4D, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 1,
                           static_cast<std::uint8_t>((chunks >> 8) & 0xFF), static_cast<std::uint8_t>(chunks & 0xFF),
                           static_cast<std::uint8_t>((Timebase >> 8) & 0xFF),
                           static_cast<std::uint8_t>(Timebase & 0xFF)});
  write(header.data(), header.data() + header.size());
  const auto track = std::make_unique_for_overwrite<std::uint8_t[]>(largest);
  Ahead.Stop();
  Tivent::SortAll(
      TrackEvents, [&](const Tivent& store) { if (store.Count() > 0) write(track.get(), PutTrack(track.get(), store)); },
      [this](Tivent& store) { return Ahead.TakeSorted(store); });
  if (const auto failure = file.Commit(false)) throw CompileFailure(*failure);
  AddMessage("ok");
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
