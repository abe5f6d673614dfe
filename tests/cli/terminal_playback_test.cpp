#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "cli/terminal_playback.h"
#include "tests/support/compile_harness.h"

namespace {

using Mode = vlm::MediaPlayer::Mode;

class CountingEngine : public vlm::SoundEngine {
 public:
  explicit CountingEngine(std::atomic<int>& releases) : releases_(releases) {}
  void Send(std::span<const std::uint8_t>) override {}
  void ReleaseAll() override { ++releases_; }
  void Reset() override {}

 private:
  std::atomic<int>& releases_;
};

// One note of the given length in ticks at 96 per quarter and 120 bpm (192 ticks a second).
std::string NoteFile(const std::string& dir, std::uint8_t lengthTicks) {
  const std::vector<std::uint8_t> bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                                        'M', 'T', 'r', 'k', 0, 0, 0, 12, 0, 0x90, 60, 100,
                                        lengthTicks, 0x80, 60, 0, 0, 0xFF, 0x2F, 0};
  const std::string path = dir + "/note.mid";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

class TerminalPlayback : public ::testing::Test {
 protected:
  std::string dir = vlmtest::ScratchDir();
  std::atomic<int> releases{0};
  vlm::MidiFilePlayer player{[this] { return std::make_unique<CountingEngine>(releases); }};
  std::FILE* out = std::tmpfile();
  ~TerminalPlayback() override {
    std::fclose(out);
    std::filesystem::remove_all(dir);
  }
};

TEST_F(TerminalPlayback, WaitsForTheEndWithoutProgressOffATerminal) {
  player.SetFileName(NoteFile(dir, 48));  // 0.25 s
  player.Open();
  player.Play();
  EXPECT_TRUE(vlmcli::WaitWhilePlaying(player, out));
  EXPECT_EQ(player.GetMode(), Mode::Stopped);
  EXPECT_DOUBLE_EQ(player.PositionSeconds(), 0.25);
  EXPECT_EQ(std::ftell(out), 0);  // the progress line is for terminals only
  EXPECT_EQ(releases, 0);
}

TEST_F(TerminalPlayback, CtrlCStopsTheSoundAndRestoresTheHandler) {
  player.SetFileName(NoteFile(dir, 127));  // 0.66 s
  player.Open();
  player.Play();
  std::thread interrupter([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    kill(getpid(), SIGINT);
  });
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(vlmcli::WaitWhilePlaying(player, out));
  interrupter.join();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(600));
  EXPECT_EQ(player.GetMode(), Mode::Stopped);
  EXPECT_EQ(releases, 1);
  struct sigaction current {};
  sigaction(SIGINT, nullptr, &current);
  EXPECT_EQ(current.sa_handler, SIG_DFL);
}

}  // namespace
