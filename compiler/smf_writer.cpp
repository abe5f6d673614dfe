#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "common/text_file.h"
#include "compiler/tsmf.h"

namespace vlm {

namespace {

// Replaces FileName with Bytes through a temporary file in the same
// directory, so a failed write never leaves a truncated MIDI file behind.
// No flush to disk: every compile rewrites the file, and the rename alone
// already keeps a failure from leaving a half-written one.
void SaveAtomically(const std::string& FileName, const std::vector<std::uint8_t>& Bytes) {
  const std::string_view data(reinterpret_cast<const char*>(Bytes.data()), Bytes.size());
  if (const auto failure = WriteFileAtomically(FileName, data, false)) throw CompileFailure(*failure);
}

void PutBytes(std::vector<std::uint8_t>& out, std::initializer_list<std::uint8_t> bytes) {
  out.insert(out.end(), bytes);
}

}  // namespace

void TSmf::WriteSmf(const std::string& FileName) {
  std::vector<std::uint8_t> file;
  // Room for the whole file at once: each event takes its bytes and a delta
  // of at most four bytes, each chunk a header of 8 and an end of 4.
  std::size_t capacity = 14;
  for (const auto& store : TrackEvents)
    if (store.Count() > 0) capacity += 12 + store.ByteCount() + 4 * static_cast<std::size_t>(store.Count());
  file.reserve(capacity);
  for (auto& store : TrackEvents) store.Sort();
  std::uint32_t chunks = 0;
  PutBytes(file, {0x4D, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 1, 0, 0,
                  static_cast<std::uint8_t>((Timebase >> 8) & 0xFF),
                  static_cast<std::uint8_t>(Timebase & 0xFF)});
  std::array<std::uint8_t, Tivent::MaxEventBytes> buffer{};
  for (auto& store : TrackEvents) {
    if (store.Count() == 0) continue;
    ++chunks;
    const std::size_t chunkStart = file.size();
    PutBytes(file, {0x4D, 0x54, 0x72, 0x6B, 0, 0, 0, 0});
    std::uint32_t length = 0;
    std::int64_t previous = 0;
    for (std::int32_t i = 0; i < store.Count(); ++i) {
      std::int32_t time = 0;
      std::int32_t len = 0;
      store.GetEvent(i, time, buffer.data(), len);
      // Negative times are written as 0. A delta is kept within 0..0x0FFFFFFF,
      // the range of a four-byte quantity, so that no reader sees a corrupt file
      // even when times near the 32-bit limit wrap around.
      const std::int64_t t = time < 0 ? 0 : time;
      std::int64_t delta = t - previous;
      if (delta < 0) delta = 0;
      if (delta > 0x0FFFFFFF) delta = 0x0FFFFFFF;
      const std::int32_t n = PutVarLen(static_cast<std::uint32_t>(delta));
      previous += delta;
      const std::size_t at = file.size();
      file.resize(at + static_cast<std::size_t>(n + len));
      std::memcpy(file.data() + at, NumBuf.data(), static_cast<std::size_t>(n));
      std::memcpy(file.data() + at + n, buffer.data(), static_cast<std::size_t>(len));
      length += static_cast<std::uint32_t>(n + len);
    }
    PutBytes(file, {0x00, 0xFF, 0x2F, 0x00});
    length += 4;
    const std::int32_t n = PutBigEndian(length);
    for (int j = 0; j < 4; ++j)
      file[chunkStart + 4 + static_cast<std::size_t>(j)] = (j + n < 4) ? 0 : NumBuf[static_cast<std::size_t>(j + n - 4)];
  }
  file[10] = static_cast<std::uint8_t>((chunks >> 8) & 0xFF);
  file[11] = static_cast<std::uint8_t>(chunks & 0xFF);
  SaveAtomically(FileName, file);
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
