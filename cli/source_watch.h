#pragma once
// Waiting for a source to change on disk, for vlmc --watch. The folders of
// the files are watched rather than the files: an editor that saves by
// writing a new file and renaming it over the old one would end a watch on
// the file itself.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vlmcli {

class SourceWatch {
 public:
  SourceWatch();
  ~SourceWatch();
  SourceWatch(const SourceWatch&) = delete;
  SourceWatch& operator=(const SourceWatch&) = delete;

  // The reason the watch cannot work (no inotify instance), if any.
  const std::optional<std::string>& Failure() const { return failure_; }
  // Watches these files from now on, in place of the earlier ones; a file
  // whose folder cannot be watched is left out, with the reason returned.
  std::optional<std::string> Watch(const std::vector<std::string>& files);
  // Waits at most timeoutMs for a watched file to be written (closed after
  // writing, or renamed into place); true when one was.
  bool Changed(int timeoutMs);

 private:
  int fd_ = -1;
  std::optional<std::string> failure_;
  std::map<int, std::string> folders_;  // watch descriptor → folder (absolute, no trailing slash)
  std::set<std::string> files_;         // the watched files' absolute paths
};

}  // namespace vlmcli
