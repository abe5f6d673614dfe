#include "audio/audio_file_writer.h"

#include <algorithm>
#include <cctype>

#include "audio/encoded_audio_writer.h"
#include "audio/wav_writer.h"

namespace vlm {

namespace {

bool EndsWith(const std::string& path, const std::string& ending) {
  if (path.size() < ending.size()) return false;
  return std::equal(ending.begin(), ending.end(), path.end() - static_cast<std::ptrdiff_t>(ending.size()),
                    [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

AudioFileFormat AudioFormatOf(const std::string& path) {
  if (EndsWith(path, ".flac")) return AudioFileFormat::Flac;
  if (EndsWith(path, ".ogg") || EndsWith(path, ".oga")) return AudioFileFormat::OggVorbis;
  return AudioFileFormat::Wav;
}

std::unique_ptr<AudioFileWriter> OpenAudioFileWriter(const std::string& path, int sampleRate, int channels) {
  const AudioFileFormat format = AudioFormatOf(path);
  if (format == AudioFileFormat::Wav) return std::make_unique<WavWriter>(path, sampleRate, channels);
  return std::make_unique<EncodedAudioWriter>(path, format, sampleRate, channels);
}

}  // namespace vlm
