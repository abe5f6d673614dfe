// vlmc --watch --play --loop as a user runs it beside an editor, sending to a
// real JACK server: a save that compiles cleanly sounds from the next pass,
// in the loop's time; a save with errors leaves the loop as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <functional>
#include <thread>

#include "common/text_file.h"
#include "tests/audio/jack_support.h"
#include "tests/support/background_process.h"
#include "tests/support/compile_harness.h"
#include "tests/support/wait_for.h"

namespace {

using vlmtest::WaitFor;

// The times of the messages received so far that are exactly hex.
std::vector<double> TimesOf(const vlmtest::MidiRecorder& recorder, const std::string& hex) {
  std::vector<double> times;
  for (const auto& m : recorder.Received())
    if (m.hex == hex) times.push_back(m.seconds);
  return times;
}

TEST(VlmcLoop, ASaveSoundsFromTheNextPassInTimeAndOneWithErrorsIsNot) {
  const vlmtest::JackServer server;
  if (!server.Running()) GTEST_SKIP() << server.Error();
  const vlmtest::MidiRecorder recorder("vlm-loop-rec");
  ASSERT_TRUE(recorder.Running());
  const std::string dir = vlmtest::ScratchDir();
  const std::string song = dir + "/song.vlm";
  // Two eighths at 240 bpm: a pass of some quarter of a second.
  ASSERT_EQ(vlm::WriteFileAtomically(song, "t240 @1 o4 l8 c d\n"), std::nullopt);
  vlmtest::BackgroundProcess vlmc({"sh", "-c", "cd '" + dir + "' && exec '" VLM_BIN_DIR
                                   "/vlmc' -q --watch --play --loop --midi-out vlm-loop-rec song.vlm"},
                                  {}, vlmtest::Output::ErrorsShown);
  ASSERT_TRUE(vlmc.Started());
  ASSERT_TRUE(WaitFor([&] { return TimesOf(recorder, "90 30 64").size() >= 3; })) << "the loop did not start";
  // A pass lasts until the file's last note ends.
  const std::vector<double> passStarts = TimesOf(recorder, "90 30 64");
  const double pass = passStarts[2] - passStarts[1];

  ASSERT_EQ(vlm::WriteFileAtomically(song, "t240 @5 o4 l8 e f\n"), std::nullopt);
  ASSERT_TRUE(WaitFor([&] { return TimesOf(recorder, "90 35 64").size() >= 2; })) << "the change was not heard";
  const std::vector<double> firstC = TimesOf(recorder, "90 30 64"), firstE = TimesOf(recorder, "90 34 64");
  // The first pass of the change starts where a pass of the old loop would.
  const double passes = (firstE.front() - firstC.front()) / pass;
  EXPECT_NEAR(passes, std::round(passes), 0.04) << "the change broke the loop's time";
  EXPECT_FALSE(TimesOf(recorder, "c0 05").empty()) << "the new program was not sent";
  EXPECT_LT(firstC.back(), firstE.front()) << "the old loop went on after the change";

  ASSERT_EQ(vlm::WriteFileAtomically(song, "t240 @5 o4 l8 e x\n"), std::nullopt);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  const std::size_t fs = TimesOf(recorder, "90 35 64").size();
  EXPECT_GE(fs, TimesOf(recorder, "90 34 64").size() - 1) << "a save with errors took over the loop";
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  EXPECT_GT(TimesOf(recorder, "90 35 64").size(), fs) << "the loop stopped";

  vlmc.Signal(SIGINT);
  EXPECT_EQ(vlmc.WaitForExit(std::chrono::seconds(5)), 130);
  std::filesystem::remove_all(dir);
}

}  // namespace
