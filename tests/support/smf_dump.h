#pragma once
// A strict Standard MIDI File reader for tests, written independently of the
// compiler's writer: it rejects anything a careful reader would, and renders
// the file as text so that expectations read (and diff) as text.

#include <cstdint>
#include <string>
#include <vector>

namespace vlmtest {

struct SmfEvent {
  std::int64_t time;               // absolute ticks
  std::vector<std::uint8_t> bytes; // status byte and data (meta: FF type len data)
};

struct SmfFile {
  bool valid = false;
  std::string error;  // why the file was rejected
  int format = -1;
  int division = 0;
  std::vector<std::vector<SmfEvent>> tracks;  // chunks in file order, end-of-track excluded
};

SmfFile ParseSmf(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

// "time: XX XX XX" lines of one chunk.
std::vector<std::string> EventLines(const SmfFile& file, std::size_t chunk);
// The whole file as text: a header line, then "track N" and its event lines.
std::string DumpSmf(const SmfFile& file);

}  // namespace vlmtest
