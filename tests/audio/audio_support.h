#pragma once
// Helpers of the audio tests: MIDI files built byte by byte, and a reader
// and probes for the WAV files the renderer writes.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace vlmtest {

// One MTrk chunk's body, event by event.
struct TrackBytes {
  std::vector<std::uint8_t> body;
  TrackBytes& Event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes);
  TrackBytes& End(std::uint32_t delta = 0);  // the end-of-track event
};

// Header and chunks; trackCount defaults to the number of chunks given.
std::vector<std::uint8_t> BuildSmf(int format, std::uint16_t division, const std::vector<TrackBytes>& tracks,
                                   int trackCount = -1);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

struct Wav {
  bool valid = false;
  std::string error;                 // why the file was rejected
  int sampleRate = 0;
  int channels = 0;
  int bitsPerSample = 0;
  std::vector<std::int16_t> samples; // interleaved

  double Seconds() const { return channels ? static_cast<double>(samples.size()) / channels / sampleRate : 0; }
  // Loudest sample of any channel between two times.
  int Peak(double fromSeconds, double toSeconds) const;
  // Fundamental frequency of the left channel between two times, by autocorrelation.
  double PitchHz(double fromSeconds, double toSeconds) const;
};

// Reads a 16-bit PCM WAV file, checking its header and chunk sizes.
Wav ReadWav(const std::string& path);

}  // namespace vlmtest
