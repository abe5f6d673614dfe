#include "common/same_file.h"

#include <sys/stat.h>


#include "common/atomic_file_writer.h"

namespace vlm {

namespace {

// A file's identity: its device and inode, or for a name still free, the
// device and inode of its folder and the name in it.
struct Identity {
  dev_t device = 0;
  ino_t inode = 0;
  std::string name;  // empty for an existing file

  bool operator==(const Identity&) const = default;
};

// Nothing for a pipe or a device, and for a name that cannot be resolved
// (its write fails on its own).
std::optional<Identity> IdentityOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) return std::nullopt;
    return Identity{info.st_dev, info.st_ino, {}};
  }
  const auto target = LinkTarget(path);
  if (!target) return std::nullopt;
  const auto slash = target->find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target->substr(0, slash);
  std::string name = slash == std::string::npos ? *target : target->substr(slash + 1);
  if (name.empty() || ::stat(folder.c_str(), &info) != 0) return std::nullopt;
  return Identity{info.st_dev, info.st_ino, std::move(name)};
}

}  // namespace

std::optional<std::string> SameFileConflict(const std::vector<NamedFile>& files) {
  std::vector<std::pair<const NamedFile*, Identity>> seen;
  for (const NamedFile& file : files) {
    if (file.path.empty()) continue;
    const auto identity = IdentityOf(file.path);
    if (!identity) continue;
    for (const auto& [earlier, id] : seen)
      if (id == *identity)
        return file.role + " " + file.path + " is the same file as " + earlier->role + " " + earlier->path;
    seen.emplace_back(&file, *identity);
  }
  return std::nullopt;
}

}  // namespace vlm
