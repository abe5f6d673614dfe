#include "audio/wav_writer.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "common/media_player.h"

namespace vlm {

namespace {

void PutLittle(std::vector<char>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// The 44-byte header of a PCM WAV file with dataBytes of samples.
std::vector<char> Header(int sampleRate, int channels, std::uint32_t dataBytes) {
  std::vector<char> h;
  const auto rate = static_cast<std::uint32_t>(sampleRate);
  const auto blockAlign = static_cast<std::uint32_t>(channels * 2);
  for (char c : std::string("RIFF")) h.push_back(c);
  PutLittle(h, 36 + dataBytes, 4);
  for (char c : std::string("WAVEfmt ")) h.push_back(c);
  PutLittle(h, 16, 4);  // size of the format chunk
  PutLittle(h, 1, 2);   // PCM
  PutLittle(h, static_cast<std::uint32_t>(channels), 2);
  PutLittle(h, rate, 4);
  PutLittle(h, rate * blockAlign, 4);  // bytes per second
  PutLittle(h, blockAlign, 2);
  PutLittle(h, 16, 2);  // bits per sample
  for (char c : std::string("data")) h.push_back(c);
  PutLittle(h, dataBytes, 4);
  return h;
}

}  // namespace

// A stream cannot be patched at its end: its header gives the largest sizes,
// which players read as "until the data ends".
WavWriter::WavWriter(const std::string& path, int sampleRate, int channels)
    : path_(path), out_(path), sampleRate_(sampleRate), channels_(channels) {
  if (out_.ErrorNumber() != 0)
    throw MediaError("The WAV file \"" + path + "\" cannot be created: " + std::strerror(out_.ErrorNumber()));
  const std::vector<char> header = Header(sampleRate_, channels_, out_.InPlace() ? MaxDataBytes : 0);
  out_.Write(std::string_view(header.data(), header.size()));
}

void WavWriter::Fail(const std::string& what) const {
  throw MediaError("The WAV file \"" + path_ + "\" " + what + ": " + std::strerror(out_.ErrorNumber()));
}

void WavWriter::Write(const std::int16_t* samples, std::size_t frames) {
  const std::size_t count = frames * static_cast<std::size_t>(channels_);
  const auto bytesSoFar = static_cast<std::uint64_t>(frames_) * static_cast<std::uint64_t>(channels_) * 2;
  if (bytesSoFar + count * 2 > MaxDataBytes) throw MediaError("The sound is too long for a WAV file: " + path_);
  std::vector<char> bytes;
  bytes.reserve(count * 2);
  for (std::size_t i = 0; i < count; ++i) PutLittle(bytes, static_cast<std::uint16_t>(samples[i]), 2);
  out_.Write(std::string_view(bytes.data(), bytes.size()));
  if (out_.ErrorNumber() != 0) Fail("cannot be written");
  frames_ += static_cast<std::int64_t>(frames);
}

void WavWriter::Finish() {
  if (!out_.InPlace()) {
    const auto dataBytes = static_cast<std::uint32_t>(frames_ * channels_ * 2);
    const std::vector<char> header = Header(sampleRate_, channels_, dataBytes);
    out_.WriteAt(0, std::string_view(header.data(), header.size()));
  }
  if (const auto failure = out_.Commit())
    throw MediaError("The WAV file cannot be written: " + *failure);
}

}  // namespace vlm
