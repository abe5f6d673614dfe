#pragma once
// Writing a file so that it is replaced whole or not at all.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vlm {

// The name a write to path replaces: symbolic links are followed, at most 40
// of them, to the name the last one gives, whether or not a file exists
// there. Nothing when a link cannot be read or the chain is too long (errno
// tells why).
std::optional<std::string> LinkTarget(const std::string& path);

// The one way the programs write a file. A new file or a regular one is
// written to a temporary file beside it, created exclusively under an
// unpredictable name, and renamed over the target on Commit, so that a
// failure (or a writer dropped before Commit) never leaves a half-written
// file and another user's planted name is never followed: the old file stays
// as it was and the temporary file is removed. A link is followed to the file
// it names and stays a link; the replaced file's mode (and, where allowed, its
// owner) is kept; a new file gets 0666 less the umask. A target that exists
// and is not a regular file (a pipe, a terminal, /dev/null) is written in
// place and never renamed over.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(const std::string& path);
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
  ~AtomicFileWriter();

  // True when the target is written in place (not a regular file): WriteAt
  // then fails, so a caller that patches a header must write it final first.
  bool InPlace() const { return inPlace; }
  // The errno of the first failure so far (0 when none): a target that
  // could not be opened or created shows here at once.
  int ErrorNumber() const { return Error; }

  // Sets aside disk space for a file of up to Bytes, a hint that is never a
  // failure. Written into reserved space, the file's blocks are not left for
  // the replacing rename to allocate: on ext4 that rename otherwise waits
  // for them (some 7 ms for a file of 9 MB). Commit gives back what the file
  // did not use.
  void Reserve(std::uint64_t Bytes);
  // Appends data; after a failure, later writes are ignored and Commit
  // reports the first failure.
  void Write(std::string_view data);
  // Writes data over bytes already written, from offset on (a header whose
  // sizes are known only at the end). Fails for a target written in place.
  void WriteAt(std::uint64_t offset, std::string_view data);
  // Flushes the file to disk (unless syncToDisk is false), renames it into
  // place and flushes the directory. Returns the reason on failure, naming
  // the path as given.
  std::optional<std::string> Commit(bool syncToDisk = true);

 private:
  void OpenInPlace();
  void CreateTemporary();

  std::string Path;    // the path as given, for messages
  std::string Target;  // the name to replace, links followed
  std::string Temp;    // the temporary file, while it exists
  int Fd = -1;         // open on Temp (or on the target in place) until Commit
  int Error = 0;       // the first errno met
  bool inPlace = false;        // the target is not a regular file
  bool Reserved = false;       // space past the end was set aside
  std::uint64_t Written = 0;   // bytes written so far
};

}  // namespace vlm
