#include "ui/data_files.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

class DataFilesTest : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  std::string app, user;
  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    app = tmp.path().toStdString() + "/app/";
    user = tmp.path().toStdString() + "/share/vorlumi3/";
    std::filesystem::create_directories(app);
    Write(app + "Scale.dat", "Major\nA0A0AA0A0A0A\n");
  }
};

TEST_F(DataFilesTest, AWritableProgramFolderKeepsEverythingBesideTheProgram) {
  const auto files = vlm::ui::ChooseDataFiles(app, app, true, user);
  EXPECT_EQ(files.PhraseFile, app + "vorlumi3.mid");
  EXPECT_EQ(files.ScaleFile, app + "Scale.dat");
  EXPECT_FALSE(std::filesystem::exists(user));
}

TEST_F(DataFilesTest, AnInstalledProgramWritesIntoTheUsersFolderAndCopiesThePresetsOnce) {
  auto files = vlm::ui::ChooseDataFiles(app, app, false, user);
  EXPECT_EQ(files.PhraseFile, user + "vorlumi3.mid");
  EXPECT_EQ(files.ScaleFile, user + "Scale.dat");
  EXPECT_EQ(Read(user + "Scale.dat"), "Major\nA0A0AA0A0A0A\n");

  // The user's presets, once there, win over the installed ones.
  Write(user + "Scale.dat", "Mine\nAAAAAAAAAAAA\n");
  files = vlm::ui::ChooseDataFiles(app, app, false, user);
  EXPECT_EQ(files.ScaleFile, user + "Scale.dat");
  EXPECT_EQ(Read(user + "Scale.dat"), "Mine\nAAAAAAAAAAAA\n");
}

// Installed in bin with the presets in share/vorlumi3: those are copied.
TEST_F(DataFilesTest, ThePresetsComeFromTheDataFolder) {
  const std::string data = tmp.path().toStdString() + "/data/";
  std::filesystem::create_directories(data);
  Write(data + "Scale.dat", "Shared\nA00000000000\n");
  EXPECT_EQ(vlm::ui::ChooseDataFiles(app, data, true, user).ScaleFile, data + "Scale.dat");
  const auto files = vlm::ui::ChooseDataFiles(app, data, false, user);
  EXPECT_EQ(files.ScaleFile, user + "Scale.dat");
  EXPECT_EQ(Read(user + "Scale.dat"), "Shared\nA00000000000\n");
}

TEST_F(DataFilesTest, NoUsableUserFolderFallsBackToTheProgramFolder) {
  EXPECT_EQ(vlm::ui::ChooseDataFiles(app, app, false, "").PhraseFile, app + "vorlumi3.mid");
  Write(tmp.path().toStdString() + "/file", "");
  const auto files = vlm::ui::ChooseDataFiles(app, app, false, tmp.path().toStdString() + "/file/sub/");
  EXPECT_EQ(files.ScaleFile, app + "Scale.dat");
}

// Puts an environment variable back as it was.
class SavedEnv {
 public:
  explicit SavedEnv(const char* name) : name_(name), had_(std::getenv(name) != nullptr) {
    if (had_) value_ = std::getenv(name);
  }
  ~SavedEnv() {
    if (had_) setenv(name_, value_.c_str(), 1); else unsetenv(name_);
  }

 private:
  const char* name_;
  bool had_;
  std::string value_;
};

TEST(UserDataDir, FollowsXdgDataHomeThenHome) {
  const SavedEnv xdg("XDG_DATA_HOME"), home("HOME");
  setenv("XDG_DATA_HOME", "/data/home", 1);
  EXPECT_EQ(vlm::ui::UserDataDir(), "/data/home/vorlumi3/");
  setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored
  setenv("HOME", "/home/u", 1);
  EXPECT_EQ(vlm::ui::UserDataDir(), "/home/u/.local/share/vorlumi3/");
  unsetenv("HOME");
  EXPECT_EQ(vlm::ui::UserDataDir(), "");
}

}  // namespace
