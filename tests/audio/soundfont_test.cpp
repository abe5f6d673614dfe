#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "audio/soundfont.h"
#include "common/app_path.h"
#include "common/media_player.h"
#include "tests/audio/audio_support.h"
#include "tests/support/compile_harness.h"

namespace {

class SoundFontDiscovery : public ::testing::Test {
 protected:
  std::string dir = vlmtest::ScratchDir();
  std::string defaultGm = dir + "/default-GM.sf2";
  std::string fluid = dir + "/FluidR3_GM.sf2";
  std::string tim = dir + "/TimGM6mb.sf2";
  std::string chosen = dir + "/chosen.sf2";
  std::string fromEnv = dir + "/env.sf2";

  ~SoundFontDiscovery() override { std::filesystem::remove_all(dir); }
  void Make(const std::string& path) { vlmtest::WriteBytes(path, {'R', 'I', 'F', 'F'}); }
  vlm::SoundFontSearch Search(std::string explicitChoice = "", std::string environment = "") {
    return {explicitChoice, environment, {defaultGm, fluid, tim}, ""};
  }
  std::string ErrorOf(const vlm::SoundFontSearch& search) {
    try {
      return "found " + vlm::FindSoundFont(search);
    } catch (const vlm::MediaError& e) {
      return e.what();
    }
  }
};

TEST_F(SoundFontDiscovery, ExplicitChoiceThenEnvironmentThenSystemFilesInOrder) {
  for (const auto& f : {defaultGm, fluid, tim, chosen, fromEnv}) Make(f);
  EXPECT_EQ(vlm::FindSoundFont(Search(chosen, fromEnv)), chosen);
  EXPECT_EQ(vlm::FindSoundFont(Search("", fromEnv)), fromEnv);
  EXPECT_EQ(vlm::FindSoundFont(Search()), defaultGm);
  std::filesystem::remove(defaultGm);
  EXPECT_EQ(vlm::FindSoundFont(Search()), fluid);
  std::filesystem::remove(fluid);
  EXPECT_EQ(vlm::FindSoundFont(Search()), tim);
}

TEST_F(SoundFontDiscovery, DanglingDefaultLinkIsPassedOver) {
  Make(tim);
  std::filesystem::create_symlink(dir + "/removed.sf2", defaultGm);
  EXPECT_EQ(vlm::FindSoundFont(Search()), tim);
}

TEST_F(SoundFontDiscovery, MissingFilesAreNamedWithTheWayToGetOne) {
  Make(tim);
  // A named SoundFont that is missing is an error, not a reason to take another.
  const std::string named = ErrorOf(Search(dir + "/typo.sf2"));
  EXPECT_NE(named.find("\"" + dir + "/typo.sf2\" does not exist"), std::string::npos) << named;
  EXPECT_NE(named.find("sudo apt-get install timgm6mb-soundfont"), std::string::npos) << named;
  const std::string env = ErrorOf(Search("", dir + "/gone.sf2"));
  EXPECT_NE(env.find("\"" + dir + "/gone.sf2\" named by VORLUMI3_SOUNDFONT does not exist"), std::string::npos) << env;
  std::filesystem::remove(tim);
  EXPECT_EQ(ErrorOf(Search()),
            "No General MIDI SoundFont found (looked for " + defaultGm + ", " + fluid + ", " + tim +
                "). Install one with \"sudo apt-get install timgm6mb-soundfont\" (or fluid-soundfont-gm), "
                "or name a .sf2 file in the environment variable VORLUMI3_SOUNDFONT.");
}

TEST(SoundFontSearchDefaults, ReadsTheEnvironmentAndKnowsTheDebianFiles) {
  setenv("VORLUMI3_SOUNDFONT", "/somewhere/own.sf2", 1);
  setenv("XDG_DATA_HOME", "/data/me", 1);
  const auto search = vlm::DefaultSoundFontSearch("given.sf2");
  unsetenv("VORLUMI3_SOUNDFONT");
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(search.explicitChoice, "given.sf2");
  EXPECT_EQ(search.environment, "/somewhere/own.sf2");
  EXPECT_EQ(search.userFolder, "/data/me/soundfonts");
  // The library's own default first (Debian 12 builds libfluidsynth3 with
  // the .sf3 file), each file once.
  EXPECT_EQ(vlm::FluidDefaultSoundFont(), "/usr/share/sounds/sf3/default-GM.sf3");
  EXPECT_EQ(search.systemFiles, (std::vector<std::string>{"/usr/share/sounds/sf3/default-GM.sf3",
                                                           "/usr/share/sounds/sf2/default-GM.sf2",
                                                           "/usr/share/sounds/sf2/FluidR3_GM.sf2",
                                                           "/usr/share/sounds/sf2/TimGM6mb.sf2"}));
  EXPECT_EQ(vlm::DefaultSoundFontSearch("").environment, "");
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') {
    EXPECT_EQ(vlm::DefaultSoundFontSearch("").userFolder, std::string(home) + "/.local/share/soundfonts");
  }
}

// A relative name in the environment is the user's, from where the program
// was started, not from the folder the program moves into.
TEST(SoundFontSearchDefaults, RelativeEnvironmentNameIsTakenFromTheStartDirectory) {
  const auto before = std::filesystem::current_path();
  const std::string dir = vlmtest::ScratchDir();
  std::filesystem::current_path(dir);
  vlm::RememberStartDirectory();
  const std::string start = vlm::StartDirectory();
  std::filesystem::current_path("/");
  setenv("VORLUMI3_SOUNDFONT", "fonts/my.sf2", 1);
  const auto search = vlm::DefaultSoundFontSearch("");
  unsetenv("VORLUMI3_SOUNDFONT");
  std::filesystem::current_path(before);
  std::filesystem::remove_all(dir);
  if (start != std::filesystem::path(dir).string() + "/") GTEST_SKIP() << "another test remembered " << start;
  EXPECT_EQ(search.environment, start + "fonts/my.sf2");
}

TEST_F(SoundFontDiscovery, TheUsersFolderComesBeforeTheSystemFiles) {
  Make(tim);
  const std::string own = dir + "/own";
  std::filesystem::create_directories(own + "/sub.sf2");  // a folder, not a SoundFont
  vlm::SoundFontSearch search = Search();
  search.userFolder = own;
  EXPECT_EQ(vlm::FindSoundFont(search), tim);  // nothing there yet
  Make(own + "/notes.txt");
  Make(own + "/zz.sf3");
  EXPECT_EQ(vlm::FindSoundFont(search), own + "/zz.sf3");
  Make(own + "/Piano.SF2");
  EXPECT_EQ(vlm::FindSoundFont(search), own + "/Piano.SF2");
  Make(fromEnv);
  search.environment = fromEnv;  // the environment still comes first
  EXPECT_EQ(vlm::FindSoundFont(search), fromEnv);
  search.environment.clear();
  std::filesystem::remove(tim);
  search.userFolder = dir + "/none";
  EXPECT_NE(ErrorOf(search).find(", and .sf2 or .sf3 files in " + dir + "/none). "), std::string::npos)
      << ErrorOf(search);
}

}  // namespace
