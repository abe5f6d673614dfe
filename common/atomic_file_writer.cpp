#include "common/atomic_file_writer.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace vlm {

namespace {

constexpr int MaxLinks = 40;            // the same bound the system puts on a path's links
constexpr std::size_t MaxNameStem = 200;  // keeps the temporary name under NAME_MAX

// The directory part of path ("." for a bare name), and the last part.
std::string DirectoryOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// 64 bits from the system's random source, as 16 hex digits. getrandom only
// fails without entropy at early boot or under seccomp; the clock and the
// address of a local then still make a name no one can plant in advance
// reliably, and O_EXCL keeps a guessed one from being followed.
std::string RandomSuffix() {
  std::uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    bits = static_cast<std::uint64_t>(now.tv_nsec) ^ (static_cast<std::uint64_t>(now.tv_sec) << 30) ^
           reinterpret_cast<std::uintptr_t>(&now);
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
  return text;
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::optional<std::string> LinkTarget(const std::string& path) {
  std::string name = path;
  for (int links = 0;; ++links) {
    struct stat info {};
    if (::lstat(name.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return name;
    if (links == MaxLinks) {
      errno = ELOOP;
      return std::nullopt;
    }
    std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
    const ssize_t n = ::readlink(name.c_str(), target.data(), target.size());
    if (n < 0) return std::nullopt;
    target.resize(static_cast<std::size_t>(n));
    name = target.starts_with('/') ? target : DirectoryOf(name) + "/" + target;
  }
}

AtomicFileWriter::AtomicFileWriter(const std::string& path) : Path(path) {
  // stat follows every link, including the kernel's own (/dev/stdout names
  // /proc/self/fd/1, whose link text is no path): what exists and is no
  // regular file is opened by the name as given.
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    if (S_ISDIR(info.st_mode)) Error = EISDIR;
    else OpenInPlace();
    return;
  }
  const auto target = LinkTarget(path);
  if (!target) {
    Error = errno;
    return;
  }
  Target = *target;
  CreateTemporary();
}

// Opening a pipe waits for its reader, as any program writing to it does.
void AtomicFileWriter::OpenInPlace() {
  inPlace = true;
  Fd = ::open(Path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (Fd < 0) Error = errno;
}

// O_EXCL with O_CREAT never opens an existing name, and never follows a
// link planted under it; a name taken by chance is drawn again.
void AtomicFileWriter::CreateTemporary() {
  const std::string stem = "." + NameOf(Target).substr(0, MaxNameStem) + ".";
  const std::string dir = DirectoryOf(Target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temp = dir + "/" + stem + RandomSuffix();
    Fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (Fd >= 0) {
      Temp = std::move(temp);
      break;
    }
    if (errno != EEXIST) break;
  }
  if (Fd < 0) {
    Error = errno;
    return;
  }
  struct stat old {};
  mode_t mode = NewFileMode();
  if (::stat(Target.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
    // Only root may give a file away; others keep their own ownership. The
    // owner goes first: a change of owner clears set-id bits.
    const bool otherOwner = old.st_uid != ::geteuid() || old.st_gid != ::getegid();
    if (otherOwner && ::fchown(Fd, old.st_uid, old.st_gid) != 0) {
      // Not permitted: the new file is the writer's own, as an editor's save makes it.
    }
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
  if (Error == 0 && !inPlace && Fd >= 0 && Bytes > 0 && Bytes <= static_cast<std::uint64_t>(INT64_MAX) &&
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

void AtomicFileWriter::WriteAt(std::uint64_t offset, std::string_view data) {
  if (Error == 0 && inPlace) Error = ESPIPE;
  std::size_t done = 0;
  while (Error == 0 && done < data.size()) {
    const ssize_t n = ::pwrite(Fd, data.data() + done, data.size() - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno != EINTR) Error = errno;
      continue;
    }
    done += static_cast<std::size_t>(n);
  }
  if (Error == 0 && offset + done > Written) Written = offset + done;
}

std::optional<std::string> AtomicFileWriter::Commit(bool syncToDisk) {
  // Cutting the file to its own size releases the unused reservation; a
  // failure there leaves the file whole and of the right size: no error.
  if (Error == 0 && Reserved && ::ftruncate(Fd, static_cast<off_t>(Written)) != 0) Reserved = false;
  // A pipe or a device has nothing to flush to disk.
  if (Error == 0 && syncToDisk && !inPlace && ::fsync(Fd) != 0) Error = errno;
  if (Fd >= 0 && ::close(Fd) != 0 && Error == 0) Error = errno;
  Fd = -1;
  if (Error == 0 && !inPlace) {
    if (::rename(Temp.c_str(), Target.c_str()) != 0) {
      Error = errno;
    } else {
      Temp.clear();  // renamed into place: nothing to remove
      // The rename is on disk once its directory is; a file system that
      // cannot flush a directory (EINVAL) keeps it by other means.
      const int dir = syncToDisk ? ::open(DirectoryOf(Target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
      if (dir >= 0) {
        if (::fsync(dir) != 0 && errno != EINVAL) Error = errno;
        ::close(dir);
      }
    }
  }
  if (Error != 0) return Path + ": " + std::strerror(Error);
  return std::nullopt;
}

}  // namespace vlm
