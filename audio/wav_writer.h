#pragma once
// Writes 16-bit PCM WAV files through the atomic writer: a regular file
// appears under its name only when Finish succeeds, so a failed render never
// leaves a truncated file behind; a pipe or a device is written as a stream.

#include <cstdint>
#include <string>

#include "audio/audio_file_writer.h"
#include "common/atomic_file_writer.h"

namespace vlm {

class WavWriter final : public AudioFileWriter {
 public:
  // Throws MediaError, naming the file and the reason, when it cannot be created.
  WavWriter(const std::string& path, int sampleRate, int channels);
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Interleaved samples, frames × channels of them. Throws MediaError on a
  // write failure or when the data would outgrow what a WAV file can hold.
  void Write(const std::int16_t* samples, std::size_t frames) override;
  // Completes the header and puts the file in place; throws MediaError.
  void Finish() override;

  std::int64_t Frames() const override { return frames_; }

  // The longest data a WAV file's 32-bit sizes can describe.
  static constexpr std::uint32_t MaxDataBytes = 0xFFFFFFFFu - 36;

 private:
  [[noreturn]] void Fail(const std::string& what) const;

  std::string path_;
  AtomicFileWriter out_;  // dropped without Finish: the old file stays
  int sampleRate_;
  int channels_;
  std::int64_t frames_ = 0;
};

}  // namespace vlm
