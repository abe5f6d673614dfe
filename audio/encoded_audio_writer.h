#pragma once
// FLAC and Ogg Vorbis files through libsndfile. The encoder writes into
// memory (FLAC goes back to its header at the end), and Finish hands the
// bytes to the atomic writer, so a failed render leaves no partial file.

#include <sndfile.h>

#include <string>

#include "audio/audio_file_writer.h"

namespace vlm {

class EncodedAudioWriter final : public AudioFileWriter {
 public:
  // Format is Flac or OggVorbis. Throws MediaError when libsndfile is missing
  // or refuses the format.
  EncodedAudioWriter(const std::string& path, AudioFileFormat format, int sampleRate, int channels);
  ~EncodedAudioWriter() override;
  EncodedAudioWriter(const EncodedAudioWriter&) = delete;
  EncodedAudioWriter& operator=(const EncodedAudioWriter&) = delete;

  void Write(const std::int16_t* samples, std::size_t frames) override;
  void Finish() override;
  std::int64_t Frames() const override { return frames_; }

  // The encoder's file in memory: libsndfile reads, writes and seeks in it.
  struct Memory {
    std::string bytes;
    sf_count_t at = 0;
  };

 private:
  [[noreturn]] void Fail(const std::string& what) const;

  std::string path_;
  std::string kind_;  // "FLAC" or "Ogg Vorbis", for messages
  Memory memory_;
  SF_VIRTUAL_IO io_{};
  SNDFILE* file_ = nullptr;  // open until Finish
  std::int64_t frames_ = 0;
};

}  // namespace vlm
