#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "audio/renderer.h"
#include "common/media_player.h"
#include "tests/audio/audio_support.h"
#include "tests/support/compile_harness.h"

namespace {

using vlmtest::BuildSmf;
using vlmtest::TrackBytes;

class Renderer : public ::testing::Test {
 protected:
  std::string dir = vlmtest::ScratchDir();
  std::string midi = dir + "/in.mid";
  std::string wav = dir + "/out.wav";
  ~Renderer() override { std::filesystem::remove_all(dir); }

  std::string ErrorOf(const vlm::SynthOptions& options = {}) {
    try {
      vlm::RenderMidiFile(midi, wav, options);
    } catch (const vlm::MediaError& e) {
      return e.what();
    }
    return "rendered";
  }
};

// A square lead (program 81; its steady tone suits a pitch check), a4 = note
// 69, from 0.5 s to 2 s at 120 bpm and 96 ticks per quarter.
TrackBytes SustainedA() {
  TrackBytes t;
  t.Event(0, {0xC0, 80}).Event(96, {0x90, 69, 100}).Event(288, {0x80, 69, 0}).End();
  return t;
}

TEST_F(Renderer, NoteFileBecomesAudioOfTheRightLengthTimingAndPitch) {
  vlmtest::WriteBytes(midi, BuildSmf(1, 96, {SustainedA()}));
  const vlm::RenderResult result = vlm::RenderMidiFile(midi, wav);
  const vlmtest::Wav audio = vlmtest::ReadWav(wav);
  ASSERT_TRUE(audio.valid) << audio.error;
  EXPECT_EQ(audio.sampleRate, 44100);
  EXPECT_EQ(audio.channels, 2);
  EXPECT_EQ(result.frames * 2, static_cast<std::int64_t>(audio.samples.size()));
  // The file lasts 2 s; the note's release follows, then rendering stops.
  EXPECT_GE(audio.Seconds(), 2.0);
  EXPECT_LE(audio.Seconds(), 2.0 + vlm::MaxTailSeconds);
  EXPECT_NEAR(result.seconds, audio.Seconds(), 1e-9);
  EXPECT_LE(audio.Peak(0, 0.49), 8) << "sound before the note";
  EXPECT_GT(audio.Peak(0.55, 1.95), 2000) << "the note is (nearly) silent";
  EXPECT_NEAR(audio.PitchHz(1.0, 1.5), 440.0, 3.0);
  EXPECT_LE(audio.Peak(audio.Seconds() - 0.05, audio.Seconds()), 8) << "cut off while still sounding";
}

// A batch reads the SoundFont once: what one file played must leave no trace
// in the next, which has the bytes of a render on its own.
TEST_F(Renderer, ManyFilesFromOneSoundFontLoadAreEachAsIfRenderedAlone) {
  TrackBytes chord;
  chord.Event(0, {0xC0, 48}).Event(0, {0xB0, 91, 127}).Event(0, {0x90, 60, 120}).Event(0, {0x90, 67, 120});
  chord.Event(48, {0xE0, 0, 80}).Event(48, {0x80, 60, 0}).Event(0, {0x80, 67, 0}).End();
  const vlm::MidiSequence first = vlm::ParseMidiFile(BuildSmf(1, 96, {chord}));
  const vlm::MidiSequence second = vlm::ParseMidiFile(BuildSmf(1, 96, {SustainedA()}));

  vlm::RenderSequence(second, wav);
  const auto fresh = vlmtest::ReadFileBytes(wav);
  vlm::SequenceRenderer renderer;
  renderer.Render(first, dir + "/first.wav");
  renderer.Render(second, dir + "/reused.wav");
  EXPECT_EQ(vlmtest::ReadFileBytes(dir + "/reused.wav"), fresh);
  vlm::RenderSequence(second, dir + "/again.wav");
  EXPECT_EQ(vlmtest::ReadFileBytes(dir + "/again.wav"), fresh) << "a render is not repeatable";
}

TEST_F(Renderer, SampleRateIsAnOption) {
  vlmtest::WriteBytes(midi, BuildSmf(1, 96, {SustainedA()}));
  vlm::SynthOptions options;
  options.sampleRate = 22050;
  vlm::RenderMidiFile(midi, wav, options);
  const vlmtest::Wav audio = vlmtest::ReadWav(wav);
  ASSERT_TRUE(audio.valid) << audio.error;
  EXPECT_EQ(audio.sampleRate, 22050);
  EXPECT_NEAR(audio.PitchHz(1.0, 1.5), 440.0, 3.0);
}

// FluidSynth's own file player falls silent on 128 track chunks; ours must
// sound each of them. Track k plays one short note at k × 0.1 s and cuts it
// with "all sound off" 50 ms later, so each 100 ms window holds one track.
TEST_F(Renderer, EveryOneOf128TracksSounds) {
  std::vector<TrackBytes> tracks(128);
  for (int k = 0; k < 128; ++k) {
    const auto channel = static_cast<std::uint8_t>(k % 16);
    const std::uint8_t key = channel == 9 ? 38 : static_cast<std::uint8_t>(48 + k % 24);  // a snare on the drum channel
    // 100 ms = 19.2 ticks at 120 bpm and 96 per quarter: use 960 per quarter (192 ticks per 100 ms).
    tracks[static_cast<std::size_t>(k)]
        .Event(static_cast<std::uint32_t>(192 * k), {static_cast<std::uint8_t>(0x90 | channel), key, 120})
        .Event(77, {static_cast<std::uint8_t>(0x80 | channel), key, 0})
        .Event(19, {static_cast<std::uint8_t>(0xB0 | channel), 120, 0})
        .End();
  }
  vlmtest::WriteBytes(midi, BuildSmf(1, 960, tracks));
  vlm::SynthOptions dry;
  dry.effects = false;  // no reverb or chorus tail reaching into the next window
  vlm::RenderMidiFile(midi, wav, dry);
  const vlmtest::Wav audio = vlmtest::ReadWav(wav);
  ASSERT_TRUE(audio.valid) << audio.error;
  int silentTracks = 0;
  for (int k = 0; k < 128; ++k) {
    const double start = k * 0.1;
    const int peak = audio.Peak(start + 0.005, start + 0.04);
    if (peak < 300) ++silentTracks;
    EXPECT_GE(peak, 300) << "track " << k + 1 << " is silent";
    EXPECT_LE(audio.Peak(start + 0.07, start + 0.099), 8) << "track " << k + 1 << " still sounds after its cut";
  }
  EXPECT_EQ(silentTracks, 0);
}

TEST_F(Renderer, FailuresSayWhatIsWrongAndLeaveNoFile) {
  vlm::SynthOptions missingFont;
  missingFont.soundFont = dir + "/none.sf2";
  vlmtest::WriteBytes(midi, BuildSmf(1, 96, {SustainedA()}));
  EXPECT_NE(ErrorOf(missingFont).find("none.sf2\" does not exist"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(wav));

  vlm::SynthOptions notAFont;
  notAFont.soundFont = midi;
  EXPECT_NE(ErrorOf(notAFont).find("could not be loaded"), std::string::npos) << ErrorOf(notAFont);

  vlmtest::WriteBytes(midi, {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1});
  EXPECT_EQ(ErrorOf(), midi + " is not a valid MIDI file: no MThd header at its start (too short, or another kind of file)");
  EXPECT_FALSE(std::filesystem::exists(wav));

  vlmtest::WriteBytes(midi, BuildSmf(1, 96, {SustainedA()}));
  wav = dir + "/no/such/dir/out.wav";
  EXPECT_EQ(ErrorOf(), "The WAV file \"" + wav + "\" cannot be created: " + std::strerror(ENOENT));
}

TEST_F(Renderer, FailedRenderKeepsAnEarlierWav) {
  vlmtest::WriteBytes(wav, {'o', 'l', 'd'});
  vlmtest::WriteBytes(midi, {0});
  EXPECT_NE(ErrorOf(), "rendered");
  EXPECT_EQ(vlmtest::ReadFileBytes(wav), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
}

TEST_F(Renderer, EndlessFileIsRefusedBeforeRendering) {
  TrackBytes t;
  // 0x0FFFFFFF ticks at 1 per quarter, 16.7 s per quarter: about 140 years of silence.
  t.Event(0, {0xFF, 0x51, 3, 0xFF, 0xFF, 0xFF}).End(0x0FFFFFFF);
  vlmtest::WriteBytes(midi, BuildSmf(0, 1, {t}));
  EXPECT_NE(ErrorOf().find("too long for a WAV file"), std::string::npos) << ErrorOf();
  EXPECT_FALSE(std::filesystem::exists(wav));
}

}  // namespace
