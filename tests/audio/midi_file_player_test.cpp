#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include "audio/fluid_output.h"
#include "audio/midi_file_player.h"
#include "tests/audio/audio_support.h"
#include "tests/support/compile_harness.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;
using Mode = vlm::MediaPlayer::Mode;
using vlmtest::BuildSmf;
using vlmtest::TrackBytes;

// What the player did to the engine, in order, with the time of each call.
struct EngineLog {
  std::mutex mutex;
  std::vector<std::string> calls;
  std::vector<Clock::time_point> times;
  int enginesMade = 0;

  void Add(std::string call) {
    std::lock_guard<std::mutex> lock(mutex);
    calls.push_back(std::move(call));
    times.push_back(Clock::now());
  }
  std::vector<std::string> Calls() {
    std::lock_guard<std::mutex> lock(mutex);
    return calls;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex);
    calls.clear();
    times.clear();
  }
};

class RecordingEngine : public vlm::SoundEngine {
 public:
  explicit RecordingEngine(EngineLog& log) : log_(log) {}
  void Send(std::span<const std::uint8_t> m) override {
    std::string text;
    char hex[4];
    for (std::uint8_t b : m) {
      std::snprintf(hex, sizeof hex, text.empty() ? "%02X" : " %02X", b);
      text += hex;
    }
    log_.Add(text);
  }
  void ReleaseAll() override { log_.Add("release"); }
  void Reset() override { log_.Add("reset"); }

 private:
  EngineLog& log_;
};

class Player : public ::testing::Test {
 protected:
  std::string dir = vlmtest::ScratchDir();
  EngineLog log;
  vlm::MidiFilePlayer player{[this] {
    ++log.enginesMade;
    return std::make_unique<RecordingEngine>(log);
  }};
  ~Player() override {
    player.Close();
    std::filesystem::remove_all(dir);
  }

