#include "audio/renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "audio/audio_file_writer.h"
#include "audio/fluid_synth.h"
#include "audio/wav_writer.h"
#include "common/media_player.h"

namespace vlm {

namespace {

constexpr int Channels = 2;
// Decay blocks whose peak stays at or below this (on a 16-bit scale, about
// -72 dB) count as silence; FluidSynth's dither alone reaches a few steps.
constexpr int SilencePeak = 8;
constexpr double DecayBlockSeconds = 0.05;

class BlockRenderer {
 public:
  BlockRenderer(FluidSynth& synth, AudioFileWriter& out) : synth_(synth), out_(out) {}

  // Synthesizes frames up to (not including) target; returns the loudest sample.
  int RenderTo(std::int64_t target) {
    int peak = 0;
    while (frame_ < target) {
      const int n = static_cast<int>(std::min<std::int64_t>(BlockFrames, target - frame_));
      synth_.WriteStereo(buffer_.data(), n);
      for (int i = 0; i < n * Channels; ++i) peak = std::max(peak, std::abs(static_cast<int>(buffer_[static_cast<std::size_t>(i)])));
      out_.Write(buffer_.data(), static_cast<std::size_t>(n));
      frame_ += n;
    }
    return peak;
  }

  std::int64_t Frame() const { return frame_; }

 private:
  static constexpr int BlockFrames = 4096;
  FluidSynth& synth_;
  AudioFileWriter& out_;
  std::vector<std::int16_t> buffer_ = std::vector<std::int16_t>(BlockFrames * Channels);
  std::int64_t frame_ = 0;
};

// A WAV file's sizes are 32-bit: music that would not fit is refused before
// anything is synthesized. FLAC and Ogg count far beyond any piece.
void RefuseTooLong(const MidiSequence& sequence, double rate, const std::string& path) {
  if (AudioFormatOf(path) != AudioFileFormat::Wav) return;
  const double maxSeconds = WavWriter::MaxDataBytes / (rate * Channels * 2);
  if (sequence.lengthSeconds + MaxTailSeconds > maxSeconds)
    throw MediaError("The music lasts " + std::to_string(static_cast<long long>(sequence.lengthSeconds)) +
                     " seconds, too long for a WAV file");
}

}  // namespace

SequenceRenderer::SequenceRenderer(const SynthOptions& options)
    : options_(options), fontOwner_(std::make_unique<FluidSynth>(options)) {}

SequenceRenderer::~SequenceRenderer() = default;

RenderResult SequenceRenderer::Render(const MidiSequence& sequence, const std::string& wavPath) {
  const double rate = options_.sampleRate;
  RefuseTooLong(sequence, rate, wavPath);
  FluidSynth synth(options_, *fontOwner_);
  const std::unique_ptr<AudioFileWriter> out = OpenAudioFileWriter(wavPath, static_cast<int>(rate), Channels);
  BlockRenderer render(synth, *out);
  // Each message sounds at its own sample frame (FluidSynth applies it at its
  // next 64-frame block, within 1.5 ms).
  for (const TimedMessage& message : sequence.messages) {
    render.RenderTo(std::llround(message.seconds * rate));
    synth.Send(message.bytes);
  }
  render.RenderTo(std::llround(sequence.lengthSeconds * rate));
  const auto decayBlock = static_cast<std::int64_t>(DecayBlockSeconds * rate);
  const std::int64_t lastFrame = render.Frame() + static_cast<std::int64_t>(MaxTailSeconds * rate);
  while (render.Frame() < lastFrame) {
    if (render.RenderTo(std::min(render.Frame() + decayBlock, lastFrame)) <= SilencePeak) break;
  }
  out->Finish();
  return {out->Frames(), static_cast<double>(out->Frames()) / rate};
}

RenderResult RenderSequence(const MidiSequence& sequence, const std::string& wavPath, const SynthOptions& options) {
  RefuseTooLong(sequence, options.sampleRate, wavPath);
  return SequenceRenderer(options).Render(sequence, wavPath);
}

RenderResult RenderMidiFile(const std::string& midiPath, const std::string& wavPath, const SynthOptions& options) {
  MidiSequence sequence;
  try {
    sequence = LoadMidiFile(midiPath);
  } catch (const SmfError& e) {
    throw MediaError(e.what());
  }
  return RenderSequence(sequence, wavPath, options);
}

}  // namespace vlm
