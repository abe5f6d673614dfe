#include "tests/audio/audio_support.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "tests/support/smf_dump.h"

namespace vlmtest {

namespace {

void PutVarLen(std::vector<std::uint8_t>& out, std::uint32_t value) {
  std::uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = value & 0x7F;
    value >>= 7;
  } while (value);
  while (n > 1) out.push_back(groups[--n] | 0x80);
  out.push_back(groups[0]);
}

void PutBig(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t Little(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | b[at + static_cast<std::size_t>(i)];
  return value;
}

}  // namespace

TrackBytes& TrackBytes::Event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes) {
  PutVarLen(body, delta);
  body.insert(body.end(), bytes);
  return *this;
}

TrackBytes& TrackBytes::End(std::uint32_t delta) { return Event(delta, {0xFF, 0x2F, 0x00}); }

std::vector<std::uint8_t> BuildSmf(int format, std::uint16_t division, const std::vector<TrackBytes>& tracks,
                                   int trackCount) {
  std::vector<std::uint8_t> file{'M', 'T', 'h', 'd', 0, 0, 0, 6};
  PutBig(file, static_cast<std::uint32_t>(format), 2);
  PutBig(file, static_cast<std::uint32_t>(trackCount < 0 ? static_cast<int>(tracks.size()) : trackCount), 2);
  PutBig(file, division, 2);
  for (const TrackBytes& t : tracks) {
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    PutBig(file, static_cast<std::uint32_t>(t.body.size()), 4);
    file.insert(file.end(), t.body.begin(), t.body.end());
  }
  return file;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Wav ReadWav(const std::string& path) {
  Wav wav;
  const std::vector<std::uint8_t> b = ReadFileBytes(path);
  auto is = [&](std::size_t at, const char* id) { return b.size() >= at + 4 && std::equal(id, id + 4, b.begin() + static_cast<long>(at)); };
  if (b.size() < 44 || !is(0, "RIFF") || !is(8, "WAVE") || !is(12, "fmt ") || !is(36, "data")) {
    wav.error = "not a canonical PCM WAV file";
    return wav;
  }
  if (Little(b, 4, 4) != b.size() - 8) {
    wav.error = "RIFF size does not match the file";
    return wav;
  }
  const std::uint32_t dataBytes = Little(b, 40, 4);
  if (dataBytes != b.size() - 44) {
    wav.error = "data size does not match the file";
    return wav;
  }
  if (Little(b, 16, 4) != 16 || Little(b, 20, 2) != 1) {
    wav.error = "not PCM";
    return wav;
  }
  wav.channels = static_cast<int>(Little(b, 22, 2));
  wav.sampleRate = static_cast<int>(Little(b, 24, 4));
  wav.bitsPerSample = static_cast<int>(Little(b, 34, 2));
  const std::uint32_t blockAlign = Little(b, 32, 2);
  if (wav.bitsPerSample != 16 || wav.channels < 1 || blockAlign != static_cast<std::uint32_t>(wav.channels) * 2 ||
      Little(b, 28, 4) != static_cast<std::uint32_t>(wav.sampleRate) * blockAlign || dataBytes % blockAlign) {
    wav.error = "inconsistent format chunk";
    return wav;
  }
  for (std::size_t at = 44; at < b.size(); at += 2) wav.samples.push_back(static_cast<std::int16_t>(Little(b, at, 2)));
  wav.valid = true;
  return wav;
}

int Wav::Peak(double fromSeconds, double toSeconds) const {
  const auto first = static_cast<std::size_t>(std::max(0.0, fromSeconds * sampleRate)) * static_cast<std::size_t>(channels);
  const auto last = std::min(samples.size(), static_cast<std::size_t>(toSeconds * sampleRate) * static_cast<std::size_t>(channels));
  int peak = 0;
  for (std::size_t i = first; i < last; ++i) peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
  return peak;
}

double Wav::PitchHz(double fromSeconds, double toSeconds) const {
  std::vector<double> x;
  for (auto i = static_cast<std::size_t>(fromSeconds * sampleRate); i < static_cast<std::size_t>(toSeconds * sampleRate); ++i)
    x.push_back(samples[i * static_cast<std::size_t>(channels)]);
  // Normalised autocorrelation over the lags of 50..2000 Hz; the first lag
  // close to the best one is the fundamental (later peaks are its multiples).
  const int minLag = sampleRate / 2000;
  const int maxLag = sampleRate / 50;
  std::vector<double> r(static_cast<std::size_t>(maxLag + 2), 0.0);
  double best = 0;
  for (int lag = minLag; lag <= maxLag + 1; ++lag) {
    double sum = 0, energyA = 0, energyB = 0;
    for (std::size_t i = 0; i + static_cast<std::size_t>(lag) < x.size(); ++i) {
      sum += x[i] * x[i + static_cast<std::size_t>(lag)];
      energyA += x[i] * x[i];
      energyB += x[i + static_cast<std::size_t>(lag)] * x[i + static_cast<std::size_t>(lag)];
    }
    r[static_cast<std::size_t>(lag)] = energyA > 0 && energyB > 0 ? sum / std::sqrt(energyA * energyB) : 0;
    best = std::max(best, r[static_cast<std::size_t>(lag)]);
  }
  for (int lag = minLag + 1; lag <= maxLag; ++lag) {
    const double a = r[static_cast<std::size_t>(lag - 1)], c = r[static_cast<std::size_t>(lag)], d = r[static_cast<std::size_t>(lag + 1)];
    if (c >= 0.9 * best && c >= a && c >= d) {
      // Parabolic interpolation around the peak refines the lag below one sample.
      const double shift = (a - d) / (2 * (a - 2 * c + d));
      return sampleRate / (lag + (std::isfinite(shift) ? shift : 0));
    }
  }
  return 0;
}

}  // namespace vlmtest
