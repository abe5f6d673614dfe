#pragma once
// A main-window model started the way the program starts it, in a scratch
// directory that stands in for the executable's directory.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/main_form.h"
#include "common/app_path.h"
#include "common/text_file.h"
#include "msgview/msg_view.h"
#include "tests/app/fakes.h"
#include "tests/support/compile_harness.h"

namespace vlmtest {

inline std::string ShippedScaleDat() {
  return vlm::ReadFileBytes(std::string(VLM_SOURCE_DIR) + "/resources/Scale.dat").value_or("");
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  ASSERT_FALSE(vlm::WriteFileAtomically(path, bytes).has_value()) << path;
}

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = ScratchDir();
    vlm::SetAppPathForTesting(dir);
  }
  void TearDown() override {
    form.reset();
    vlm::SetAppPathForTesting("");
    std::error_code ec;
    std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
    std::filesystem::remove_all(dir, ec);
  }

  // Writes scaleDat as "Scale.dat" (none when nothing is given), then runs
  // the start-up and fixes the seed.
  vlm::TForm1& Start(std::optional<std::string> scaleDat = ShippedScaleDat(), std::uint32_t seed = 1) {
    if (scaleDat) WriteFile(dir + "/Scale.dat", *scaleDat);
    form = std::make_unique<vlm::TForm1>(platform, messages, &player);
    form->FormCreate();
    form->Rng.Seed = seed;
    return *form;
  }

  std::string Path(const std::string& name) const { return dir + "/" + name; }

  std::vector<std::int32_t> Weights() const {
    std::vector<std::int32_t> w;
    for (int k = 1; k <= 12; ++k) w.push_back(form->Scl(k).Position());
    return w;
  }

  void SetWeights(const std::vector<std::int32_t>& w) {
    for (int k = 1; k <= 12; ++k) form->Scl(k).SetPosition(w[static_cast<std::size_t>(k - 1)]);
  }

  std::string dir;
  FakePlatform platform;
  RecordingWarnings warnings;
  FakePlayer player;
  vlm::TfrmMsg messages{platform};
  std::unique_ptr<vlm::TForm1> form;
};

}  // namespace vlmtest
