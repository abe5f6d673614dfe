#include "common/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/atomic_file_writer.h"
#include "common/text_encoding.h"

namespace vlm {

namespace {

std::string Reason(const std::string& what, int error) { return what + ": " + std::strerror(error); }

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// Appends Line without the CR that may end it.
void AddSourceLine(std::string_view Line, std::vector<std::string>& Lines) {
  if (Line.ends_with('\r')) Line.remove_suffix(1);
  Lines.emplace_back(Line);
}

// Splits a whole decoded text the way ReadSourceLines does.
std::vector<std::string> SplitSourceLines(std::string_view Text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < Text.size()) {
    std::size_t end = Text.find('\n', start);
    if (end == std::string_view::npos) end = Text.size();
    AddSourceLine(Text.substr(start, end - start), lines);
    start = end + 1;
  }
  return lines;
}

// Reads the file's lines while they are UTF-8. A line feed never lies
// inside a UTF-8 character, so the text is UTF-8 exactly when each line is.
// Returns false at the first line that is not, or when reading fails
// (Failed is then set, with errno).
bool ReadUtf8Lines(int Fd, std::vector<std::string>& Lines, bool& Failed) {
  std::vector<char> piece(std::size_t{1} << 16);
  // The start of a line that ran past the last piece. A line that long may
  // be the whole file (a song written on one line): it gets room for the
  // file at once, which costs nothing until used, instead of growing by copies.
  std::string partial;
  std::uint64_t total = 0;  // bytes read
  struct stat info {};
  const std::size_t fileSize =
      ::fstat(Fd, &info) == 0 && S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) : 0;
  auto add = [&Lines](std::string_view line) {
    if (!IsValidUtf8(line)) return false;
    if (Lines.empty() && line.starts_with(ByteOrderMark)) line.remove_prefix(ByteOrderMark.size());
    AddSourceLine(line, Lines);
    return true;
  };
  for (;;) {
    const ssize_t n = ::read(Fd, piece.data(), piece.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      Failed = true;
      return false;
    }
    if (n == 0) break;
    // A file still growing is not followed past the limit.
    if ((total += static_cast<std::uint64_t>(n)) > MaxSourceBytes) {
      errno = EFBIG;
      Failed = true;
      return false;
    }
    std::string_view rest(piece.data(), static_cast<std::size_t>(n));
    for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos; rest.remove_prefix(end + 1)) {
      if (partial.empty()) {
        if (!add(rest.substr(0, end))) return false;
      } else {
        partial.append(rest.substr(0, end));
        if (!add(partial)) return false;
        partial.clear();
      }
    }
    if (!rest.empty() && partial.empty() && fileSize > partial.capacity()) partial.reserve(fileSize);
    partial.append(rest);
  }
  // A byte-order mark alone is an empty text: no line, as DecodeText gives.
  if (partial.empty() || (Lines.empty() && partial == ByteOrderMark)) return true;
  if (partial.size() < partial.capacity() / 2) return add(partial);
  // A long last line without a line end is moved in rather than copied.
  if (!IsValidUtf8(partial)) return false;
  if (Lines.empty() && partial.starts_with(ByteOrderMark)) partial.erase(0, ByteOrderMark.size());
  if (partial.ends_with('\r')) partial.pop_back();
  Lines.push_back(std::move(partial));
  return true;
}

}  // namespace

std::optional<std::string> ReadFileBytes(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::nullopt;
  std::string bytes;
  struct stat info {};
  if (::fstat(::fileno(file), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
    bytes.reserve(static_cast<std::size_t>(info.st_size));  // one allocation for a regular file
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  const bool failed = std::ferror(file) != 0;  // a directory, an I/O error
  std::fclose(file);
  if (failed) return std::nullopt;
  return bytes;
}

namespace {

// Reads up to Limit bytes and one more, so that a longer input shows. False
// on a read error (errno tells why).
bool ReadAtMost(int Fd, std::uint64_t Limit, std::string& Bytes) {
  char buffer[65536];
  while (Bytes.size() <= Limit) {
    const std::size_t want = std::min<std::uint64_t>(sizeof buffer, Limit + 1 - Bytes.size());
    const ssize_t n = ::read(Fd, buffer, want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    Bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return true;
}

std::string TooLarge(const std::string& path) {
  return path + ": larger than " + std::to_string(MaxSourceBytes >> 20) + " MiB, the most a source may hold";
}

// The lines of a regular file opened on Fd, read in pieces while it is UTF-8;
// a file that turns out not to be is read again whole and decoded.
std::optional<std::vector<std::string>> ReadRegularSource(int Fd, const std::string& path, std::string& why) {
  std::vector<std::string> lines;
  bool failed = false;
  const bool utf8 = ReadUtf8Lines(Fd, lines, failed);
  std::string bytes;
  if (!failed && !utf8 && (::lseek(Fd, 0, SEEK_SET) != 0 || !ReadAtMost(Fd, MaxSourceBytes, bytes))) failed = true;
  if (!failed && bytes.size() > MaxSourceBytes) {
    errno = EFBIG;
    failed = true;
  }
  if (failed) {
    why = errno == EFBIG ? TooLarge(path) : Reason(path, errno);
    return std::nullopt;
  }
  if (utf8) return lines;
  return SplitSourceLines(DecodeText(bytes));
}

}  // namespace

std::optional<std::vector<std::string>> ReadSourceLines(const std::string& path, std::string* why) {
  std::string reason;
  auto result = [&]() -> std::optional<std::vector<std::string>> {
    if (path == "-") {
      std::string bytes;
      if (!ReadAtMost(STDIN_FILENO, MaxSourceBytes, bytes)) {
        reason = Reason("standard input", errno);
        return std::nullopt;
      }
      if (bytes.size() > MaxSourceBytes) {
        errno = EFBIG;
        reason = TooLarge("standard input");
        return std::nullopt;
      }
      return SplitSourceLines(DecodeText(bytes));
    }
    // Not blocking: opening a pipe would wait for its writer before it is refused.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
      reason = Reason(path, errno);
      return std::nullopt;
    }
    struct stat info {};
    std::optional<std::vector<std::string>> lines;
    if (::fstat(fd, &info) != 0) {
      reason = Reason(path, errno);
    } else if (!S_ISREG(info.st_mode)) {
      errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
      reason = path + ": not a regular file (a source is a regular file of up to " +
               std::to_string(MaxSourceBytes >> 20) + " MiB, or - for standard input)";
    } else if (static_cast<std::uint64_t>(info.st_size) > MaxSourceBytes) {
      errno = EFBIG;
      reason = TooLarge(path);
    } else {
      lines = ReadRegularSource(fd, path, reason);
    }
    const int error = errno;
    ::close(fd);
    errno = error;
    return lines;
  }();
  if (!result && why) *why = reason;
  return result;
}

std::optional<std::string> ReadTextFile(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  return DecodeText(*bytes);
}

// Each line is copied once, whole: the presets every start-up reads are
// split without growing a string character by character.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    lines.emplace_back(text, start, end - start);
    if (end == text.size()) break;
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::optional<std::string> WriteFileAtomically(const std::string& path, std::string_view data, bool syncToDisk) {
  AtomicFileWriter writer(path);
  writer.Reserve(data.size());
  writer.Write(data);
  return writer.Commit(syncToDisk);
}

std::optional<std::string> CopyFileAtomically(const std::string& from, const std::string& to) {
  auto bytes = ReadFileBytes(from);
  if (!bytes) return Reason(from, errno ? errno : EIO);
  return WriteFileAtomically(to, *bytes);
}

}  // namespace vlm
