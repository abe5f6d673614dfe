#include "audio/encoded_audio_writer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "audio/sndfile_library.h"
#include "common/media_player.h"
#include "common/text_file.h"

namespace vlm {

namespace {

using Memory = EncodedAudioWriter::Memory;

Memory& Of(void* user) { return *static_cast<Memory*>(user); }

sf_count_t Length(void* user) { return static_cast<sf_count_t>(Of(user).bytes.size()); }

// A seek may go past the end; a write there fills the gap with zeros, as a
// file would.
sf_count_t Seek(sf_count_t offset, int whence, void* user) {
  Memory& m = Of(user);
  const sf_count_t base = whence == SEEK_CUR ? m.at : whence == SEEK_END ? Length(user) : 0;
  if (base + offset < 0) return -1;
  m.at = base + offset;
  return m.at;
}

sf_count_t Read(void* to, sf_count_t count, void* user) {
  Memory& m = Of(user);
  const sf_count_t n = std::clamp<sf_count_t>(Length(user) - m.at, 0, count);
  if (n > 0) std::memcpy(to, m.bytes.data() + m.at, static_cast<std::size_t>(n));
  m.at += n;
  return n;
}

sf_count_t WriteBytes(const void* from, sf_count_t count, void* user) {
  Memory& m = Of(user);
  const auto end = static_cast<std::size_t>(m.at + count);
  if (end > m.bytes.size()) m.bytes.resize(end);
  std::memcpy(m.bytes.data() + m.at, from, static_cast<std::size_t>(count));
  m.at += count;
  return count;
}

sf_count_t Tell(void* user) { return Of(user).at; }

}  // namespace

EncodedAudioWriter::EncodedAudioWriter(const std::string& path, AudioFileFormat format, int sampleRate, int channels)
    : path_(path), kind_(format == AudioFileFormat::Flac ? "FLAC" : "Ogg Vorbis") {
  const SndfileLibrary& sndfile = Sndfile();
  io_ = {Length, Seek, Read, WriteBytes, Tell};
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = channels;
  info.format = format == AudioFileFormat::Flac ? SF_FORMAT_FLAC | SF_FORMAT_PCM_16 : SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  file_ = sndfile.sf_open_virtual(&io_, SFM_WRITE, &info, &memory_);
  if (!file_) Fail("cannot be made");
}

EncodedAudioWriter::~EncodedAudioWriter() {
  if (file_) Sndfile().sf_close(file_);
}

void EncodedAudioWriter::Fail(const std::string& what) const {
  throw MediaError("The " + kind_ + " file \"" + path_ + "\" " + what + ": " + Sndfile().sf_strerror(file_));
}

void EncodedAudioWriter::Write(const std::int16_t* samples, std::size_t frames) {
  const auto count = static_cast<sf_count_t>(frames);
  if (Sndfile().sf_writef_short(file_, samples, count) != count) Fail("cannot be written");
  frames_ += count;
}

// Closing ends the encoding: FLAC writes its totals into the header then.
void EncodedAudioWriter::Finish() {
  if (const int error = Sndfile().sf_close(std::exchange(file_, nullptr)); error != 0)
    throw MediaError("The " + kind_ + " file \"" + path_ + "\" cannot be finished: " +
                     Sndfile().sf_strerror(nullptr));
  if (const auto failure = WriteFileAtomically(path_, memory_.bytes))
    throw MediaError("The " + kind_ + " file cannot be written: " + *failure);
}

}  // namespace vlm