  // A program change, then notes of 50 ms at 0, 0.1, 0.2 ... s (960 ticks per
  // quarter at 120 bpm: 192 ticks per 100 ms).
  std::string File(const std::string& name, std::uint8_t program, int notes) {
    TrackBytes t;
    t.Event(0, {0xC0, program});
    for (int i = 0; i < notes; ++i) t.Event(i ? 96 : 0, {0x90, static_cast<std::uint8_t>(60 + i), 100}).Event(96, {0x80, static_cast<std::uint8_t>(60 + i), 0});
    t.End();
    const std::string path = dir + "/" + name;
    vlmtest::WriteBytes(path, BuildSmf(0, 960, {t}));
    return path;
  }
  void OpenAndPlay(const std::string& path) {
    player.Close();
    player.SetFileName(path);
    player.Open();
    player.Play();
  }
  bool WaitForStop(double seconds) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (player.GetMode() == Mode::Playing) {
      if (Clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
};

// Choosing another output stops the sound, frees the engine in use and makes
// the next one from the new factory at the next Open.
TEST_F(Player, AnotherOutputTakesOverAtTheNextOpen) {
  const std::string file = File("a.mid", 5, 20);
  OpenAndPlay(file);
  EngineLog other;
  int freed = 0;
  struct CountingRelease : RecordingEngine {
    CountingRelease(EngineLog& log, int& freed) : RecordingEngine(log), freed_(freed) {}
    ~CountingRelease() override { ++freed_; }
    int& freed_;
  };
  player.SetEngineFactory([&] {
    ++other.enginesMade;
    return std::make_unique<CountingRelease>(other, freed);
  });
  EXPECT_EQ(player.GetMode(), Mode::NotOpen);
  EXPECT_EQ(log.Calls().back(), "release") << "the old output was silenced";
  EXPECT_EQ(other.enginesMade, 0) << "made on demand, not at once";
  player.SetFileName(file);
  player.Open();
  player.Play();
  EXPECT_EQ(other.enginesMade, 1);
  player.SetEngineFactory([this] { return std::make_unique<RecordingEngine>(log); });
  EXPECT_EQ(freed, 1);
  EXPECT_EQ(other.Calls().back(), "release");
  EXPECT_EQ(log.enginesMade, 1);
}

TEST_F(Player, PlayReturnsAtOnceAndSendsEachMessageAtItsTime) {
  const std::string file = File("a.mid", 5, 3);
  player.SetFileName(file);
  EXPECT_EQ(player.GetMode(), Mode::NotOpen);
  player.Open();
  EXPECT_EQ(player.GetMode(), Mode::Stopped);
  EXPECT_DOUBLE_EQ(player.LengthSeconds(), 0.25);
  const auto started = Clock::now();
  player.Play();
  EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(50));
  EXPECT_EQ(player.GetMode(), Mode::Playing);
  ASSERT_TRUE(WaitForStop(5));
  EXPECT_EQ(log.Calls(), (std::vector<std::string>{"reset", "C0 05", "90 3C 64", "80 3C 00", "90 3D 64", "80 3D 00",
                                                   "90 3E 64", "80 3E 00"}));
  // Message k is due k × 50 ms after Play; a late thread may lag, never lead.
  for (std::size_t k = 2; k < log.times.size(); ++k) {
    const double at = std::chrono::duration<double>(log.times[k] - started).count();
    EXPECT_GE(at, (k - 2) * 0.05 - 0.001) << log.calls[k];
  }
  EXPECT_EQ(player.GetMode(), Mode::Stopped);
  EXPECT_DOUBLE_EQ(player.PositionSeconds(), 0.25);
  EXPECT_EQ(log.enginesMade, 1);
}

TEST_F(Player, StopWhileIdleDoesNothing) {
  player.Stop();
  player.SetFileName(File("a.mid", 5, 1));
  player.Open();
  player.Stop();
  EXPECT_EQ(player.GetMode(), Mode::Stopped);
  EXPECT_TRUE(log.Calls().empty());
}

TEST_F(Player, StopSilencesAndPlayResumesWithTheSettingsInForce) {
  player.SetFileName(File("long.mid", 7, 40));  // 4 s
  player.Open();
  player.Play();
  std::this_thread::sleep_for(std::chrono::milliseconds(220));
  player.Stop();
  EXPECT_EQ(player.GetMode(), Mode::Stopped);
  const auto calls = log.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), "release");
  const double position = player.PositionSeconds();
  EXPECT_GT(position, 0.2);
  EXPECT_LT(position, 1.0);
  // Nothing more arrives after the stop.
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  EXPECT_EQ(log.Calls().size(), calls.size());

  log.Clear();
  player.Play();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  player.Stop();
  const auto resumed = log.Calls();
  ASSERT_GE(resumed.size(), 2u);
  // A clean synthesizer with the program brought back; no earlier note again.
  EXPECT_EQ(resumed[0], "reset");
  EXPECT_EQ(resumed[1], "C0 07");
  for (std::size_t i = 2; i + 1 < resumed.size(); ++i) {
    const int key = std::stoi(resumed[i].substr(3, 2), nullptr, 16);
    EXPECT_GE(60 + position / 0.1, key) << resumed[i];
    EXPECT_LE(60 + position / 0.1 - 1, key) << resumed[i];
  }
}

// Set to a place in the file, the next Play starts there, with the program
// in force; while playing, the position cannot be moved.
TEST_F(Player, PlayStartsWhereThePositionWasSet) {
  player.SetFileName(File("a.mid", 6, 3));
  player.Open();
  player.SetPosition(0.1);
  player.Play();
  player.SetPosition(0);
  ASSERT_TRUE(WaitForStop(5));
  EXPECT_EQ(log.Calls(), (std::vector<std::string>{"reset", "C0 06", "90 3D 64", "80 3D 00", "90 3E 64", "80 3E 00"}));
}

