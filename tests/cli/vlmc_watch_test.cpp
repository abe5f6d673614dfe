// vlmc --watch as a user runs it beside an editor: every save of the source,
// or of a file it includes, is compiled again into the same MIDI file, and
// Ctrl+C ends the watch.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <functional>
#include <string>
#include <thread>

#include "common/text_file.h"
#include "tests/support/background_process.h"
#include "tests/support/compile_harness.h"
#include "tests/support/wait_for.h"
#include "tests/support/run_command.h"

namespace {

using vlmtest::WaitFor;

class VlmcWatch : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove_all(dir); }

  // What a one-time vlmc run makes of these files.
  std::string Expected(const std::string& song, const std::string& include) {
    const std::string apart = dir + "/apart";
    std::filesystem::create_directories(apart);
    Write(apart + "/song.vlm", song);
    Write(apart + "/inc.vlm", include);
    const auto run = vlmtest::RunCommand(apart, VLM_BIN_DIR "/vlmc -q --seed 1 song.vlm");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    return vlm::ReadFileBytes(apart + "/song.mid").value_or("<none>");
  }
  static void Write(const std::string& path, const std::string& text) {
    ASSERT_EQ(vlm::WriteFileAtomically(path, text), std::nullopt);
  }
  std::optional<std::string> Midi() const { return vlm::ReadFileBytes(dir + "/song.mid"); }

  std::string dir = vlmtest::ScratchDir();
};

TEST_F(VlmcWatch, EverySaveIsCompiledAgainUntilCtrlC) {
  const std::string first = "o4 l8 c d e\n#include \"inc.vlm\"\n", second = "o5 l4 c\n#include \"inc.vlm\"\n";
  Write(dir + "/song.vlm", first);
  Write(dir + "/inc.vlm", "f g\n");
  const std::string firstMidi = Expected(first, "f g\n"), secondMidi = Expected(second, "f g\n"),
                    thirdMidi = Expected(second, "a b >c\n");
  // The watch reads includes beside where it runs, as vlmc does.
  vlmtest::BackgroundProcess watch({"sh", "-c", "cd '" + dir + "' && exec '" VLM_BIN_DIR "/vlmc' -q --seed 1 --watch song.vlm"});
  ASSERT_TRUE(watch.Started());
  EXPECT_TRUE(WaitFor([&] { return Midi() == firstMidi; }));

  Write(dir + "/song.vlm", second);  // saved as editors do: a new file renamed over the old
  EXPECT_TRUE(WaitFor([&] { return Midi() == secondMidi; }));
  {
    std::ofstream include(dir + "/inc.vlm", std::ios::trunc);  // saved in place
    include << "a b >c\n";
  }
  EXPECT_TRUE(WaitFor([&] { return Midi() == thirdMidi; }));

  watch.Signal(SIGINT);
  EXPECT_EQ(watch.WaitForExit(std::chrono::seconds(5)), 130);
}

TEST_F(VlmcWatch, NeedsAFileToWatchAndToWrite) {
  Write(dir + "/song.vlm", "c\n");
  for (const char* args : {"--watch - -o x.mid", "--watch song.vlm -o -"}) {
    const auto run = vlmtest::RunCommand(dir, std::string(VLM_BIN_DIR "/vlmc ") + args + " < song.vlm");
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_NE(run.err.find("--watch needs a SOURCE file"), std::string::npos) << run.err;
  }
}

}  // namespace
