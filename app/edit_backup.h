#pragma once
// Edits of a text file not saved yet, kept in a folder of the user's data
// while they are made, so that a crash or a power cut loses at most the
// last few seconds of them: the next opening of the file offers them back.
// A backup is named after the file and a hash of its full path, so that a
// user who looks into the folder sees whose edits each one holds.

#include <optional>
#include <string>

namespace vlm {

class EditBackup {
 public:
  // folder: where backups live, made when needed ("" keeps none);
  // fileName: the file edited.
  EditBackup(const std::string& folder, const std::string& fileName);

  // Where the edits are kept; empty when none are.
  const std::string& Path() const { return path_; }
  // The edits an earlier run kept, when they differ from `current`.
  std::optional<std::string> Pending(const std::string& current) const;
  // Keeps the text (whole or not at all); the reason when it could not.
  std::optional<std::string> Keep(const std::string& text);
  // Forgets the kept edits: they were saved or given up.
  void Drop();

 private:
  std::string path_;
};

}  // namespace vlm