TEST_F(Player, NewPlayInterruptsTheSoundingPhrase) {
  OpenAndPlay(File("first.mid", 1, 40));
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  OpenAndPlay(File("second.mid", 2, 2));
  ASSERT_TRUE(WaitForStop(5));
  const auto calls = log.Calls();
  const auto cut = std::find(calls.begin(), calls.end(), "release");
  ASSERT_NE(cut, calls.end());
  EXPECT_EQ(std::vector<std::string>(cut, calls.end()),
            (std::vector<std::string>{"release", "reset", "C0 02", "90 3C 64", "80 3C 00", "90 3D 64", "80 3D 00"}));
  EXPECT_EQ(log.enginesMade, 1);  // the engine outlives the files
}

TEST_F(Player, PlayAtTheEndStartsAgain) {
  OpenAndPlay(File("a.mid", 3, 1));
  ASSERT_TRUE(WaitForStop(5));
  log.Clear();
  player.Play();
  ASSERT_TRUE(WaitForStop(5));
  EXPECT_EQ(log.Calls(), (std::vector<std::string>{"reset", "C0 03", "90 3C 64", "80 3C 00"}));
}


// Looping, every pass sounds as a fresh Play and starts when the one before
// ended (a pass of 0.25 s); turned off, the pass under way is the last. A
// file of no length plays once even while looping.
TEST_F(Player, LoopingPlaysThePassesInTimeUntilTurnedOff) {
  const std::string file = File("a.mid", 4, 3);
  player.SetLooping(true);
  player.SetFileName(file);
  player.Open();
  const auto started = Clock::now();
  player.Play();
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  EXPECT_EQ(player.GetMode(), Mode::Playing);
  player.SetLooping(false);
  ASSERT_TRUE(WaitForStop(5));
  const std::vector<std::string> pass{"reset", "C0 04", "90 3C 64", "80 3C 00", "90 3D 64",
                                      "80 3D 00", "90 3E 64", "80 3E 00"};
  const auto calls = log.Calls();
  ASSERT_EQ(calls.size() % pass.size(), 0u);
  const std::size_t passes = calls.size() / pass.size();
  EXPECT_GE(passes, 3u);
  for (std::size_t p = 0; p < passes; ++p) {
    EXPECT_EQ(std::vector<std::string>(calls.begin() + p * pass.size(), calls.begin() + (p + 1) * pass.size()), pass);
    const double at = std::chrono::duration<double>(log.times[p * pass.size() + 2] - started).count();
    EXPECT_GE(at, 0.25 * p - 0.001) << "pass " << p;
  }

  log.Clear();
  player.SetLooping(true);
  OpenAndPlay(File("empty.mid", 4, 0));
  EXPECT_TRUE(WaitForStop(1));
  EXPECT_EQ(log.Calls(), (std::vector<std::string>{"reset", "C0 04"}));
}
// A file queued while a loop plays takes over at the next pass, in time; a
// Play meanwhile returns at once. Without a loop nothing is queued.
TEST_F(Player, AQueuedFileTakesOverTheLoopAtTheNextPass) {
  const std::string first = File("a.mid", 4, 3), second = File("b.mid", 7, 2);
  player.SetFileName(first);
  player.Open();
  player.Play();
  EXPECT_FALSE(player.QueueNextPass(second)) << "queued without a loop";
  ASSERT_TRUE(WaitForStop(5));

  log.Clear();
  player.SetLooping(true);
  const auto started = Clock::now();
  player.Play();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(player.QueueNextPass(dir + "/none.mid"));
  ASSERT_TRUE(player.QueueNextPass(second));
  player.Play();
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - started).count(), 0.2) << "Play waited for the loop";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(player.OpenedFile(), second);
  EXPECT_NEAR(player.LengthSeconds(), 0.15, 0.01);
  player.SetLooping(false);
  ASSERT_TRUE(WaitForStop(5));
  const auto calls = log.Calls();
  const std::vector<std::string> firstPass{"reset", "C0 04", "90 3C 64", "80 3C 00", "90 3D 64",
                                           "80 3D 00", "90 3E 64", "80 3E 00"};
  const std::vector<std::string> secondPass{"reset", "C0 07", "90 3C 64", "80 3C 00", "90 3D 64", "80 3D 00"};
  ASSERT_GE(calls.size(), firstPass.size() + secondPass.size());
  EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 8), firstPass);
  EXPECT_EQ(std::vector<std::string>(calls.begin() + 8, calls.begin() + 14), secondPass);
  const double at = std::chrono::duration<double>(log.times[8] - started).count();
  EXPECT_GE(at, 0.25 - 0.001);
}

