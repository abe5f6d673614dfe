#include "cli/lsp_framing.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <optional>

namespace vlmcli {

namespace {

constexpr std::string_view kContentLength = "Content-Length:";

bool SameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// The length a Content-Length header's value gives (one beyond size_t's
// range saturates, and is skipped to the end of input); nothing for a value
// that is not a decimal number.
std::optional<std::size_t> ParseLength(std::string_view value) {
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  if (value.empty()) return std::nullopt;
  std::size_t length = 0;
  for (const char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::size_t>(c - '0');
    length = length > (SIZE_MAX - digit) / 10 ? SIZE_MAX : length * 10 + digit;
  }
  return length;
}

}  // namespace

bool LspReader::Fill() {
  char chunk[65536];
  for (;;) {
    const ssize_t got = ::read(fd_, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    buffer_.append(chunk, static_cast<std::size_t>(got));
    return true;
  }
}

bool LspReader::Skip(std::size_t count) {
  while (buffer_.size() < count) {
    count -= buffer_.size();
    buffer_.clear();
    if (!Fill()) return false;
  }
  buffer_.erase(0, count);
  return true;
}

LspFrame LspReader::Next() {
  while (resync_) {
    const std::size_t found = buffer_.find(kContentLength);
    if (found != std::string::npos) {
      buffer_.erase(0, found);
      resync_ = false;
    } else {
      // Keep what could be the start of the name, cut by the read.
      buffer_.erase(0, buffer_.size() - std::min(buffer_.size(), kContentLength.size() - 1));
      if (!Fill()) return {};
    }
  }
  // Header lines up to an empty one; a bare LF ends a line as CR LF does.
  std::optional<std::size_t> length;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = buffer_.find('\n', start);
    if (end == std::string::npos) {
      if (buffer_.size() > kMaxLspHeaderBytes) break;
      if (!Fill()) return {};
      continue;
    }
    std::string_view line(buffer_.data() + start, end - start);
    start = end + 1;
    if (start > kMaxLspHeaderBytes) break;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) {
      buffer_.erase(0, start);
      if (!length) {
        resync_ = true;
        return {LspFrame::Kind::BadHeader, {}};
      }
      if (*length > kMaxLspMessageBytes) return Skip(*length) ? LspFrame{LspFrame::Kind::TooLarge, {}} : LspFrame{};
      while (buffer_.size() < *length)
        if (!Fill()) return {};
      LspFrame frame{LspFrame::Kind::Message, buffer_.substr(0, *length)};
      buffer_.erase(0, *length);
      return frame;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      buffer_.erase(0, start);
      resync_ = true;
      return {LspFrame::Kind::BadHeader, {}};
    }
    // Other headers (Content-Type) are read past.
    if (SameLetters(line.substr(0, colon), "Content-Length")) {
      length = ParseLength(line.substr(colon + 1));
      if (!length) {
        buffer_.erase(0, start);
        resync_ = true;
        return {LspFrame::Kind::BadHeader, {}};
      }
    }
  }
  // Headers beyond their bound. At least one byte goes, or a search for
  // the next Content-Length would find this one again.
  buffer_.erase(0, std::max<std::size_t>(start, 1));
  resync_ = true;
  return {LspFrame::Kind::BadHeader, {}};
}

std::string FrameLspMessage(std::string_view body) {
  std::string framed = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  framed.append(body);
  return framed;
}

}  // namespace vlmcli
