#include "audio/wav_writer.h"

#include <cstdio>
#include <filesystem>
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

WavWriter::WavWriter(const std::string& path, int sampleRate, int channels)
    : path_(path), tempPath_(path + ".tmp~"), sampleRate_(sampleRate), channels_(channels) {
  out_.open(tempPath_, std::ios::binary | std::ios::trunc);
  if (!out_) throw MediaError("The WAV file \"" + path + "\" cannot be created");
  const std::vector<char> header = Header(sampleRate_, channels_, 0);
  out_.write(header.data(), static_cast<std::streamsize>(header.size()));
}

WavWriter::~WavWriter() {
  if (finished_) return;
  out_.close();
  std::error_code ignored;
  std::filesystem::remove(tempPath_, ignored);
}

void WavWriter::Write(const std::int16_t* samples, std::size_t frames) {
  const std::size_t count = frames * static_cast<std::size_t>(channels_);
  const auto bytesSoFar = static_cast<std::uint64_t>(frames_) * static_cast<std::uint64_t>(channels_) * 2;
  if (bytesSoFar + count * 2 > MaxDataBytes) throw MediaError("The sound is too long for a WAV file: " + path_);
  std::vector<char> bytes;
  bytes.reserve(count * 2);
  for (std::size_t i = 0; i < count; ++i) PutLittle(bytes, static_cast<std::uint16_t>(samples[i]), 2);
  out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out_) throw MediaError("The WAV file \"" + path_ + "\" cannot be written (disk full?)");
  frames_ += static_cast<std::int64_t>(frames);
}

void WavWriter::Finish() {
  const auto dataBytes = static_cast<std::uint32_t>(frames_ * channels_ * 2);
  const std::vector<char> header = Header(sampleRate_, channels_, dataBytes);
  out_.seekp(0);
  out_.write(header.data(), static_cast<std::streamsize>(header.size()));
  out_.close();
  if (!out_) throw MediaError("The WAV file \"" + path_ + "\" cannot be written (disk full?)");
  std::error_code ec;
  std::filesystem::rename(tempPath_, path_, ec);
  if (ec) throw MediaError("The WAV file \"" + path_ + "\" cannot be written (" + ec.message() + ")");
  finished_ = true;
}

}  // namespace vlm
