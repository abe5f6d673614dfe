#include <gtest/gtest.h>

#include <filesystem>

#include "audio/renderer.h"
#include "tests/audio/audio_support.h"
#include "tests/support/compile_harness.h"

namespace {

// From MML source to sound: the compiler's file rendered by FluidSynth must
// hold each note at its time and pitch (o5c is middle C, o5a is 440 Hz).
TEST(CompiledPhrase, SoundsEachNoteAtItsTimeAndPitch) {
  const vlmtest::CompileResult compiled = vlmtest::CompileSource("t120 @80 v100 o5 l4 c e g a2");
  ASSERT_TRUE(compiled.Errors().empty());
  ASSERT_TRUE(compiled.smf.valid) << compiled.smf.error;
  const std::string dir = vlmtest::ScratchDir();
  vlmtest::WriteBytes(dir + "/phrase.mid", compiled.bytes);
  const vlm::RenderResult result = vlm::RenderMidiFile(dir + "/phrase.mid", dir + "/phrase.wav");
  const vlmtest::Wav audio = vlmtest::ReadWav(dir + "/phrase.wav");
  ASSERT_TRUE(audio.valid) << audio.error;
  // Three quarters and a half at 120 bpm: 2.5 s, the last note ending a tick early.
  EXPECT_GE(result.seconds, 2.49);
  EXPECT_LE(result.seconds, 2.5 + vlm::MaxTailSeconds);
  const struct {
    double from, to, hz;
  } notes[] = {{0.1, 0.45, 261.63}, {0.6, 0.95, 329.63}, {1.1, 1.45, 392.00}, {1.7, 2.4, 440.00}};
  for (const auto& n : notes) {
    EXPECT_GT(audio.Peak(n.from, n.to), 2000) << "silent at " << n.from << " s";
    EXPECT_NEAR(audio.PitchHz(n.from, n.to), n.hz, n.hz * 0.007) << "at " << n.from << " s";
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
