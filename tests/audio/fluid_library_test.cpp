#include "audio/fluid_library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/media_player.h"
#include "tests/support/compile_harness.h"
#include "tests/support/run_command.h"

namespace {

// Whether text holds part; a failure shows the whole text.
::testing::AssertionResult Holds(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\"" << part << "\" is not in: " << text;
}

std::string LoadError(const std::string& file) {
  try {
    vlm::LoadFluidLibrary(file);
  } catch (const vlm::MediaError& e) {
    return e.what();
  }
  return "loaded";
}

TEST(FluidLibrary, SystemLibraryGivesEveryFunctionAndAWorkingSynthesizer) {
  const vlm::FluidLibrary fluid = vlm::LoadFluidLibrary(vlm::FluidLibraryFile);
#define VLM_EXPECT_FOUND(name) EXPECT_NE(fluid.name, nullptr) << #name;
  VLM_FLUID_FUNCTIONS(VLM_EXPECT_FOUND)
#undef VLM_EXPECT_FOUND
  fluid_settings_t* settings = fluid.new_fluid_settings();
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(fluid.fluid_settings_setint(settings, "synth.midi-channels", 32), FLUID_OK);
  EXPECT_EQ(fluid.fluid_settings_setnum(settings, "synth.sample-rate", 22050), FLUID_OK);
  EXPECT_EQ(fluid.fluid_settings_setstr(settings, "synth.no-such-setting", "x"), FLUID_FAILED);
  fluid_synth_t* synth = fluid.new_fluid_synth(settings);
  ASSERT_NE(synth, nullptr);
  EXPECT_EQ(fluid.fluid_synth_count_midi_channels(synth), 32);
  fluid.delete_fluid_synth(synth);
  fluid.delete_fluid_settings(settings);
  // The process-wide table is the system library's too.
  EXPECT_EQ(vlm::Fluid().new_fluid_synth, fluid.new_fluid_synth);
}

TEST(FluidLibrary, FailuresNameTheFileWhatIsMissingAndThePackage) {
  const std::string absent = LoadError("/nonexistent/libfluidsynth.so.3");
  EXPECT_TRUE(Holds(absent, "\"/nonexistent/libfluidsynth.so.3\" could not be loaded"));
  EXPECT_TRUE(Holds(absent, "sudo apt-get install libfluidsynth3"));

  // A library that loads but is no FluidSynth: the first function it lacks is named.
  const std::string foreign = LoadError("libm.so.6");
  EXPECT_TRUE(Holds(foreign, "\"libm.so.6\" has no function fluid_set_log_function"));
  EXPECT_TRUE(Holds(foreign, "sudo apt-get install libfluidsynth3"));

  const std::string notALibrary = vlmtest::ScratchDir() + "/libfluidsynth.so.3";
  std::ofstream(notALibrary) << "not an ELF file";
  EXPECT_TRUE(Holds(LoadError(notALibrary), "could not be loaded"));
  std::filesystem::remove_all(std::filesystem::path(notALibrary).parent_path());
}

// The programs with the library missing, each in a process of its own (the
// process-wide table is loaded once): a clear error and a failure status,
// never a crash, and what needs no sound is still done.
class WithoutFluidSynth : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove_all(dir); }

  vlmtest::CommandRun Run(const std::string& program, const std::string& args) {
    return vlmtest::RunCommand(dir, std::string(vlm::FluidLibraryVariable) + "=/nonexistent/libfluidsynth.so.3 '" +
                                        VLM_BIN_DIR + "/" + program + "' " + args);
  }

  static void ExpectLibraryNamed(const std::string& err) {
    EXPECT_TRUE(Holds(err, "\"/nonexistent/libfluidsynth.so.3\" could not be loaded"));
    EXPECT_TRUE(Holds(err, "libfluidsynth3"));
    EXPECT_TRUE(Holds(err, vlm::FluidLibraryVariable));
  }

  std::string dir = vlmtest::ScratchDir();
};

TEST_F(WithoutFluidSynth, VlmcStillWritesTheMidiFileButNoWav) {
  std::ofstream(dir + "/one.vlm") << "c\n";
  const vlmtest::CommandRun run = Run("vlmc", "one.vlm --wav one.wav");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "Compile Start\nok\n");
  ExpectLibraryNamed(run.err);
  EXPECT_TRUE(std::filesystem::exists(dir + "/one.mid"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/one.wav"));
}

// Not "no audio output" (status 3): a sound server would not help.
TEST_F(WithoutFluidSynth, PlayingFromTheCommandLineFailsBeforeAnythingIsMade) {
  const vlmtest::CommandRun run = Run("vorlumi3-cli", "--seed 1 --play --out phrase.mid");
  EXPECT_EQ(run.status, 2);
  ExpectLibraryNamed(run.err);
  EXPECT_FALSE(std::filesystem::exists(dir + "/phrase.mid"));
}

// The compiler must not pay for sound it does not make: linking FluidSynth or
// ALSA loads dozens of libraries before main.
TEST(VlmcStartUp, LoadsNoSoundLibrary) {
  const vlmtest::CommandRun run = vlmtest::RunCommand(".", std::string("ldd '") + VLM_BIN_DIR + "/vlmc'");
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_TRUE(Holds(run.out, "libc.so"));
  for (const char* library : {"fluidsynth", "asound", "pulse", "jack", "SDL", "X11", "glib"})
    EXPECT_FALSE(Holds(run.out, library)) << library << " is loaded:\n" << run.out;
}

}  // namespace
