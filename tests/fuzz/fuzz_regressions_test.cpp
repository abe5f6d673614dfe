// Inputs that once made a fuzz target fail, kept byte for byte in one folder
// per target, replayed through the same checks the fuzzers run: each must
// keep every promise now. A folder whose target has not failed yet holds one
// ordinary file of its kind, so that the checks always run on a real file.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "common/text_file.h"
#include "fuzz/checks.h"
#include "fuzz/form_host.h"
#include "fuzz/scratch_dir.h"

namespace {

// Runs check on every file of tests/fuzz/FOLDER and expects no broken promise.
void ReplayFolder(const std::string& folder, const std::function<std::string(const std::string&)>& check) {
  const std::filesystem::path dir = std::filesystem::path(VLM_SOURCE_DIR) / "tests/fuzz" / folder;
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const auto bytes = vlm::ReadFileBytes(entry.path().string());
    ASSERT_TRUE(bytes.has_value()) << entry.path();
    EXPECT_EQ(check(*bytes), "") << folder << "/" << entry.path().filename().string();
    ++count;
  }
  EXPECT_GT(count, 0) << folder;
}

TEST(FuzzRegressions, MidiFiles) {
  ReplayFolder("midi_inputs", [](const std::string& bytes) {
    return vlmfuzz::CheckMidiFile({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  });
}

TEST(FuzzRegressions, LanguageServerStreams) { ReplayFolder("lsp_inputs", vlmfuzz::CheckLspStream); }

TEST(FuzzRegressions, Texts) {
  const auto dir = vlmfuzz::ScratchDir("text-test");
  ReplayFolder("text_inputs", [&dir](const std::string& bytes) { return vlmfuzz::CheckText(bytes, dir); });
}

TEST(FuzzRegressions, SettingsFiles) {
  vlmfuzz::FormHost host("settings-test");
  ReplayFolder("settings_inputs", [&host](const std::string& bytes) { return vlmfuzz::CheckSettingsFile(host, bytes); });
}

TEST(FuzzRegressions, PresetFiles) {
  vlmfuzz::FormHost host("scale-test");
  ReplayFolder("scale_inputs", [&host](const std::string& bytes) { return vlmfuzz::CheckScaleFile(host, bytes); });
}

}  // namespace
