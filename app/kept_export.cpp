#include "app/kept_export.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

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

// A phrase's name as part of a file name: a slash or a control character
// would make another path or an unreadable name, so each becomes "_"; a name
// longer than 100 bytes is cut at a character's start.
std::string NamePart(const std::string& label) {
  constexpr std::size_t MostBytes = 100;
  std::string part;
  for (const char c : label) part += c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '_' : c;
  if (part.size() > MostBytes) {
    std::size_t cut = MostBytes;
    while (cut > 0 && (static_cast<unsigned char>(part[cut]) & 0xC0) == 0x80) --cut;
    part.resize(cut);
  }
  return part;
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
    const std::string named = !entry.Label.empty() ? " " + NamePart(entry.Label)
                              : entry.Seed          ? " seed " + std::to_string(*entry.Seed)
                                                    : "";
    const std::string stem = FreeStem(folder, std::string(place) + named);
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

// The phrase is compiled into a scratch file beside the copies, which the
// handover then names by its seed and contents.
HandedPhrase HandOverKeptPhrase(TForm1& form, const PhraseEntry& entry, const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const std::string scratch = (std::filesystem::path(folder) / ".compiling.mid").string();
  std::filesystem::remove(scratch, ec);
  if (!form.ExportEntry(entry, scratch, false) || !std::filesystem::exists(scratch, ec)) return {};
  HandedPhrase handed = HandOverPhrase(scratch, entry.Seed, folder);
  std::filesystem::remove(scratch, ec);
  return handed;
}

}  // namespace vlm
