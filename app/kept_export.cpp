#include "app/kept_export.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/text_file.h"

namespace vlm {

namespace {

// The first of "STEM.mid"/"STEM.vlm", "STEM (2)...", ... whose two names are
// both free.
std::string FreeStem(const std::filesystem::path& folder, const std::string& stem) {
  std::error_code ec;
  for (int n = 1;; ++n) {
    const std::string candidate = n == 1 ? stem : stem + " (" + std::to_string(n) + ")";
    if (!std::filesystem::exists(folder / (candidate + ".mid"), ec) &&
        !std::filesystem::exists(folder / (candidate + ".vlm"), ec))
      return (folder / candidate).string();
  }
}

}  // namespace

KeptExport ExportKeptPhrases(TForm1& form, const std::vector<PhraseEntry>& entries, const std::string& folder) {
  KeptExport result;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const int digits = entries.size() < 100 ? 2 : static_cast<int>(std::to_string(entries.size()).size());
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const PhraseEntry& entry = entries[k];
    char place[24];
    std::snprintf(place, sizeof place, "%0*zu", digits, k + 1);
    const std::string stem =
        FreeStem(folder, std::string(place) + (entry.Seed ? " seed " + std::to_string(*entry.Seed) : ""));
    bool both = true;
    for (const bool asMml : {false, true}) {
      const std::string file = stem + (asMml ? ".vlm" : ".mid");
      // A compile that could not write the MIDI file has told the user why.
      if (form.ExportEntry(entry, file, asMml) && std::filesystem::exists(file, ec)) {
        result.Files.push_back(file);
      } else {
        both = false;
      }
    }
    if (both) ++result.Written;
  }
  return result;
}

// The phrase is compiled into a hidden name first; then its bytes decide
// between a file of the same phrase already there and a free name.
std::optional<std::string> ExportForDrag(TForm1& form, const PhraseEntry& entry, const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(folder, ec);
  const fs::path fresh = fs::path(folder) / ".dragging.mid";
  if (!form.ExportEntry(entry, fresh.string(), false)) return std::nullopt;
  const std::optional<std::string> bytes = ReadFileBytes(fresh.string());
  if (!bytes) return std::nullopt;  // the compile told why nothing was written
  const std::string stem = entry.Seed ? "seed " + std::to_string(*entry.Seed) : "phrase";
  for (int n = 1;; ++n) {
    const fs::path candidate = fs::path(folder) / ((n == 1 ? stem : stem + " (" + std::to_string(n) + ")") + ".mid");
    if (!fs::exists(candidate, ec)) {
      fs::rename(fresh, candidate, ec);
      if (ec) return std::nullopt;
      return candidate.string();
    }
    if (ReadFileBytes(candidate.string()) == bytes) {
      fs::remove(fresh, ec);
      return candidate.string();
    }
  }
}

}  // namespace vlm
