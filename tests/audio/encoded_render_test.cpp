#include <gtest/gtest.h>
#include <sndfile.h>

#include <filesystem>

#include "audio/renderer.h"
#include "common/media_player.h"
#include "tests/audio/audio_support.h"
#include "tests/support/compile_harness.h"
#include "tests/support/smf_dump.h"

namespace {

// The file decoded by libsndfile's reader, as the WAV reader gives a WAV.
vlmtest::Wav Decode(const std::string& path) {
  vlmtest::Wav audio;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) {
    audio.error = sf_strerror(nullptr);
    return audio;
  }
  audio.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
  audio.valid = sf_readf_short(file, audio.samples.data(), info.frames) == info.frames;
  audio.sampleRate = info.samplerate;
  audio.channels = info.channels;
  sf_close(file);
  return audio;
}

std::string Magic(const std::string& path) {
  const std::vector<std::uint8_t> bytes = vlmtest::ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.begin() + std::min<std::size_t>(4, bytes.size()));
}

class EncodedRender : public ::testing::Test {
 protected:
  std::string dir = vlmtest::ScratchDir();
  std::string midi = dir + "/in.mid";
  ~EncodedRender() override { std::filesystem::remove_all(dir); }

  // A square lead's a4 from 0.5 s to 2 s.
  void WriteSustainedA() {
    vlmtest::TrackBytes t;
    t.Event(0, {0xC0, 80}).Event(96, {0x90, 69, 100}).Event(288, {0x80, 69, 0}).End();
    vlmtest::WriteBytes(midi, vlmtest::BuildSmf(1, 96, {t}));
  }
};

// FLAC is lossless: decoded, it is sample for sample the WAV of the same
// render. Ogg Vorbis keeps the length and the pitch.
TEST_F(EncodedRender, FlacHoldsTheWavsSamplesAndOggItsLengthAndPitch) {
  WriteSustainedA();
  vlm::RenderMidiFile(midi, dir + "/out.wav");
  const vlm::RenderResult flac = vlm::RenderMidiFile(midi, dir + "/out.FLAC");
  vlm::RenderMidiFile(midi, dir + "/out.ogg");
  const vlmtest::Wav wav = vlmtest::ReadWav(dir + "/out.wav");
  ASSERT_TRUE(wav.valid) << wav.error;

  EXPECT_EQ(Magic(dir + "/out.FLAC"), "fLaC");
  const vlmtest::Wav fromFlac = Decode(dir + "/out.FLAC");
  ASSERT_TRUE(fromFlac.valid) << fromFlac.error;
  EXPECT_EQ(fromFlac.sampleRate, 44100);
  EXPECT_EQ(fromFlac.channels, 2);
  EXPECT_EQ(flac.frames * 2, static_cast<std::int64_t>(fromFlac.samples.size()));
  EXPECT_TRUE(fromFlac.samples == wav.samples);

  EXPECT_EQ(Magic(dir + "/out.ogg"), "OggS");
  const vlmtest::Wav fromOgg = Decode(dir + "/out.ogg");
  ASSERT_TRUE(fromOgg.valid) << fromOgg.error;
  EXPECT_EQ(fromOgg.samples.size(), wav.samples.size());
  EXPECT_NEAR(fromOgg.PitchHz(1.0, 1.5), 440.0, 3.0);
}

// The encoded file appears only when it is whole: a failed render keeps the
// file that was there, and a missing folder is named.
TEST_F(EncodedRender, FailureKeepsTheEarlierFileAndSaysWhy) {
  const std::string flac = dir + "/out.flac";
  vlmtest::WriteBytes(flac, {'o', 'l', 'd'});
  vlmtest::WriteBytes(midi, {0});
  EXPECT_THROW(vlm::RenderMidiFile(midi, flac), vlm::MediaError);
  EXPECT_EQ(vlmtest::ReadFileBytes(flac), (std::vector<std::uint8_t>{'o', 'l', 'd'}));

  WriteSustainedA();
  const std::string missing = dir + "/no/such/dir/out.oga";
  try {
    vlm::RenderMidiFile(midi, missing);
    ADD_FAILURE() << "rendered into a missing folder";
  } catch (const vlm::MediaError& e) {
    EXPECT_NE(std::string(e.what()).find("The Ogg Vorbis file cannot be written"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
