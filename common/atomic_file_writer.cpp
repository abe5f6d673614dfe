#include "common/atomic_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

namespace vlm {

AtomicFileWriter::AtomicFileWriter(const std::string& path) : Path(path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path target = fs::weakly_canonical(fs::path(path), ec);
  if (ec || target.empty()) target = fs::path(path);
  Target = target.string();
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string temp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
  Fd = ::mkstemp(temp.data());
  if (Fd < 0) {
    Error = errno;
    return;
  }
  Temp = std::move(temp);
  struct stat old {};
  mode_t mode;
  if (::stat(Target.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(Fd, mode) != 0) Error = errno;
}

AtomicFileWriter::~AtomicFileWriter() {
  if (Fd >= 0) ::close(Fd);
  if (!Temp.empty()) ::unlink(Temp.c_str());
}

// The space is reserved past the file's size, which stays that of the bytes
// written: a file cut short never shows the reserved length.
void AtomicFileWriter::Reserve(std::uint64_t Bytes) {
  if (Error == 0 && Fd >= 0 && Bytes > 0 && Bytes <= static_cast<std::uint64_t>(INT64_MAX) &&
      ::fallocate(Fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(Bytes)) == 0)
    Reserved = true;
}

void AtomicFileWriter::Write(std::string_view data) {
  std::size_t done = 0;
  while (Error == 0 && done < data.size()) {
    const ssize_t n = ::write(Fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno != EINTR) Error = errno;
      continue;
    }
    done += static_cast<std::size_t>(n);
    Written += static_cast<std::uint64_t>(n);
  }
}

std::optional<std::string> AtomicFileWriter::Commit(bool syncToDisk) {
  // Cutting the file to its own size releases the unused reservation; a
  // failure there leaves the file whole and of the right size: no error.
  if (Error == 0 && Reserved && ::ftruncate(Fd, static_cast<off_t>(Written)) != 0) Reserved = false;
  if (Error == 0 && syncToDisk && ::fsync(Fd) != 0) Error = errno;
  if (Fd >= 0 && ::close(Fd) != 0 && Error == 0) Error = errno;
  Fd = -1;
  if (Error == 0 && ::rename(Temp.c_str(), Target.c_str()) != 0) Error = errno;
  if (Error != 0) return Path + ": " + std::strerror(Error);
  Temp.clear();  // renamed into place: nothing to remove
  return std::nullopt;
}

}  // namespace vlm
