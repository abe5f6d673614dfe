#include "app/phrase_handover.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/content_hash.h"
#include "common/text_file.h"
#include "common/xdg_dirs.h"

namespace vlm {

HandedPhrase HandOverPhrase(const std::string& phraseFile, std::optional<std::uint32_t> seed,
                            const std::string& folder) {
  HandedPhrase handed;
  const auto bytes = ReadFileBytes(phraseFile);
  if (!bytes || bytes->empty()) {
    handed.Failure = "cannot read " + phraseFile;
    return handed;
  }
  char name[48];
  if (seed)
    std::snprintf(name, sizeof name, "vorlumi3-%u-%08x.mid", static_cast<unsigned>(*seed), ContentHash(*bytes));
  else
    std::snprintf(name, sizeof name, "vorlumi3-%08x.mid", ContentHash(*bytes));
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const std::string path = (std::filesystem::path(folder) / name).string();
  // A file of that name holds this phrase already unless it was changed since.
  if (ReadFileBytes(path) != bytes) {
    if (const auto failure = WriteFileAtomically(path, *bytes)) {
      handed.Failure = *failure;
      return handed;
    }
  }
  handed.Path = path;
  handed.Bytes = *bytes;
  return handed;
}

std::string HandOverFolder() {
  const std::string data = UserDataDirectory();
  if (!data.empty()) return data + "dragged";
  std::error_code ec;
  const std::filesystem::path temporary = std::filesystem::temp_directory_path(ec);
  return ((ec ? std::filesystem::path("/tmp") : temporary) / "vorlumi3").string();
}

}  // namespace vlm
