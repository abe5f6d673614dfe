#pragma once
// A strict little PNG reader for the tests (8-bit RGB or RGBA, no
// interlace), so that a picture the programs write is checked by code that
// did not write it: chunks, CRCs, zlib data and the five row filters.

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace vlmtest {

struct PngImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3
  std::string error;              // empty when the file was read
  struct Pixel { int r, g, b; };
  Pixel At(int x, int y) const {
    const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[at], rgb[at + 1], rgb[at + 2]};
  }
};

inline PngImage ReadPng(const std::string& bytes) {
  PngImage image;
  const auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at])) << 24 |
           static_cast<std::uint8_t>(bytes[at + 1]) << 16 | static_cast<std::uint8_t>(bytes[at + 2]) << 8 |
           static_cast<std::uint8_t>(bytes[at + 3]);
  };
  if (bytes.size() < 8 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return image.error = "no PNG signature", image;
  std::string compressed;
  int channels = 0;
  bool ended = false;
  for (std::size_t at = 8; at + 12 <= bytes.size() && !ended;) {
    const std::uint32_t length = u32(at);
    if (at + 12 + length > bytes.size()) return image.error = "chunk runs past the end", image;
    const std::string type = bytes.substr(at + 4, 4);
    const std::string data = bytes.substr(at + 8, length);
    const auto crc = crc32(crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4),
                           reinterpret_cast<const Bytef*>(data.data()), length);
    if (crc != u32(at + 8 + length)) return image.error = "bad CRC in " + type, image;
    if (type == "IHDR") {
      image.width = static_cast<int>(u32(at + 8));
      image.height = static_cast<int>(u32(at + 12));
      const int depth = static_cast<std::uint8_t>(data[8]), colour = static_cast<std::uint8_t>(data[9]);
      if (depth != 8 || (colour != 2 && colour != 6) || data[12] != 0) return image.error = "unsupported format", image;
      channels = colour == 2 ? 3 : 4;
    } else if (type == "IDAT") {
      compressed += data;
    } else if (type == "IEND") {
      ended = true;
    }
    at += 12 + length;
  }
  if (!ended || channels == 0) return image.error = "no IHDR or IEND", image;
  const std::size_t stride = static_cast<std::size_t>(image.width) * channels;
  std::vector<std::uint8_t> raw((stride + 1) * image.height);
  uLongf rawSize = raw.size();
  if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(compressed.data()), compressed.size()) != Z_OK ||
      rawSize != raw.size())
    return image.error = "bad image data", image;
  std::vector<std::uint8_t> previous(stride, 0), row(stride);
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* in = &raw[y * (stride + 1)];
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= static_cast<std::size_t>(channels) ? row[i - channels] : 0;
      const int b = previous[i];
      const int c = i >= static_cast<std::size_t>(channels) ? previous[i - channels] : 0;
      int predicted = 0;
      switch (in[0]) {
        case 0: predicted = 0; break;
        case 1: predicted = a; break;
        case 2: predicted = b; break;
        case 3: predicted = (a + b) / 2; break;
        case 4: {  // Paeth
          const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
          predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
          break;
        }
        default: return image.error = "bad filter", image;
      }
      row[i] = static_cast<std::uint8_t>(in[1 + i] + predicted);
    }
    for (int x = 0; x < image.width; ++x)
      for (int k = 0; k < 3; ++k) image.rgb.push_back(row[x * channels + k]);
    previous = row;
  }
  return image;
}

}  // namespace vlmtest
