#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "tests/audio/jack_support.h"
#include "tests/support/compile_harness.h"
#include "tests/support/run_command.h"

namespace vlmtest {
namespace {

const std::string Bin = VLM_BIN_DIR;

// The programs' MIDI out, run against a JACK server of the test's own (the
// machine may have no ALSA sequencer, so JACK is named explicitly).
class MidiOutCli : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = std::make_unique<JackServer>(); }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    if (!server_->Running()) GTEST_SKIP() << server_->Error();
    ASSERT_TRUE(recorder_.Running()) << "jack_midi_dump did not start";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  CommandRun Shell(const std::string& command) {
    return RunCommand(dir_, "{ VORLUMI3_MIDI_SYSTEM=jack; export VORLUMI3_MIDI_SYSTEM; " + command + "; }");
  }
  void Write(const std::string& name, const std::string& text) { std::ofstream(dir_ + "/" + name) << text; }

  // The note ons and offs received, and those of a file, as "90 3c 64".
  std::vector<std::string> ReceivedNotes() const { return Notes(recorder_.Received()); }
  std::vector<std::string> FileNotesOf(const std::string& name) const { return Notes(FileNotes(dir_ + "/" + name)); }
  static std::vector<std::string> Notes(const std::vector<TimedMessage>& messages) {
    std::vector<std::string> notes;
    for (const TimedMessage& m : messages)
      if (m.IsNote()) notes.push_back(m.hex);
    return notes;
  }

  static std::unique_ptr<JackServer> server_;
  MidiRecorder recorder_{"vlm-cli-recorder"};
  std::string dir_ = ScratchDir();
};

std::unique_ptr<JackServer> MidiOutCli::server_;

TEST_F(MidiOutCli, BothProgramsListTheDestinationsAndSayWhichSystemCarriesThem) {
  for (const char* program : {"vlmc", "vorlumi3-cli"}) {
    const CommandRun run = Shell("'" + Bin + "/" + program + "' --list-midi-outputs");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(("\n" + run.out).find("\n" + recorder_.Port() + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("MIDI out through JACK"), std::string::npos) << run.err;
  }
}

TEST_F(MidiOutCli, VlmcPlaysEveryNoteOfItsFileIntoTheDestinationNamedInPart) {
  Write("tune.vlm", "t180 @1 v100 o5 l16 c d e f g a b o6 c\n");
  const CommandRun run = Shell("'" + Bin + "/vlmc' tune.vlm --play --midi-out CLI-REC");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Compile Start\nok\n");  // standard output keeps to the messages
  const std::vector<std::string> expected = FileNotesOf("tune.mid");
  ASSERT_EQ(expected.size(), 16u);
  EXPECT_EQ(ReceivedNotes(), expected);
}

TEST_F(MidiOutCli, AMissingOrAmbiguousDestinationIsAUsageErrorListingTheCandidates) {
  MidiRecorder second("vlm-cli-recorder-2");
  ASSERT_TRUE(second.Running());
  Write("tune.vlm", "c\n");
  const CommandRun ambiguous = Shell("'" + Bin + "/vlmc' tune.vlm --play --midi-out cli-recorder");
  EXPECT_EQ(ambiguous.status, 2);
  EXPECT_NE(ambiguous.err.find(recorder_.Port()), std::string::npos) << ambiguous.err;
  EXPECT_NE(ambiguous.err.find(second.Port()), std::string::npos) << ambiguous.err;
  const CommandRun missing = Shell("'" + Bin + "/vorlumi3-cli' --play --midi-out no-such-synth");
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find(recorder_.Port()), std::string::npos) << missing.err;
  // Refused before anything was compiled or sent.
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/tune.mid"));
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/vorlumi3.mid"));
  EXPECT_TRUE(ReceivedNotes().empty());
}

// Ctrl+C in the middle of a phrase: the notes sent so far are the file's
// first ones, and the channel played on gets all notes off and all sound off.
TEST_F(MidiOutCli, CtrlCSilencesTheChannelAndEndsWithStatus130) {
  const CommandRun run = Shell("'" + Bin + "/vorlumi3-cli' --seed 7 -q --play --midi-out vlm-cli-recorder & "
                               "pid=$!; sleep 2; kill -INT $pid; wait $pid; echo \"status=$?\"");
  EXPECT_NE(run.out.find("status=130"), std::string::npos) << run.out << run.err;
  const std::vector<TimedMessage> received = recorder_.Received();
  ASSERT_GE(received.size(), 4u);
  EXPECT_EQ(received[received.size() - 2].hex, "b0 7b 00");
  EXPECT_EQ(received.back().hex, "b0 78 00");
  const std::vector<std::string> notes = ReceivedNotes();
  const std::vector<std::string> expected = FileNotesOf("vorlumi3.mid");
  ASSERT_FALSE(notes.empty());
  ASSERT_LT(notes.size(), expected.size());
  EXPECT_TRUE(std::equal(notes.begin(), notes.end(), expected.begin()));
}

