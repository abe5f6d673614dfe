#include "tests/audio/jack_support.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/run_command.h"

extern char** environ;

namespace vlmtest {

namespace {

// Starts argv with standard output and error going to `log`; -1 on failure.
pid_t Spawn(const std::vector<std::string>& args, const std::string& log) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  pid_t pid = -1;
  const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed ? -1 : pid;
}

void StopProcess(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  int status = 0;
  for (int i = 0; i < 50; ++i) {
    if (waitpid(pid, &status, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
}

std::string Slurp(const std::string& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

bool WaitForJackPort(const std::string& port, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    const CommandRun run = RunCommand(".", "jack_lsp 2>/dev/null");
    if (run.status == 0 && ("\n" + run.out).find("\n" + port + "\n") != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

JackServer::JackServer() {
  const std::string name = "vlm-test-" + std::to_string(getpid());
  setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
  log_ = "/tmp/" + name + "-jackd.log";
  // The dummy backend waits one period's time between cycles, so its frames
  // follow the clock.
  const int waitMicroseconds = PeriodFrames * 1000000 / SampleRate;
  pid_ = Spawn({"jackd", "-n", name, "-d", "dummy", "-r", std::to_string(SampleRate), "-p",
                std::to_string(PeriodFrames), "-w", std::to_string(waitMicroseconds)},
               log_);
  if (pid_ < 0) {
    error_ = "jackd could not be started (is jackd2 installed?)";
    return;
  }
  if (!WaitForJackPort("system:playback_1", 10)) error_ = "jackd did not come up: " + Slurp(log_);
}

JackServer::~JackServer() {
  StopProcess(pid_);
  unlink(log_.c_str());
}

MidiRecorder::MidiRecorder(const std::string& name) : name_(name) {
  file_ = "/tmp/vlm-test-" + std::to_string(getpid()) + "-" + name + ".txt";
  pid_ = Spawn({"jack_midi_dump", "-a", name}, file_);
  if (pid_ > 0 && !WaitForJackPort(Port(), 10)) {
    StopProcess(pid_);
    pid_ = -1;
  }
}

MidiRecorder::~MidiRecorder() {
  StopProcess(pid_);
  unlink(file_.c_str());
}

// Lines read "FRAMES: B1 B2 B3 description"; the bytes are the two-digit hex
// words before the description.
std::vector<ReceivedMessage> MidiRecorder::Received() const {
  std::vector<ReceivedMessage> messages;
  std::istringstream lines(Slurp(file_));
  for (std::string line; std::getline(lines, line);) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    char* end = nullptr;
    const long long frames = std::strtoll(line.c_str(), &end, 10);
    if (end != line.c_str() + colon) continue;
    ReceivedMessage message;
    message.seconds = static_cast<double>(frames) / JackServer::SampleRate;
    std::istringstream words(line.substr(colon + 1));
    for (std::string word; words >> word;) {
      if (word.size() != 2 || !std::isxdigit(static_cast<unsigned char>(word[0])) ||
          !std::isxdigit(static_cast<unsigned char>(word[1])))
        break;
      message.bytes.push_back(static_cast<std::uint8_t>(std::stoi(word, nullptr, 16)));
    }
    if (!message.bytes.empty()) messages.push_back(message);
  }
  return messages;
}

}  // namespace vlmtest