// ---- MIDI beat clock ----

// The file of File(): 960 ticks a quarter at 120 beats a minute, so a clock
// every 40 ticks (1/48 s), and a pass of 0.25 s holds clocks 0 to 11. Clock k
// is due k/48 s after Play and never sent before; one on the tick of a
// message goes first.
TEST_F(Player, BeatClockStartsWithThePhraseFollowsItsTicksAndStopsAtItsEnd) {
  player.SetMidiClock(true);
  player.SetFileName(File("a.mid", 5, 3));
  player.Open();
  const auto started = Clock::now();
  player.Play();
  ASSERT_TRUE(WaitForStop(5));
  const auto calls = log.Calls();
  EXPECT_EQ(calls, (std::vector<std::string>{"reset", "FA", "F8", "C0 05", "90 3C 64", "F8", "F8", "80 3C 00", "F8",
                                             "F8", "90 3D 64", "F8", "F8", "F8", "80 3D 00", "F8", "F8", "90 3E 64",
                                             "F8", "F8", "80 3E 00", "FC"}));
  int clock = 0;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (calls[i] != "F8") continue;
    const double at = std::chrono::duration<double>(log.times[i] - started).count();
    EXPECT_GE(at, clock / 48.0 - 0.001) << "clock " << clock;
    ++clock;
  }
}

// From 0.1 s the first clock is clock 5, inside the first sixteenth (6
// clocks, 0.125 s): the gear is placed on sixteenth 1 and clocked from there.
// A Stop stops the gear before the notes are released.
TEST_F(Player, BeatClockResumesOnTheNextSixteenthAndStopsWithTheSound) {
  player.SetMidiClock(true);
  player.SetFileName(File("a.mid", 6, 3));
  player.Open();
  player.SetPosition(0.1);
  player.Play();
  ASSERT_TRUE(WaitForStop(5));
  EXPECT_EQ(log.Calls(), (std::vector<std::string>{"reset", "C0 06", "F2 01 00", "FB", "90 3D 64", "F8", "F8",
                                                   "80 3D 00", "F8", "F8", "90 3E 64", "F8", "F8", "80 3E 00",
                                                   "FC"}));

  log.Clear();
  OpenAndPlay(File("long.mid", 7, 40));
  std::this_thread::sleep_for(std::chrono::milliseconds(230));
  player.Stop();
  const auto calls = log.Calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(calls.end() - 2, calls.end()), (std::vector<std::string>{"FC", "release"}));
}

// Looping, each pass starts the gear again and holds its own clocks only:
// 12 in a pass of 0.25 s, 8 in the queued file's pass of 0.15 s (its last
// at 7/48 s), none doubled at a seam.
TEST_F(Player, BeatClockStartsEachPassOfALoop) {
  player.SetMidiClock(true);
  player.SetLooping(true);
  player.SetFileName(File("a.mid", 4, 3));
  player.Open();
  const auto started = Clock::now();
  player.Play();
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  ASSERT_TRUE(player.QueueNextPass(File("b.mid", 7, 2)));
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  player.SetLooping(false);
  ASSERT_TRUE(WaitForStop(5));
  const auto calls = log.Calls();
  std::vector<int> clocks;       // of each pass
  std::vector<double> passStart; // time of each pass's Start
  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (calls[i] == "FA") {
      clocks.push_back(0);
      passStart.push_back(std::chrono::duration<double>(log.times[i] - started).count());
      EXPECT_EQ(calls[i - 1], "reset");
      EXPECT_EQ(calls[i + 1], "F8") << "the first clock follows the Start at once";
    }
    if (calls[i] == "F8") ++clocks.back();
  }
  ASSERT_GE(clocks.size(), 4u);
  EXPECT_EQ(clocks.back(), 8);
  for (std::size_t p = 0; p + 1 < clocks.size(); ++p) {
    EXPECT_EQ(clocks[p], 12) << "pass " << p;
    EXPECT_GE(passStart[p], 0.25 * p - 0.001) << "pass " << p;
  }
  EXPECT_EQ(calls.back(), "FC");
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "FC"), 1);
}

