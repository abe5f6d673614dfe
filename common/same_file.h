#pragma once
// Refusing an output that would overwrite an input or another output of the
// same run, before anything is written.

#include <optional>
#include <string>
#include <vector>

namespace vlm {

struct NamedFile {
  std::string role;  // how the user named it: "SOURCE", "-o", "--wav", ...
  std::string path;  // as given; empty when the run does not use it
};

// The first two files of the list that are one file: the same device and
// inode (through hard and symbolic links), or, for files still to be made,
// the same name in the same folder. Pipes and devices are written in place
// and may be shared. The text names both, for example
// "-o s.vlm is the same file as SOURCE s.vlm".
std::optional<std::string> SameFileConflict(const std::vector<NamedFile>& files);

}  // namespace vlm
