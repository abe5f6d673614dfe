#pragma once
// Writes 16-bit PCM WAV files. The file appears under its name only when
// Finish succeeds, so a failed render never leaves a truncated file behind.

#include <cstdint>
#include <fstream>
#include <string>

namespace vlm {

class WavWriter {
 public:
  // Throws MediaError when the file cannot be created.
  WavWriter(const std::string& path, int sampleRate, int channels);
  ~WavWriter();  // without Finish: removes the unfinished file
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Interleaved samples, frames × channels of them. Throws MediaError on a
  // write failure or when the data would outgrow what a WAV file can hold.
  void Write(const std::int16_t* samples, std::size_t frames);
  // Completes the header and puts the file in place; throws MediaError.
  void Finish();

  std::int64_t Frames() const { return frames_; }

  // The longest data a WAV file's 32-bit sizes can describe.
  static constexpr std::uint32_t MaxDataBytes = 0xFFFFFFFFu - 36;

 private:
  std::string path_;
  std::string tempPath_;
  std::ofstream out_;
  int sampleRate_;
  int channels_;
  std::int64_t frames_ = 0;
  bool finished_ = false;
};

}  // namespace vlm
