#include "common/text_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/atomic_file_writer.h"
#include "common/text_encoding.h"

namespace vlm {

namespace {

std::string Reason(const std::string& what, int error) { return what + ": " + std::strerror(error); }

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