TEST_F(Player, EveryNoteOf128TracksReachesTheEngine) {
  std::vector<TrackBytes> tracks(128);
  for (int k = 0; k < 128; ++k)
    tracks[static_cast<std::size_t>(k)]
        .Event(static_cast<std::uint32_t>(k), {static_cast<std::uint8_t>(0x90 | (k % 16)), static_cast<std::uint8_t>(k), 1})
        .End();
  const std::string path = dir + "/wide.mid";
  vlmtest::WriteBytes(path, BuildSmf(1, 960, tracks));
  OpenAndPlay(path);
  ASSERT_TRUE(WaitForStop(5));
  const auto calls = log.Calls();
  ASSERT_EQ(calls.size(), 129u);
  for (int k = 0; k < 128; ++k) {
    char expected[12];
    std::snprintf(expected, sizeof expected, "%02X %02X 01", 0x90 | (k % 16), k);
    EXPECT_EQ(calls[static_cast<std::size_t>(k) + 1], expected);
  }
}

TEST_F(Player, OpenFailureKeepsThePlayerClosedAndSaysWhy) {
  auto errorOfOpen = [&](vlm::MediaPlayer& p, const std::string& file) -> std::string {
    p.SetFileName(file);
    try {
      p.Open();
    } catch (const vlm::MediaError& e) {
      return e.what();
    }
    return "opened";
  };
  EXPECT_EQ(errorOfOpen(player, dir + "/missing.mid"), dir + "/missing.mid: no such file");
  EXPECT_EQ(player.GetMode(), Mode::NotOpen);
  EXPECT_EQ(log.enginesMade, 0);
  const std::string broken = dir + "/broken.mid";
  vlmtest::WriteBytes(broken, BuildSmf(1, 96, {TrackBytes{}}));
  EXPECT_EQ(errorOfOpen(player, broken), broken + " is not a valid MIDI file: track 1: no end-of-track event (byte 22)");
  player.Play();
  EXPECT_EQ(player.GetMode(), Mode::NotOpen);

  // An engine that cannot be made: its text reaches the caller.
  vlm::MidiFilePlayer deaf([]() -> std::unique_ptr<vlm::SoundEngine> {
    throw vlm::AudioDeviceError("No audio output could be opened");
  });
  EXPECT_EQ(errorOfOpen(deaf, File("a.mid", 1, 1)), "No audio output could be opened");
  EXPECT_EQ(deaf.GetMode(), Mode::NotOpen);

  // A file that played before and is then broken: the player closes.
  OpenAndPlay(File("b.mid", 1, 1));
  EXPECT_EQ(player.OpenedFile(), dir + "/b.mid");
  vlmtest::WriteBytes(dir + "/b.mid", {0});
  EXPECT_NE(errorOfOpen(player, dir + "/b.mid"), "opened");
  EXPECT_EQ(player.GetMode(), Mode::NotOpen);
  EXPECT_EQ(player.OpenedFile(), "") << "a closed player plays no file";
  EXPECT_EQ(errorOfOpen(player, ""), "No file was named before opening the player");
}

