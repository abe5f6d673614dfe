// The synthesizer in a studio whose JACK server holds the sound card: with
// no other sound server answering, it plays through JACK, connected to the
// system's playback ports as JACK itself lists them; without a running
// server JACK is passed over, and none is started for it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "audio/fluid_output.h"
#include "audio/synth_options.h"
#include "tests/audio/jack_support.h"
#include "tests/support/run_command.h"

namespace {

class FluidSynthThroughJack : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::filesystem::exists("/dev/snd")) GTEST_SKIP() << "a sound card would answer before JACK";
    setenv("PULSE_SERVER", "unix:/nonexistent/vorlumi3-test", 1);
    unsetenv(vlm::AudioDriverVariable);
  }
};

TEST_F(FluidSynthThroughJack, ARunningServerPlaysWhenNothingElseAnswers) {
  vlmtest::JackServer server;
  if (!server.Running()) GTEST_SKIP() << server.Error();
  const std::unique_ptr<vlm::SoundEngine> engine = vlm::OpenFluidSynthOutput({});
  const vlmtest::CommandRun ports = vlmtest::RunCommand("/tmp", "timeout 5 jack_lsp -c");
  EXPECT_NE(ports.out.find("\n   system:playback_1\n"), std::string::npos) << ports.out;
  EXPECT_NE(ports.out.find("system:playback_1\n   fluidsynth"), std::string::npos) << ports.out;
}

TEST_F(FluidSynthThroughJack, WithoutAServerJackIsPassedOver) {
  setenv("JACK_DEFAULT_SERVER", "vlm-test-no-such-server", 1);
  try {
    vlm::OpenFluidSynthOutput({});
    ADD_FAILURE() << "an output opened with no sound server at all";
  } catch (const vlm::AudioDeviceError& e) {
    EXPECT_NE(std::string(e.what()).find("jack: no JACK server is running"), std::string::npos) << e.what();
  }
  EXPECT_NE(vlmtest::RunCommand("/tmp", "pgrep -f 'jackd.*vlm-test-no-such-serve[r]'").status, 0) << "no server was started";
}

}  // namespace
