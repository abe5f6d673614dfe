#include "cli/roll_picture.h"

#include <dlfcn.h>

#include <string_view>
#include <vector>

#include "common/app_path.h"
#include "common/text_file.h"
#include "ui/roll_png.h"

namespace vlm {

namespace {

constexpr const char* LibraryName = "libvorlumi3-roll-png.so";

// Beside the program in a build tree; under the library folder once
// installed (the program in PREFIX/bin, the library in PREFIX/LIBDIR/vorlumi3).
std::vector<std::string> LibraryCandidates() {
  return {AppPath() + LibraryName, AppPath() + "../" VLM_ROLL_LIBRARY_DIR "/" + LibraryName};
}

void AppendBytes(void* context, const char* bytes, std::size_t size) {
  static_cast<std::string*>(context)->append(bytes, size);
}

}  // namespace

std::optional<std::string> WriteRollPicture(const std::string& midiBytes, const std::string& pngPath,
                                            const std::optional<std::array<int, 12>>& weights,
                                            const PictureSteps* steps) {
  // Opened once and kept for the process: Qt cannot be unloaded and loaded again.
  static void* library = nullptr;
  std::string tried;
  for (const std::string& candidate : LibraryCandidates()) {
    if (library) break;
    dlerror();
    library = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
      const char* why = dlerror();
      tried += (tried.empty() ? "" : "; ") + std::string(why ? why : candidate);
    }
  }
  if (!library) return "the picture library could not be loaded (" + tried + ")";
  const auto draw = reinterpret_cast<decltype(&vlm_roll_png)>(dlsym(library, VLM_ROLL_PNG_SYMBOL));
  if (!draw) return std::string("the picture library has no function ") + VLM_ROLL_PNG_SYMBOL;
  std::string png;
  char error[512] = "";
  std::vector<VlmPatternNote> notes;
  VlmPhraseSteps phrase{};
  if (steps) {
    for (const PictureSteps::Note& n : steps->Notes) notes.push_back({n.Track, n.Tick, n.Number, n.PatternOffset});
    phrase = {steps->Rhythm.c_str(), steps->Steps, steps->Pattern.c_str(), notes.data(), notes.size()};
  }
  if (draw(midiBytes.data(), midiBytes.size(), weights ? weights->data() : nullptr, steps ? &phrase : nullptr,
           AppendBytes, &png, error, sizeof error) != 0)
    return pngPath + ": " + error;
  if (auto failure = WriteFileAtomically(pngPath, png)) return *failure;
  return std::nullopt;
}

}  // namespace vlm
