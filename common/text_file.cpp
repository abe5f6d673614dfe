#include "common/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <cstdio>

#include "common/text_encoding.h"

namespace vlm {

namespace {

std::string Reason(const std::string& what, int error) { return what + ": " + std::strerror(error); }

// Writes all of data to fd, retrying short writes; errno on failure.
int WriteAll(int fd, std::string_view data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(n);
  }
  return 0;
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

std::optional<std::string> ReadTextFile(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  return DecodeText(*bytes);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(current);
      current.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      current += c;
    }
  }
  if (!current.empty()) lines.push_back(current);
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
  namespace fs = std::filesystem;
  std::error_code ec;
  // Write through a symbolic link to the file it names, not over the link.
  fs::path target = fs::weakly_canonical(fs::path(path), ec);
  if (ec || target.empty()) target = fs::path(path);
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");

  std::string temp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return Reason(path, errno);

  // Keep the mode of the file we replace; a new file gets 0666 less the umask,
  // as open(2) would have given it.
  struct stat old {};
  mode_t mode;
  if (::stat(target.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  int error = ::fchmod(fd, mode) == 0 ? 0 : errno;
  if (error == 0) error = WriteAll(fd, data);
  if (error == 0 && syncToDisk && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    return Reason(path, error);
  }
  return std::nullopt;
}

std::optional<std::string> CopyFileAtomically(const std::string& from, const std::string& to) {
  auto bytes = ReadFileBytes(from);
  if (!bytes) return Reason(from, errno ? errno : EIO);
  return WriteFileAtomically(to, *bytes);
}

}  // namespace vlm
