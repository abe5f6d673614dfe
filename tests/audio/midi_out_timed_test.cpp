#include "audio/midi_out.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "tests/audio/audio_support.h"
#include "tests/audio/jack_support.h"
#include "tests/support/compile_harness.h"
#include "tests/support/run_command.h"

namespace {

// ---- choosing a destination by its name or part of it ----

TEST(ChooseMidiPort, TakesAnExactNameFirstAndRefusesAnAmbiguousOneListingTheCandidates) {
  const std::vector<std::string> ports = {"synth:in", "synth:in 2", "Midi Through:Port-0 14:0"};
  EXPECT_EQ(vlm::ChooseMidiPort(ports, "synth:in"), "synth:in");
  EXPECT_EQ(vlm::ChooseMidiPort(ports, "THROUGH"), "Midi Through:Port-0 14:0");
  try {
    vlm::ChooseMidiPort(ports, "synth");
    FAIL() << "an ambiguous name was taken";
  } catch (const vlm::MidiPortError& e) {
    const std::string text = e.what();
    EXPECT_NE(text.find("synth:in\n"), std::string::npos) << text;
    EXPECT_NE(text.find("synth:in 2"), std::string::npos) << text;
    EXPECT_EQ(text.find("Through"), std::string::npos) << "only the matching ones: " << text;
  }
  EXPECT_THROW(vlm::ChooseMidiPort({}, "anything"), vlm::MidiPortError);
}

// ---- which MIDI system carries it ----

TEST(ChooseMidiSystem, FallsBackToJackWithoutAnAlsaSequencerAndSaysSo) {
  unsetenv(vlm::MidiSystemVariable);
  std::string why;
  const vlm::MidiSystem system = vlm::ChooseMidiSystem(&why);
  if (access("/dev/snd/seq", R_OK | W_OK) == 0) {
    EXPECT_EQ(system, vlm::MidiSystem::AlsaSequencer);
    EXPECT_NE(why.find("ALSA"), std::string::npos) << why;
  } else {
    EXPECT_EQ(system, vlm::MidiSystem::Jack);
    EXPECT_NE(why.find("JACK"), std::string::npos) << why;
    EXPECT_NE(why.find("/dev/snd/seq"), std::string::npos) << why;
  }
  setenv(vlm::MidiSystemVariable, "jack", 1);
  EXPECT_EQ(vlm::ChooseMidiSystem(&why), vlm::MidiSystem::Jack);
  EXPECT_NE(why.find(vlm::MidiSystemVariable), std::string::npos) << why;
  unsetenv(vlm::MidiSystemVariable);
}

// ---- sending into a real JACK server ----

class MidiOutJack : public ::testing::Test {
 protected:
  // One server for the suite, started before any recorder.
  static void SetUpTestSuite() { server_ = std::make_unique<vlmtest::JackServer>(); }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    if (!server_->Running()) GTEST_SKIP() << server_->Error();
    ASSERT_TRUE(recorder_.Running()) << "jack_midi_dump did not start";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Compiles source into a file and plays it into the recorder (named in
  // part), stopping after `seconds` if given; the file's path.
  std::string Play(const std::string& source, double seconds = 0) {
    const vlmtest::CompileResult compiled = vlmtest::CompileSource(source);
    EXPECT_TRUE(compiled.Errors().empty());
    const std::string file = dir_ + "/phrase.mid";
    vlmtest::WriteBytes(file, compiled.bytes);
    auto player = vlm::MakeMidiOutPlayer(vlm::MidiSystem::Jack, "vlm-rec");
    player->SetFileName(file);
    player->Open();
    player->Play();
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds ? seconds : 60);
    while (player->GetMode() == vlm::MediaPlayer::Mode::Playing && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    player->Stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // a few cycles for the last messages
    return file;
  }

  static std::unique_ptr<vlmtest::JackServer> server_;
  vlmtest::MidiRecorder recorder_{"vlm-recorder"};
  std::string dir_ = vlmtest::ScratchDir();
};

std::unique_ptr<vlmtest::JackServer> MidiOutJack::server_;

// Every note on and off arrives in the file's order, each within 10 ms of
// its time in the file (the offset of the whole phrase aside).
TEST_F(MidiOutJack, EveryNoteArrivesInOrderWithin10Milliseconds) {
  const std::string file = Play("t150 @1 v90 o5 l16 c d e f g8 a8 b4 CH=3 o4 c d8. e16 f2");
  const std::vector<vlmtest::TimedMessage> expected = vlmtest::FileNotes(file);
  ASSERT_EQ(expected.size(), 22u);  // eleven notes
  std::vector<vlmtest::TimedMessage> notes;
  for (const auto& m : recorder_.Received())
    if (m.IsNote()) notes.push_back(m);
  ASSERT_EQ(notes.size(), expected.size());
  std::vector<double> offsets;
  for (std::size_t i = 0; i < notes.size(); ++i) {
    EXPECT_EQ(notes[i].hex, expected[i].hex) << "message " << i;
    offsets.push_back(notes[i].seconds - expected[i].seconds);
  }
  const double worst = vlmtest::WorstDeviationFromMedian(offsets);
  EXPECT_LE(worst, 0.010);
  RecordProperty("worst_deviation_us", static_cast<int>(worst * 1e6));
}

// Stopping in the middle silences every channel that was played on, and
// only those: all notes off (CC 123), then all sound off (CC 120), last.
TEST_F(MidiOutJack, StopSilencesEveryChannelPlayedOn) {
  Play("t120 @1 v90 o5 l4 c CH=3 d CH=10 e8 CH=1 f1 f1", 1.5);
  std::vector<std::string> controls;
  for (const auto& m : recorder_.Received())
    if (m.hex[0] == 'b' && (m.hex.substr(3, 2) == "7b" || m.hex.substr(3, 2) == "78")) controls.push_back(m.hex);
  EXPECT_EQ(controls, (std::vector<std::string>{"b0 7b 00", "b0 78 00", "b2 7b 00", "b2 78 00",  //
                                                "b9 7b 00", "b9 78 00"}));
  ASSERT_FALSE(recorder_.Received().empty());
  EXPECT_EQ(recorder_.Received().back().hex, "b9 78 00");
}

// ---- the ALSA sequencer, where the machine has one ----

TEST(MidiOutAlsa, ListsAndOpensAPortOfItsOwn) {
  if (access("/dev/snd/seq", R_OK | W_OK) != 0) GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq is missing)";
  EXPECT_NO_THROW(vlm::ListMidiOutputs(vlm::MidiSystem::AlsaSequencer));
  auto engine = vlm::OpenMidiOutput(vlm::MidiSystem::AlsaSequencer, vlm::VirtualDestination);
  const std::uint8_t noteOn[] = {0x90, 60, 100}, noteOff[] = {0x80, 60, 0};
  engine->Send(noteOn);
  engine->Send(noteOff);
  engine->ReleaseAll();
  const vlmtest::CommandRun ports = vlmtest::RunCommand(".", "cat /proc/asound/seq/clients");
  EXPECT_NE(ports.out.find(vlm::VirtualPortName), std::string::npos) << ports.out;
}

}  // namespace
