#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>

#include "common/text_file.h"
#include "fuzz/checks.h"
#include "fuzz/form_host.h"
#include "fuzz/scratch_dir.h"

namespace vlmfuzz {

namespace {

// The promise with the sizes of two texts that should be equal and the first
// byte where they differ.
std::string Differ(const std::string& promise, const std::string& a, const std::string& b) {
  const auto at = std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin();
  return promise + " (sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) +
         ", first difference at byte " + std::to_string(at) + ")";
}

// Saves the settings and reads the file back; nothing when either fails.
std::optional<std::string> SaveAndRead(vlm::TForm1& form, const std::string& path) {
  if (form.SaveSettings(path)) return std::nullopt;
  return vlm::ReadFileBytes(path);
}

// Presets applied per run: enough to reach every path, few enough to stay fast.
constexpr std::size_t PresetsApplied = 64;

std::array<std::int32_t, 12> Weights(vlm::TForm1& form) {
  std::array<std::int32_t, 12> w{};
  for (int k = 1; k <= 12; ++k) w[static_cast<std::size_t>(k - 1)] = form.Scl(k).Position();
  return w;
}

}  // namespace

// The first save goes to a new file; the second, after loading it, to
// another: both must match. Saving over the input keeps its other content,
// and loading that must give the same settings again.
std::string CheckSettingsFile(FormHost& host, const std::string& bytes) {
  vlm::TForm1& form = host.Form();
  const std::string input = host.Path("in.vr3");
  const std::string first = host.Path("first.vr3");
  const std::string second = host.Path("second.vr3");
  std::error_code ec;
  std::filesystem::remove(first, ec);
  std::filesystem::remove(second, ec);
  WriteWhole(input, bytes);

  if (!form.LoadSettings(input)) return "a written settings file loads";
  form.CompileBase.Seed = 1;
  form.Compile1Click();
  form.PlaySong1Click();

  const auto saved = SaveAndRead(form, first);
  if (!saved) return "settings can be saved";
  if (!form.LoadSettings(first)) return "saved settings load";
  const auto again = SaveAndRead(form, second);
  if (!again) return "settings can be saved again";
  if (*saved != *again) return Differ("a saved settings file reads back as it was", *saved, *again);

  if (form.SaveSettings(input)) return "settings can be saved over a file";
  if (!form.LoadSettings(input)) return "settings saved over a file load";
  std::filesystem::remove(second, ec);
  const auto merged = SaveAndRead(form, second);
  if (!merged) return "settings can be saved once more";
  if (*saved != *merged) return Differ("saving over a file keeps the settings as saved", *saved, *merged);
  return {};
}

// Loaded as at start-up, the presets applied in turn (the last one in every
// key), the weights saved as a new preset named by the input box.
std::string CheckScaleFile(FormHost& host, const std::string& bytes) {
  vlm::TForm1& form = host.Form();
  WriteWhole(form.ScaleFileName, bytes);
  form.cbKey.SetItemIndex(0);
  form.LoadScaleFile();
  const std::size_t presets = std::min(form.cbScale.Items.size(), PresetsApplied);
  for (std::size_t i = 0; i < presets; ++i) {
    form.cbScale.SetItemIndex(static_cast<std::int32_t>(i));
    form.btnScaleSetClick();
  }
  for (std::int32_t key = 11; key >= 0; --key) {
    form.cbKey.SetItemIndex(key);
    form.btnScaleSetClick();
  }

  // A weight is saved as one digit, its tens.
  std::array<std::int32_t, 12> expected = Weights(form);
  for (auto& w : expected) w = w / 10 * 10;
  form.btnSaveScaleClick();
  const std::vector<std::string> saved = form.ScaleList;
  form.LoadScaleFile();
  if (form.ScaleList != saved)
    return Differ("a saved preset file reads back as it was saved", vlm::JoinLinesCrLf(saved),
                  vlm::JoinLinesCrLf(form.ScaleList));
  if (form.cbScale.Items.empty() || form.cbScale.Items.back() != QuietPlatform::PresetName)
    return "a saved preset is the last one";
  form.cbScale.SetItemIndex(static_cast<std::int32_t>(form.cbScale.Items.size()) - 1);
  form.btnScaleSetClick();
  if (Weights(form) != expected) return "a saved preset gives back its weights";
  return {};
}

}  // namespace vlmfuzz