TEST_F(Player, EngineCanBeMadeBeforeTheFirstOpenAndOnlyOnce) {
  player.PrepareEngine();
  player.PrepareEngine();
  EXPECT_EQ(log.enginesMade, 1);
  EXPECT_EQ(player.GetMode(), Mode::NotOpen);
  OpenAndPlay(File("a.mid", 1, 1));
  EXPECT_EQ(log.enginesMade, 1);

  // A factory that fails is asked again next time.
  int tries = 0;
  vlm::MidiFilePlayer flaky([&]() -> std::unique_ptr<vlm::SoundEngine> {
    if (++tries == 1) throw vlm::AudioDeviceError("busy");
    return std::make_unique<RecordingEngine>(log);
  });
  EXPECT_THROW(flaky.PrepareEngine(), vlm::AudioDeviceError);
  EXPECT_NO_THROW(flaky.PrepareEngine());
  EXPECT_EQ(tries, 2);
}

// The real output: no SoundFont, an unknown driver, or (on machines without
// sound, such as CI) no device at all fails with a text, never a hang.
TEST(FluidSynthOutput, FailsCleanlyWithoutSoundFontOrDevice) {
  const std::string dir = vlmtest::ScratchDir();
  TrackBytes t;
  t.Event(0, {0x90, 60, 1}).End(96);
  const std::string file = dir + "/a.mid";
  vlmtest::WriteBytes(file, BuildSmf(0, 96, {t}));
  auto errorOfOpen = [&](const vlm::SynthOptions& options) -> std::string {
    auto player = vlm::MakeFluidSynthPlayer(options);
    player->SetFileName(file);
    try {
      player->Open();
    } catch (const vlm::AudioDeviceError& e) {
      EXPECT_EQ(player->GetMode(), Mode::NotOpen);
      return std::string("device: ") + e.what();
    } catch (const vlm::MediaError& e) {
      EXPECT_EQ(player->GetMode(), Mode::NotOpen);
      return e.what();
    }
    EXPECT_EQ(player->GetMode(), Mode::Stopped);
    player->Play();
    player->Stop();
    return "opened";
  };
  vlm::SynthOptions noFont;
  noFont.soundFont = dir + "/none.sf2";
  EXPECT_NE(errorOfOpen(noFont).find("apt-get install timgm6mb-soundfont"), std::string::npos);
  vlm::SynthOptions noDriver;
  noDriver.audioDrivers = {"no-such-driver"};
  const std::string unknown = errorOfOpen(noDriver);
  EXPECT_EQ(unknown.rfind("device: No audio output could be opened (tried no-such-driver", 0), 0u) << unknown;
  EXPECT_NE(unknown.find("VORLUMI3_AUDIO_DRIVER"), std::string::npos) << unknown;
  const auto started = Clock::now();
  const std::string usual = errorOfOpen({});
  EXPECT_TRUE(usual == "opened" || usual.rfind("device: No audio output could be opened (tried pulseaudio", 0) == 0)
      << usual;
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(10));
  std::filesystem::remove_all(dir);
}

// The live path with a real synthesizer, through FluidSynth's "file" driver,
// which writes the sound in real time as a device would play it.
TEST(FluidSynthOutput, PlaysThroughAnAudioDriver) {
  const std::string dir = vlmtest::ScratchDir();
  TrackBytes t;
  t.Event(0, {0xC0, 80}).Event(0, {0x90, 69, 100}).Event(96, {0x80, 69, 0}).End();  // 0.5 s of a4
  const std::string file = dir + "/a.mid";
  vlmtest::WriteBytes(file, BuildSmf(0, 96, {t}));
  vlm::SynthOptions options;
  options.audioDrivers = {"file"};
  options.audioFile = dir + "/out.wav";
  {
    auto player = vlm::MakeFluidSynthPlayer(options);
    player->SetFileName(file);
    player->Open();
    player->Play();
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (player->GetMode() == Mode::Playing && Clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(player->GetMode(), Mode::Stopped);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  const vlmtest::Wav audio = vlmtest::ReadWav(options.audioFile);
  ASSERT_TRUE(audio.valid) << audio.error;
  EXPECT_GE(audio.Seconds(), 0.5);
  EXPECT_GT(audio.Peak(0.1, 0.4), 2000);
  EXPECT_NEAR(audio.PitchHz(0.1, 0.4), 440.0, 3.0);
  std::filesystem::remove_all(dir);
}

}  // namespace