// --loop plays the file again each time it ends, until Ctrl+C: the notes
// arrive pass after pass in the file's order.
TEST_F(MidiOutCli, LoopPlaysPassAfterPassUntilCtrlC) {
  Write("tune.vlm", "t240 @1 v100 o5 l16 c d e f\n");  // a quarter of a second
  const CommandRun run = Shell("'" + Bin + "/vlmc' tune.vlm -q --play --loop --midi-out vlm-cli-recorder & "
                               "pid=$!; sleep 1.5; kill -INT $pid; wait $pid; echo \"status=$?\"");
  EXPECT_NE(run.out.find("status=130"), std::string::npos) << run.out << run.err;
  const CommandRun alone = Shell("'" + Bin + "/vorlumi3-cli' --loop");
  EXPECT_EQ(alone.status, 2) << "--loop goes with --play";
  const std::vector<std::string> pass = FileNotesOf("tune.mid");
  ASSERT_EQ(pass.size(), 8u);
  const std::vector<std::string> notes = ReceivedNotes();
  ASSERT_GE(notes.size(), 2 * pass.size()) << "at least two passes";
  for (std::size_t k = 0; k < notes.size(); ++k) EXPECT_EQ(notes[k], pass[k % pass.size()]) << k;
}

// --midi-clock as a drum machine on external sync meets it. The phrase has
// 96 ticks a quarter, so a clock every 4 ticks: 20.83 ms at 120 beats a
// minute, 10.42 ms once t240 takes over at tick 189 (the compiler places it
// there, as midicsv shows). The file ends on tick 371, the last note off:
// clocks 0 to 92. Every clock and note is checked against its time worked
// out here, within 10 ms of the median offset, as the notes are without clock.
TEST_F(MidiOutCli, MidiClockStartsFollowsTheTempoChangeAndStops) {
  Write("beat.vlm", "t120 @1 o5 l4 c d t240 e f\n");
  const CommandRun run = Shell("'" + Bin + "/vlmc' beat.vlm -q --play --midi-out vlm-cli-recorder --midi-clock");
  ASSERT_EQ(run.status, 0) << run.err;
  const CommandRun csv = RunCommand(dir_, "midicsv beat.mid | grep -E 'Header|Tempo|End_track'");
  ASSERT_EQ(csv.out, "0, 0, Header, 1, 1, 96\n1, 0, Tempo, 500000\n1, 189, Tempo, 250000\n1, 371, End_track\n");

  const double fast = 0.5 / 96, slow = 0.25 / 96;  // seconds a tick
  const auto seconds = [&](int tick) { return tick <= 189 ? tick * fast : 189 * fast + (tick - 189) * slow; };
  std::vector<std::pair<std::string, double>> expected;  // in the order they are due
  const std::vector<std::pair<int, std::string>> notes = {
      {0, "90 3c 64"},  {83, "80 3c 64"},  {96, "90 3e 64"},  {179, "80 3e 64"},
      {192, "90 40 64"}, {275, "80 40 64"}, {288, "90 41 64"}, {371, "80 41 64"}};
  std::size_t note = 0;
  for (int clock = 0; clock <= 92; ++clock) {
    for (; note < notes.size() && notes[note].first < 4 * clock; ++note)
      expected.emplace_back(notes[note].second, seconds(notes[note].first));
    expected.emplace_back("f8", seconds(4 * clock));
  }
  for (; note < notes.size(); ++note) expected.emplace_back(notes[note].second, seconds(notes[note].first));

  std::vector<TimedMessage> received;
  for (const TimedMessage& m : recorder_.Received())
    if (m.hex != "c0 01") received.push_back(m);
  ASSERT_GE(received.size(), 2u);
  EXPECT_EQ(received.front().hex, "fa") << "Start comes first";
  EXPECT_EQ(received.back().hex, "fc") << "Stop comes last";
  received = std::vector<TimedMessage>(received.begin() + 1, received.end() - 1);
  ASSERT_EQ(received.size(), expected.size());
  std::vector<double> offsets;
  for (std::size_t i = 0; i < received.size(); ++i) {
    EXPECT_EQ(received[i].hex, expected[i].first) << "message " << i;
    offsets.push_back(received[i].seconds - expected[i].second);
  }
  const double worst = vlmtest::WorstDeviationFromMedian(offsets);
  EXPECT_LE(worst, 0.010);
  RecordProperty("worst_deviation_us", static_cast<int>(worst * 1e6));
}

