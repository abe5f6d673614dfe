#pragma once
// Where a render's samples go: a WAV file of our own making, or a FLAC or Ogg
// Vorbis file encoded by libsndfile, chosen by the file name's ending.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vlm {

// 16-bit interleaved frames in, a finished file out. Dropped without Finish,
// the file that was there stays as it was and no partial file is left.
class AudioFileWriter {
 public:
  virtual ~AudioFileWriter() = default;
  // Throws MediaError on a write failure.
  virtual void Write(const std::int16_t* samples, std::size_t frames) = 0;
  // Completes the file and puts it in place; throws MediaError.
  virtual void Finish() = 0;
  virtual std::int64_t Frames() const = 0;
};

enum class AudioFileFormat { Wav, Flac, OggVorbis };

// ".flac" is FLAC and ".ogg" or ".oga" Ogg Vorbis, in any case; any other
// name (a pipe, "-") gets WAV.
AudioFileFormat AudioFormatOf(const std::string& path);

// Throws MediaError, naming the file and the reason, when it cannot be made.
std::unique_ptr<AudioFileWriter> OpenAudioFileWriter(const std::string& path, int sampleRate, int channels);

}  // namespace vlm
