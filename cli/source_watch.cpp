#include "cli/source_watch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace vlmcli {

SourceWatch::SourceWatch() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
  if (fd_ < 0) failure_ = std::string("cannot watch files: ") + std::strerror(errno);
}

SourceWatch::~SourceWatch() {
  if (fd_ >= 0) ::close(fd_);
}

// A folder watched already keeps its watch (adding it again gives the same
// descriptor): a save made while the source was compiled has its event
// queued under that descriptor, and must still count.
std::optional<std::string> SourceWatch::Watch(const std::vector<std::string>& files) {
  if (fd_ < 0) return failure_;
  std::map<int, std::string> folders;
  files_.clear();
  std::optional<std::string> failure;
  for (const std::string& name : files) {
    std::error_code ec;
    const std::filesystem::path file = std::filesystem::absolute(name, ec).lexically_normal();
    if (ec) continue;
    const std::string folder = file.parent_path().string();
    const int descriptor = ::inotify_add_watch(fd_, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
    if (descriptor < 0) {
      failure = folder + ": " + std::strerror(errno);
      continue;
    }
    folders[descriptor] = folder;
    files_.insert(file.string());
  }
  for (const auto& [descriptor, folder] : folders_)
    if (folders.count(descriptor) == 0) ::inotify_rm_watch(fd_, descriptor);
  folders_ = std::move(folders);
  return failure;
}

// Events name a file within a watched folder; only the watched files count.
bool SourceWatch::Changed(int timeoutMs) {
  if (fd_ < 0) return false;
  pollfd ready{fd_, POLLIN, 0};
  if (::poll(&ready, 1, timeoutMs) <= 0) return false;
  bool changed = false;
  alignas(inotify_event) char buffer[16 * 1024];
  for (;;) {
    const ssize_t length = ::read(fd_, buffer, sizeof buffer);
    if (length <= 0) break;
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      const auto folder = folders_.find(event->wd);
      if (folder != folders_.end() && event->len > 0 &&
          files_.count((std::filesystem::path(folder->second) / event->name).string()) > 0)
        changed = true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  return changed;
}

}  // namespace vlmcli
