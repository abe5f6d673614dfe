#include "tests/audio/jack_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/run_command.h"

extern char** environ;

namespace vlmtest {

namespace {

// Starts a program of ours to stop later, with its output in `log`; its
// process id, or -1.
pid_t Start(const std::vector<std::string>& args, const std::string& log) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

void StopProcess(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

// Ten seconds at most, each look bounded too: a client of a server that
// has stopped answering (it happens under load) would otherwise wait for ever.
bool WaitForPort(const std::string& port) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < until) {
    if (RunCommand("/tmp", "timeout 2 jack_lsp 2>/dev/null | grep -qxF '" + port + "'").status == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

}  // namespace

JackServer::JackServer() {
  const std::string name = "vlm-test-" + std::to_string(getpid());
  setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
  // 128-frame periods; the dummy backend waits a period's time between
  // cycles, so its frames follow the clock.
  pid_ = Start({"jackd", "-n", name, "-d", "dummy", "-r", "48000", "-p", "128", "-w", "2667"}, "/dev/null");
  if (pid_ < 0 || !WaitForPort("system:playback_1")) error_ = "jackd (jackd2) did not come up";
}

JackServer::~JackServer() { StopProcess(pid_); }

MidiRecorder::MidiRecorder(const std::string& name)
    : name_(name), file_("/tmp/vlm-test-" + std::to_string(getpid()) + "-" + name + ".txt") {
  pid_ = Start({"jack_midi_dump", "-a", name}, file_);
  if (pid_ > 0 && !WaitForPort(Port())) {
    StopProcess(pid_);
    pid_ = -1;
  }
}

MidiRecorder::~MidiRecorder() {
  StopProcess(pid_);
  unlink(file_.c_str());
}

// Lines read "FRAMES: 90 3c 64 note on ...": the bytes are the two-letter
// hex words before the description.
std::vector<TimedMessage> MidiRecorder::Received() const {
  std::vector<TimedMessage> messages;
  std::ifstream lines(file_);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    long long frames = 0;
    char colon = 0;
    if (!(words >> frames >> colon) || colon != ':') continue;
    TimedMessage message{static_cast<double>(frames) / JackServer::SampleRate, ""};
    for (std::string word; words >> word && word.size() == 2 && std::isxdigit(word[0]) && std::isxdigit(word[1]);)
      message.hex += (message.hex.empty() ? "" : " ") + word;
    if (!message.hex.empty()) messages.push_back(message);
  }
  return messages;
}

std::vector<TimedMessage> FileNotes(const std::string& file) {
  const CommandRun run = RunCommand(
      "/tmp", "midicsv '" + file + "' | awk -F', ' '"
              "$3 == \"Header\" { division = $6 } "
              "$3 == \"Tempo\" { if (tempos++) print \"tempo changes\"; tempo = $4 } "
              "$3 == \"Note_on_c\" || $3 == \"Note_off_c\" { printf \"%.6f %02x %02x %02x\\n\", "
              "$2 / division * tempo / 1e6, ($3 == \"Note_on_c\" ? 144 : 128) + $4, $5, $6 }'");
  std::vector<TimedMessage> notes;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    if (line == "tempo changes") {
      ADD_FAILURE() << file << ": the times are worked out for a file with one tempo";
      continue;
    }
    const auto space = line.find(' ');
    notes.push_back({std::stod(line.substr(0, space)), line.substr(space + 1)});
  }
  return notes;
}

double WorstDeviationFromMedian(std::vector<double> offsets) {
  if (offsets.empty()) return 0;
  std::vector<double> sorted = offsets;
  std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2), sorted.end());
  const double median = sorted[sorted.size() / 2];
  double worst = 0;
  for (double offset : offsets) worst = std::max(worst, std::abs(offset - median));
  return worst;
}

}  // namespace vlmtest
