#pragma once
// Writing a file so that it is replaced whole or not at all.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vlm {

// Writes a file in pieces to a temporary file beside it and renames that over
// the target on Commit, so that a failure (or a writer dropped before Commit)
// never leaves a half-written file: the old one stays as it was and the
// temporary file is removed. A link is followed to the file it names, and the
// replaced file's mode is kept (a new file gets 0666 less the umask).
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(const std::string& path);
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
  ~AtomicFileWriter();

  // Sets aside disk space for a file of up to Bytes, a hint that is never a
  // failure. Written into reserved space, the file's blocks are not left for
  // the replacing rename to allocate: on ext4 that rename otherwise waits
  // for them (some 7 ms for a file of 9 MB). Commit gives back what the file
  // did not use.
  void Reserve(std::uint64_t Bytes);
  // Appends data; after a failure, later writes are ignored and Commit
  // reports the first failure.
  void Write(std::string_view data);
  // Flushes to disk (unless syncToDisk is false) and renames the file into
  // place. Returns the reason on failure, naming the target path.
  std::optional<std::string> Commit(bool syncToDisk = true);

 private:
  std::string Path;    // the path as given, for messages
  std::string Target;  // the file to replace
  std::string Temp;    // the temporary file, while it exists
  int Fd = -1;         // open on Temp until Commit
  int Error = 0;       // the first errno met
  bool Reserved = false;       // space past the end was set aside
  std::uint64_t Written = 0;   // bytes written so far
};

}  // namespace vlm
