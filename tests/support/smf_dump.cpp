#include "tests/support/smf_dump.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace vlmtest {

namespace {

struct Reader {
  const std::vector<std::uint8_t>& b;
  std::size_t at;
  std::size_t end;
  std::string error;

  bool Need(std::size_t n, const char* what) {
    if (at + n > end) {
      if (error.empty()) error = std::string("truncated ") + what;
      return false;
    }
    return true;
  }
  std::uint32_t Big(int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | b[at++];
    return v;
  }
  bool VarLen(std::uint32_t& v) {
    v = 0;
    for (int i = 0; i < 4; ++i) {
      if (!Need(1, "variable-length quantity")) return false;
      const std::uint8_t c = b[at++];
      v = (v << 7) | (c & 0x7F);
      if (!(c & 0x80)) return true;
    }
    error = "variable-length quantity longer than four bytes";
    return false;
  }
};

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  std::string s;
  char buf[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
    s += buf;
  }
  return s;
}

int DataBytesOf(std::uint8_t status) {
  switch (status & 0xF0) {
    case 0xC0: case 0xD0: return 1;
    default: return 2;
  }
}

bool ReadTrack(Reader& r, std::vector<SmfEvent>& events) {
  std::int64_t time = 0;
  while (r.at < r.end) {
    std::uint32_t delta;
    if (!r.VarLen(delta)) return false;
    time += delta;
    if (!r.Need(1, "event")) return false;
    const std::uint8_t status = r.b[r.at];
    SmfEvent ev{time, {}};
    if (status < 0x80) {
      r.error = "running status or data byte where a status byte belongs";
      return false;
    }
    if (status == 0xFF) {
      if (!r.Need(2, "meta event")) return false;
      const std::uint8_t type = r.b[r.at + 1];
      r.at += 2;
      std::uint32_t len;
      if (!r.VarLen(len)) return false;
      if (!r.Need(len, "meta data")) return false;
      if (type == 0x2F) {
        if (len != 0 || r.at != r.end) {
          r.error = "end of track not at the end of its chunk";
          return false;
        }
        return true;
      }
      ev.bytes = {0xFF, type, static_cast<std::uint8_t>(len)};
      ev.bytes.insert(ev.bytes.end(), r.b.begin() + static_cast<long>(r.at),
                      r.b.begin() + static_cast<long>(r.at + len));
      r.at += len;
    } else if (status == 0xF0 || status == 0xF7) {
      ++r.at;
      std::uint32_t len;
      if (!r.VarLen(len)) return false;
      if (!r.Need(len, "exclusive data")) return false;
      ev.bytes = {status};
      ev.bytes.insert(ev.bytes.end(), r.b.begin() + static_cast<long>(r.at),
                      r.b.begin() + static_cast<long>(r.at + len));
      r.at += len;
    } else if (status >= 0xF1) {
      r.error = "system common or real-time message in a file";
      return false;
    } else {
      const int n = DataBytesOf(status);
      if (!r.Need(1 + static_cast<std::size_t>(n), "channel message")) return false;
      ev.bytes.push_back(status);
      for (int i = 1; i <= n; ++i) {
        const std::uint8_t d = r.b[r.at + static_cast<std::size_t>(i)];
        if (d & 0x80) {
          r.error = "data byte with its top bit set";
          return false;
        }
        ev.bytes.push_back(d);
      }
      r.at += 1 + static_cast<std::size_t>(n);
    }
    events.push_back(std::move(ev));
  }
  r.error = "track without end-of-track event";
  return false;
}

}  // namespace

SmfFile ParseSmf(const std::vector<std::uint8_t>& bytes) {
  SmfFile f;
  Reader r{bytes, 0, bytes.size(), {}};
  if (!r.Need(14, "header") || !(bytes[0] == 'M' && bytes[1] == 'T' && bytes[2] == 'h' && bytes[3] == 'd')) {
    f.error = r.error.empty() ? "no MThd" : r.error;
    return f;
  }
  r.at = 4;
  if (r.Big(4) != 6) {
    f.error = "header length is not 6";
    return f;
  }
  f.format = static_cast<int>(r.Big(2));
  const std::uint32_t ntracks = r.Big(2);
  f.division = static_cast<int>(r.Big(2));
  if (f.division & 0x8000) {
    f.error = "SMPTE division";
    return f;
  }
  for (std::uint32_t t = 0; t < ntracks; ++t) {
    if (!r.Need(8, "track chunk header")) {
      f.error = r.error;
      return f;
    }
    if (!(bytes[r.at] == 'M' && bytes[r.at + 1] == 'T' && bytes[r.at + 2] == 'r' && bytes[r.at + 3] == 'k')) {
      f.error = "no MTrk";
      return f;
    }
    r.at += 4;
    const std::uint32_t len = r.Big(4);
    if (!r.Need(len, "track chunk")) {
      f.error = r.error;
      return f;
    }
    Reader tr{bytes, r.at, r.at + len, {}};
    f.tracks.emplace_back();
    if (!ReadTrack(tr, f.tracks.back())) {
      f.error = "track " + std::to_string(t) + ": " + tr.error;
      return f;
    }
    r.at += len;
  }
  if (r.at != bytes.size()) {
    f.error = "bytes after the last track chunk";
    return f;
  }
  f.valid = true;
  return f;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> EventLines(const SmfFile& file, std::size_t chunk) {
  std::vector<std::string> lines;
  if (chunk >= file.tracks.size()) return lines;
  for (const auto& ev : file.tracks[chunk]) lines.push_back(std::to_string(ev.time) + ": " + Hex(ev.bytes));
  return lines;
}

std::string DumpSmf(const SmfFile& file) {
  if (!file.valid) return "INVALID: " + file.error + "\n";
  std::ostringstream out;
  out << "format " << file.format << " division " << file.division << " tracks " << file.tracks.size() << "\n";
  for (std::size_t t = 0; t < file.tracks.size(); ++t) {
    out << "track " << t << "\n";
    for (const auto& line : EventLines(file, t)) out << "  " << line << "\n";
  }
  return out.str();
}

}  // namespace vlmtest
