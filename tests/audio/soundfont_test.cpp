#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "audio/soundfont.h"
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
    return {explicitChoice, environment, {defaultGm, fluid, tim}};
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
  const auto search = vlm::DefaultSoundFontSearch("given.sf2");
  unsetenv("VORLUMI3_SOUNDFONT");
  EXPECT_EQ(search.explicitChoice, "given.sf2");
  EXPECT_EQ(search.environment, "/somewhere/own.sf2");
  EXPECT_EQ(search.systemFiles, (std::vector<std::string>{"/usr/share/sounds/sf2/default-GM.sf2",
                                                           "/usr/share/sounds/sf2/FluidR3_GM.sf2",
                                                           "/usr/share/sounds/sf2/TimGM6mb.sf2"}));
  EXPECT_EQ(vlm::DefaultSoundFontSearch("").environment, "");
}

}  // namespace