// Looping with clock, each pass starts the gear again and carries its own
// clocks: 89 ticks at 240 beats a minute (the last note off of "l8 c d"),
// 0.2318 s a pass, 23 clocks on ticks 0 to 88, 10.42 ms apart; the next
// pass's first comes one tick after the last, so the clock never pauses.
TEST_F(MidiOutCli, MidiClockStartsEveryPassOfALoopInTime) {
  Write("loop.vlm", "t240 @1 v100 o5 l8 c d\n");
  const CommandRun run = Shell("'" + Bin + "/vlmc' loop.vlm -q --play --loop --midi-out vlm-cli-recorder --midi-clock & "
                               "pid=$!; sleep 1.5; kill -INT $pid; wait $pid; echo \"status=$?\"");
  EXPECT_NE(run.out.find("status=130"), std::string::npos) << run.out << run.err;
  ASSERT_NE(RunCommand(dir_, "midicsv loop.mid").out.find("1, 89, End_track"), std::string::npos);

  const std::vector<TimedMessage> received = recorder_.Received();
  std::vector<double> starts;
  std::vector<int> clocks;  // after each Start
  double lastClock = -1, widest = 0;
  for (std::size_t i = 0; i < received.size(); ++i) {
    if (received[i].hex == "fa") {
      starts.push_back(received[i].seconds);
      clocks.push_back(0);
      ASSERT_LT(i + 1, received.size());
      EXPECT_EQ(received[i + 1].hex, "f8") << "the pass's first clock follows its Start";
    } else if (received[i].hex == "f8") {
      ASSERT_FALSE(clocks.empty()) << "a clock before Start";
      ++clocks.back();
      if (lastClock >= 0) widest = std::max(widest, received[i].seconds - lastClock);
      lastClock = received[i].seconds;
    }
  }
  ASSERT_GE(starts.size(), 4u);
  for (std::size_t p = 0; p + 1 < starts.size(); ++p) {
    EXPECT_EQ(clocks[p], 23) << "pass " << p;
    EXPECT_NEAR(starts[p + 1] - starts[p], 89 * 0.25 / 96, 0.010) << "pass " << p;
  }
  EXPECT_LE(widest, 0.25 / 24 + 0.010) << "the clock paused";
  ASSERT_GE(received.size(), 3u);
  EXPECT_EQ(received[received.size() - 3].hex, "fc") << "Ctrl+C stops the gear, then the notes";
}

// "virtual" makes a port other programs connect to; what it plays then
// reaches them.
TEST_F(MidiOutCli, AVirtualPortNamedVorlumi3CanBeRecordedFrom) {
  Write("late.vlm", "t120 @1 v100 o5 r1 l8 c e g\n");  // two seconds of rest first
  const CommandRun run = Shell(
      "'" + Bin + "/vlmc' late.vlm --play --midi-out virtual & pid=$!; "
      "timeout 10 sh -c \"until timeout 2 jack_lsp 2>/dev/null | grep -qx Vorlumi3:Vorlumi3; do sleep 0.05; done\"; "
      "timeout 5 jack_connect Vorlumi3:Vorlumi3 " + recorder_.Port() + "; wait $pid; echo \"status=$?\"");
  EXPECT_NE(run.out.find("status=0"), std::string::npos) << run.out << run.err;
  EXPECT_EQ(ReceivedNotes(), FileNotesOf("late.mid"));
}

TEST_F(MidiOutCli, NoServerMeansNoOutputAndStatus3) {
  Write("tune.vlm", "c\n");
  const CommandRun run =
      Shell("JACK_DEFAULT_SERVER=vlm-no-such-server '" + Bin + "/vlmc' tune.vlm --play --midi-out x");
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("No JACK server"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("Cannot connect"), std::string::npos) << "libjack's own lines are kept quiet: " << run.err;
}

// Start-up stays as quick as before: a compile without --play loads neither
// RtMidi nor the JACK and ALSA client libraries.
TEST(MidiOutStartup, ACompileLoadsNoMidiLibrary) {
  const std::string dir = ScratchDir();
  std::ofstream(dir + "/tune.vlm") << "c\n";
  const CommandRun run = RunCommand(dir, "LD_DEBUG=files '" + Bin + "/vlmc' tune.vlm >/dev/null");
  EXPECT_NE(run.err.find("libc.so"), std::string::npos) << "LD_DEBUG shows the libraries loaded";
  for (const char* library : {"librtmidi", "libjack", "libasound"})
    EXPECT_EQ(run.err.find(library), std::string::npos) << library;
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vlmtest
