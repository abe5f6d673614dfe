#pragma once
// Notes, bends and tempos of a MIDI file as midicsv (Debian's independent
// reader) lists them, paired the way a synthesizer hears them: each note-off
// (or note-on of velocity 0) ends the oldest sounding note of its key.

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/run_command.h"

namespace vlmtest {

struct CsvNote {
  int chunk, channel, pitch, velocity;
  std::int64_t start, length;
  friend bool operator<(const CsvNote& a, const CsvNote& b) {
    return std::tie(a.start, a.chunk, a.channel, a.pitch) < std::tie(b.start, b.chunk, b.channel, b.pitch);
  }
};

struct CsvBend {
  int chunk, channel;
  std::int64_t tick;
  int raw;  // 0..16383 as midicsv writes it
};

struct CsvFile {
  int timebase = 0;
  std::vector<CsvNote> notes;  // sorted
  std::vector<CsvBend> bends;
  bool read = false;
};

// Writes bytes to a scratch file and reads it back through midicsv.
inline CsvFile ReadWithMidicsv(const std::string& bytes) {
  CsvFile file;
  const auto dir = std::filesystem::temp_directory_path() / ("roll_csv_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "in.mid", std::ios::binary) << bytes;
  const CommandRun run = RunCommand(dir.string(), "midicsv in.mid");
  std::filesystem::remove_all(dir);
  if (run.status != 0) return file;
  std::map<std::tuple<int, int, int>, std::deque<std::size_t>> open;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> f;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, ',');) f.push_back(field.substr(field.find_first_not_of(' ')));
    if (f.size() < 3) continue;
    const int chunk = std::stoi(f[0]) - 1;
    const std::int64_t tick = std::stoll(f[1]);
    const std::string& type = f[2];
    if (type == "Header") file.timebase = std::stoi(f[5]);
    if (type == "Pitch_bend_c") file.bends.push_back({chunk, std::stoi(f[3]), tick, std::stoi(f[4])});
    if (type != "Note_on_c" && type != "Note_off_c") continue;
    const int channel = std::stoi(f[3]), pitch = std::stoi(f[4]), velocity = std::stoi(f[5]);
    auto& sounding = open[{chunk, channel, pitch}];
    if (type == "Note_on_c" && velocity > 0) {
      file.notes.push_back({chunk, channel, pitch, velocity, tick, -1});
      sounding.push_back(file.notes.size() - 1);
    } else if (!sounding.empty()) {
      file.notes[sounding.front()].length = tick - file.notes[sounding.front()].start;
      sounding.pop_front();
    }
  }
  std::stable_sort(file.notes.begin(), file.notes.end());
  file.read = true;
  return file;
}

}  // namespace vlmtest
