#include "audio/midi_out.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <thread>

#include "tests/audio/audio_support.h"
#include "tests/audio/jack_support.h"
#include "tests/support/compile_harness.h"
#include "tests/support/run_command.h"

namespace {

using vlmtest::ReceivedMessage;

// ---- choosing a destination by its name or part of it ----

TEST(ChooseMidiPort, TakesAnExactNameBeforeAPartialOne) {
  const std::vector<std::string> ports = {"synth:in", "synth:in 2", "Midi Through:Port-0 14:0"};
  EXPECT_EQ(vlm::ChooseMidiPort(ports, "synth:in"), "synth:in");
  EXPECT_EQ(vlm::ChooseMidiPort(ports, "THROUGH"), "Midi Through:Port-0 14:0");
  EXPECT_EQ(vlm::ChooseMidiPort(ports, "in 2"), "synth:in 2");
}

TEST(ChooseMidiPort, RefusesAnAmbiguousOrMissingNameAndListsTheCandidates) {
  const std::vector<std::string> ports = {"synth:in", "synth:in 2", "Midi Through:Port-0 14:0"};
  try {
    vlm::ChooseMidiPort(ports, "synth");
    FAIL() << "an ambiguous name was taken";
  } catch (const vlm::MidiPortError& e) {
    const std::string text = e.what();
    EXPECT_NE(text.find("synth:in\n"), std::string::npos) << text;
    EXPECT_NE(text.find("synth:in 2"), std::string::npos) << text;
    EXPECT_EQ(text.find("Through"), std::string::npos) << "only the matching ones: " << text;
  }
  try {
    vlm::ChooseMidiPort(ports, "piano");
    FAIL() << "a missing name was taken";
  } catch (const vlm::MidiPortError& e) {
    EXPECT_NE(std::string(e.what()).find("Midi Through:Port-0 14:0"), std::string::npos) << e.what();
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

// A message of the MIDI file with its time, as midicsv (an independent
// reader) lists it, converted through the file's single tempo.
struct FileMessage {
  double seconds = 0;
  std::vector<std::uint8_t> bytes;
};

// The note ons and offs of a one-track file with one tempo, in file order.
std::vector<FileMessage> NotesByMidicsv(const std::string& file) {
  const vlmtest::CommandRun run = vlmtest::RunCommand(".", "midicsv '" + file + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  std::vector<FileMessage> notes;
  double division = 0, secondsPerQuarter = 0.5;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> fields;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(cell.substr(cell.find_first_not_of(' ')));
    if (fields.size() < 3) continue;
    const double tick = std::stod(fields[1]);
    if (fields[2] == "Header") division = std::stod(fields[5]);
    if (fields[2] == "Tempo") {
      EXPECT_EQ(tick, 0) << "the reference times assume a single tempo";
      secondsPerQuarter = std::stod(fields[3]) / 1e6;
    }
    if (fields[2] == "Note_on_c" || fields[2] == "Note_off_c") {
      const int status = (fields[2] == "Note_on_c" ? 0x90 : 0x80) | std::stoi(fields[3]);
      notes.push_back({tick / division * secondsPerQuarter,
                       {static_cast<std::uint8_t>(status), static_cast<std::uint8_t>(std::stoi(fields[4])),
                        static_cast<std::uint8_t>(std::stoi(fields[5]))}});
    }
  }
  return notes;
}

std::vector<ReceivedMessage> NotesOf(const std::vector<ReceivedMessage>& messages) {
  std::vector<ReceivedMessage> notes;
  for (const ReceivedMessage& m : messages)
    if ((m.bytes[0] & 0xE0) == 0x80) notes.push_back(m);
  return notes;
}

class MidiOutJack : public ::testing::Test {
 protected:
  // One server for the suite, started before any recorder.
  static void SetUpTestSuite() { server_ = std::make_unique<vlmtest::JackServer>(); }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    if (!server_->Running()) GTEST_SKIP() << server_->Error();
    setenv(vlm::MidiSystemVariable, "jack", 1);
    ASSERT_TRUE(recorder_.Running()) << "jack_midi_dump did not start";
  }
  void TearDown() override {
    unsetenv(vlm::MidiSystemVariable);
    std::filesystem::remove_all(dir_);
  }

  // Compiles source into phrase.mid in the scratch folder; its path.
  std::string Compile(const std::string& source) {
    const vlmtest::CompileResult compiled = vlmtest::CompileSource(source);
    EXPECT_TRUE(compiled.Errors().empty());
    const std::string file = dir_ + "/phrase.mid";
    vlmtest::WriteBytes(file, compiled.bytes);
    return file;
  }

  // Waits until the recorder holds `count` messages or a second passes.
  std::vector<ReceivedMessage> ReceivedAtLeast(std::size_t count) {
    for (int i = 0; i < 100 && recorder_.Received().size() < count; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return recorder_.Received();
  }

  static std::unique_ptr<vlmtest::JackServer> server_;
  vlmtest::MidiRecorder recorder_{"vlm-recorder"};
  std::string dir_ = vlmtest::ScratchDir();
};

std::unique_ptr<vlmtest::JackServer> MidiOutJack::server_;

TEST_F(MidiOutJack, ListsTheRecorderAmongTheDestinations) {
  const std::vector<std::string> ports = vlm::ListMidiOutputs(vlm::MidiSystem::Jack);
  EXPECT_NE(std::find(ports.begin(), ports.end(), recorder_.Port()), ports.end());
}

// Every note on and off arrives in the file's order, each within 10 ms of
// its time in the file (the offset of the whole phrase aside).
TEST_F(MidiOutJack, EveryNoteArrivesInOrderWithin10Milliseconds) {
  const std::string file = Compile("t150 @1 v90 o5 l16 c d e f g8 a8 b4 CH=3 o4 c d8. e16 f2");
  const std::vector<FileMessage> expected = NotesByMidicsv(file);
  ASSERT_EQ(expected.size(), 22u);  // eleven notes
  auto player = vlm::MakeMidiOutPlayer(vlm::MidiSystem::Jack, "vlm-rec");
  player->SetFileName(file);
  player->Open();
  player->Play();
  while (player->GetMode() == vlm::MediaPlayer::Mode::Playing)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const std::vector<ReceivedMessage> notes = NotesOf(ReceivedAtLeast(expected.size()));
  ASSERT_EQ(notes.size(), expected.size());
  std::vector<double> offsets;
  for (std::size_t i = 0; i < notes.size(); ++i) {
    EXPECT_EQ(notes[i].bytes, expected[i].bytes) << "message " << i;
    offsets.push_back(notes[i].seconds - expected[i].seconds);
  }
  std::vector<double> sorted = offsets;
  std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
  const double median = sorted[sorted.size() / 2];
  double worst = 0;
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    EXPECT_LE(std::abs(offsets[i] - median), 0.010) << "message " << i << " at " << expected[i].seconds << " s";
    worst = std::max(worst, std::abs(offsets[i] - median));
  }
  RecordProperty("worst_deviation_us", static_cast<int>(worst * 1e6));
}

// Stopping in the middle silences every channel that was played on, and
// only those: all notes off (CC 123), then all sound off (CC 120).
TEST_F(MidiOutJack, StopSilencesEveryChannelPlayedOn) {
  const std::string file = Compile("t120 @1 v90 o5 l4 c CH=3 d CH=10 e8 CH=1 f1 f1");
  auto player = vlm::MakeMidiOutPlayer(vlm::MidiSystem::Jack, "vlm-recorder:input");
  player->SetFileName(file);
  player->Open();
  player->Play();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  player->Stop();
  const std::vector<ReceivedMessage> received = ReceivedAtLeast(100);
  std::vector<std::vector<std::uint8_t>> controls;
  for (const ReceivedMessage& m : received)
    if ((m.bytes[0] & 0xF0) == 0xB0 && (m.bytes[1] == 123 || m.bytes[1] == 120)) controls.push_back(m.bytes);
  const std::vector<std::vector<std::uint8_t>> expected = {
      {0xB0, 123, 0}, {0xB0, 120, 0}, {0xB2, 123, 0}, {0xB2, 120, 0}, {0xB9, 123, 0}, {0xB9, 120, 0}};
  EXPECT_EQ(controls, expected);
  // The silencing comes after the last note on.
  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received.back().bytes, (std::vector<std::uint8_t>{0xB9, 120, 0}));
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
  const vlmtest::CommandRun ports = vlmtest::RunCommand(".", "aconnect -o 2>/dev/null || cat /proc/asound/seq/clients");
  EXPECT_NE(ports.out.find(vlm::VirtualPortName), std::string::npos) << ports.out;
}

}  // namespace
