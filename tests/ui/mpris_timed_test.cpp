// The desktop program on a message bus of the test's own, driven as media
// keys and desktop player controls drive it: through gdbus, the bus's own
// command-line client.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "app/phrase_history.h"
#include "tests/support/background_process.h"
#include "tests/support/compile_harness.h"
#include "tests/support/run_command.h"

namespace {

using Clock = std::chrono::steady_clock;

TEST(Mpris, MediaKeysDrawStopAndQuit) {
  if (!vlmtest::HaveProgram("dbus-daemon") || !vlmtest::HaveProgram("gdbus"))
    GTEST_SKIP() << "dbus-daemon and gdbus are needed";
  const std::string dir = vlmtest::ScratchDir();
  const std::string bin = dir + "/bin";
  std::filesystem::create_directories(bin);
  for (const char* name : {"vorlumi3", "Scale.dat"})
    std::filesystem::copy_file(std::string(VLM_BIN_DIR) + "/" + name, bin + "/" + name);
  const std::string address = "unix:path=" + dir + "/bus";
  vlmtest::BackgroundProcess bus({"dbus-daemon", "--session", "--nofork", "--address=" + address});
  ASSERT_TRUE(bus.Started());

  const auto call = [&](const std::string& method, const std::string& args = "") {
    return vlmtest::RunCommand(dir, "timeout 20 gdbus call --address '" + address +
                                        "' --dest org.mpris.MediaPlayer2.vorlumi3 --object-path /org/mpris/MediaPlayer2"
                                        " --method " + method + " " + args);
  };
  // The status as gdbus prints it, or why it could not be read.
  const auto status = [&] {
    const vlmtest::CommandRun run =
        call("org.freedesktop.DBus.Properties.Get", "org.mpris.MediaPlayer2.Player PlaybackStatus");
    return run.status == 0 ? run.out : "failed: " + run.err;
  };
  // A method called, or why it failed.
  const auto press = [&](const std::string& method) {
    const vlmtest::CommandRun run = call("org.mpris.MediaPlayer2." + method);
    return run.status == 0 ? std::string("ok") : "failed: " + run.err;
  };
  const std::string history = dir + "/data/vorlumi3/history.jsonl";
  const auto entries = [&] {
    vlm::PhraseHistory h(history);
    h.Load();
    return h.Entries().size();
  };
  {
    vlmtest::BackgroundProcess program({bin + "/vorlumi3"},
                                       {"QT_QPA_PLATFORM=offscreen", "DBUS_SESSION_BUS_ADDRESS=" + address,
                                        "XDG_DATA_HOME=" + dir + "/data", "XDG_CONFIG_HOME=" + dir + "/config",
                                        "VORLUMI3_AUDIO_DRIVER=file"},
                                       vlmtest::Output::ErrorsShown);
    vlmtest::CommandRun identity;
    const auto until = Clock::now() + std::chrono::seconds(30);
    do {
      identity = call("org.freedesktop.DBus.Properties.Get", "org.mpris.MediaPlayer2 Identity");
      if (identity.status == 0) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (Clock::now() < until && program.Running());
    ASSERT_EQ(identity.status, 0) << identity.err;
    EXPECT_EQ(identity.out, "(<'Vorlumi3'>,)\n");
    EXPECT_EQ(status(), "(<'Stopped'>,)\n");

    // Next draws a phrase and plays it, as F5 does.
    ASSERT_EQ(press("Player.Next"), "ok");
    EXPECT_EQ(entries(), 1u);
    EXPECT_EQ(status(), "(<'Playing'>,)\n");
    const std::string metadata = call("org.freedesktop.DBus.Properties.Get", "org.mpris.MediaPlayer2.Player Metadata").out;
    EXPECT_NE(metadata.find("'xesam:title': <'Phrase "), std::string::npos) << metadata;
    // The phrase's length and place, as a desktop's progress bar reads them, and a seek a second on.
    std::smatch length;
    ASSERT_TRUE(std::regex_search(metadata, length, std::regex("'mpris:length': <int64 ([0-9]+)>"))) << metadata;
    const auto position = [&] {
      const std::string out = call("org.freedesktop.DBus.Properties.Get", "org.mpris.MediaPlayer2.Player Position").out;
      std::smatch micros;
      return std::regex_search(out, micros, std::regex("<int64 ([0-9]+)>")) ? std::stoll(micros[1]) : -1LL;
    };
    EXPECT_GE(position(), 0);
    ASSERT_EQ(call("org.mpris.MediaPlayer2.Player.Seek", "1000000").status, 0);
    EXPECT_GE(position(), 1000000);
    EXPECT_LT(position(), std::stoll(length[1]));
    EXPECT_EQ(status(), "(<'Playing'>,)\n") << "it plays on from the new place";
    ASSERT_EQ(press("Player.PlayPause"), "ok");
    EXPECT_EQ(status(), "(<'Stopped'>,)\n");
    // Play plays the pattern as it stands, as Ctrl+P does.
    ASSERT_EQ(press("Player.Play"), "ok");
    EXPECT_EQ(status(), "(<'Playing'>,)\n");
    EXPECT_EQ(entries(), 2u);
    // Sought past its end, the phrase stops there: no new phrase is drawn.
    ASSERT_EQ(call("org.mpris.MediaPlayer2.Player.Seek", "3600000000").status, 0);
    EXPECT_EQ(status(), "(<'Stopped'>,)\n");
    EXPECT_GT(position(), 1000000);
    EXPECT_EQ(entries(), 2u);
    ASSERT_EQ(press("Player.Stop"), "ok");
    EXPECT_EQ(status(), "(<'Stopped'>,)\n");

    // LoopStatus is the Play menu's Loop; the program keeps it for its next start.
    const auto loopStatus = [&] {
      return call("org.freedesktop.DBus.Properties.Get", "org.mpris.MediaPlayer2.Player LoopStatus").out;
    };
    EXPECT_EQ(loopStatus(), "(<'None'>,)\n");
    EXPECT_EQ(call("org.freedesktop.DBus.Properties.Set", "org.mpris.MediaPlayer2.Player LoopStatus \"<'Track'>\"").status, 0);
    EXPECT_EQ(loopStatus(), "(<'Track'>,)\n");

    ASSERT_EQ(press("Quit"), "ok");
    EXPECT_EQ(program.WaitForExit(std::chrono::seconds(20)), 0);
  }
  std::ifstream configuration(dir + "/config/vorlumi3/vorlumi3.conf");
  const std::string kept((std::istreambuf_iterator<char>(configuration)), std::istreambuf_iterator<char>());
  EXPECT_NE(kept.find("loop=true"), std::string::npos) << kept;
  bus.Stop();
  std::filesystem::remove_all(dir);
}

}  // namespace
