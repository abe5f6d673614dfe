// libFuzzer entry point of the scale presets (Scale.dat): arbitrary bytes are
// the preset file. It is loaded as at start-up, its presets are applied in
// turn (the last one in every key), the current weights are saved as a new
// preset, and the saved file must read back as the list that was saved, with
// the new preset giving back the weights it was made from.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/text_file.h"
#include "fuzz/form_host.h"
#include "fuzz/scratch_dir.h"

namespace {

vlmfuzz::FormHost& Host() {
  static vlmfuzz::FormHost host("scale");
  return host;
}

// Presets applied per run: enough to reach every path, few enough to stay fast.
constexpr std::size_t PresetsApplied = 64;

std::array<std::int32_t, 12> Weights(vlm::TForm1& form) {
  std::array<std::int32_t, 12> w{};
  for (int k = 1; k <= 12; ++k) w[static_cast<std::size_t>(k - 1)] = form.Scl(k).Position();
  return w;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static vlmfuzz::SilentWarnings warnings;
  vlm::SetWarningSink(&warnings);
  Host();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vlm::TForm1& form = Host().Form();
  vlmfuzz::WriteWhole(form.ScaleFileName, std::string(reinterpret_cast<const char*>(data), size));
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
    vlmfuzz::Differ("a saved preset file reads back as it was saved", vlm::JoinLinesCrLf(saved),
                    vlm::JoinLinesCrLf(form.ScaleList));
  if (form.cbScale.Items.empty() || form.cbScale.Items.back() != "FUZZ") std::abort();
  form.cbScale.SetItemIndex(static_cast<std::int32_t>(form.cbScale.Items.size()) - 1);
  form.btnScaleSetClick();
  if (Weights(form) != expected) {
    std::fputs("broken promise: a saved preset gives back its weights\n", stderr);
    std::abort();
  }
  return 0;
}
