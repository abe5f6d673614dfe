// The desktop program itself in a real X window: a virtual display (Xvfb)
// with a window manager, keys typed through the X server (xdotool), and the
// history file the program writes.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/phrase_history.h"
#include "common/text_file.h"
#include "tests/support/compile_harness.h"
#include "tests/support/run_command.h"
#include "tests/support/window_manager.h"

namespace {

using Clock = std::chrono::steady_clock;

// A child process started by the test and stopped by its process id.
class Child {
 public:
  // argv[0] is looked up in PATH; env entries ("NAME=value") are added to ours.
  // keepFd stays open in the child (the others close on exec). Everything the
  // child needs is made before the fork: in a process with threads, the child
  // may call nothing that allocates (a lock held by another thread at the
  // fork would never be released there).
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& env, int keepFd = -1) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> environment;
    const auto overridden = [&env](const char* entry) {
      for (const auto& own : env)
        if (std::strncmp(entry, own.c_str(), own.find('=') + 1) == 0) return true;
      return false;
    };
    for (char** e = environ; *e; ++e)
      if (!overridden(*e)) environment.push_back(*e);
    for (const auto& entry : env) environment.push_back(const_cast<char*>(entry.c_str()));
    environment.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ != 0) return;
    if (keepFd >= 0) ::fcntl(keepFd, F_SETFD, 0);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);  // Xvfb and openbox talk a lot; the program's own errors go to stderr
    ::execvpe(args[0], args.data(), environment.data());
    ::_exit(127);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  // Asks the process to end, then forces it after two seconds.
  ~Child() {
    if (pid_ <= 0 || !Running()) return;
    ::kill(pid_, SIGTERM);
    const auto until = Clock::now() + std::chrono::seconds(2);
    while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
      if (Clock::now() > until) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  // Reaps the process once it has ended, so that its id is never signalled after.
  bool Running() {
    if (pid_ > 0 && !ended_) ended_ = ::waitpid(pid_, nullptr, WNOHANG) != 0;
    return pid_ > 0 && !ended_;
  }

 private:
  pid_t pid_ = -1;
  bool ended_ = false;  // reaped
};

// Starts Xvfb on a display of its own and waits until it is ready (Xvfb
// writes the display number to the pipe then). The numbers start high, away
// from the displays people and other tests use; a number in use makes Xvfb
// end at once, and the next one is tried.
std::optional<std::string> StartDisplay(std::unique_ptr<Child>& server) {
  const int first = 200 + static_cast<int>(::getpid() % 500);
  for (int display = first; display < first + 10; ++display) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
    server = std::make_unique<Child>(
        std::vector<std::string>{"Xvfb", ":" + std::to_string(display), "-displayfd", std::to_string(fds[1]),
                                 "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
        std::vector<std::string>{}, fds[1]);
    ::close(fds[1]);
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    while (::poll(&wait, 1, 10000) > 0) {
      char c;
      if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    ::close(fds[0]);
    if (!number.empty()) return ":" + number;
    server.reset();
  }
  return std::nullopt;
}

std::vector<vlm::PhraseEntry> HistoryEntries(const std::string& file) {
  vlm::PhraseHistory history(file);
  history.Load();
  return history.Entries();
}

// Waits until the history holds `count` entries (a play command has run to
// its end); false after 20 seconds.
bool WaitForEntries(const std::string& file, std::size_t count) {
  const auto until = Clock::now() + std::chrono::seconds(20);
  while (Clock::now() < until) {
    if (HistoryEntries(file).size() >= count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

TEST(RealWindow, TwoPhrasesAndOneStepBackShowTheFirstPattern) {
  const std::string dir = vlmtest::ScratchDir();
  // The program writes its phrase file (and the sound of the file audio
  // driver) beside itself: a copy of it runs in the scratch folder.
  const std::string bin = dir + "/bin";
  std::filesystem::create_directories(bin);
  for (const char* name : {"vorlumi3", "Scale.dat", "vorlumi3.hlp"})
    std::filesystem::copy_file(std::string(VLM_BIN_DIR) + "/" + name, bin + "/" + name);

  std::unique_ptr<Child> server;
  const auto display = StartDisplay(server);
  if (!display) {
    std::filesystem::remove_all(dir);
    GTEST_SKIP() << "Xvfb could not start a virtual display";
  }
  // HOME stays: a fresh one would have the font configuration scan every
  // font again, which on a busy machine outlasts any sensible wait.
  const std::vector<std::string> env{"DISPLAY=" + *display, "QT_QPA_PLATFORM=xcb", "XDG_DATA_HOME=" + dir + "/data",
                                     "VORLUMI3_AUDIO_DRIVER=file", "LC_ALL=C.UTF-8"};
  const std::string history = dir + "/data/vorlumi3/history.jsonl";
  {
    Child windowManager({"openbox", "--sm-disable"}, env);
    ASSERT_TRUE(vlmtest::WaitForWindowManager(*display, 30)) << "openbox did not start";
    Child program({bin + "/vorlumi3"}, env);
    std::string prefix;
    for (const auto& entry : env) prefix += "'" + entry + "' ";
    // Every call is bounded: a window that never shows fails the test
    // instead of hanging it.
    const auto xdotool = [&](const std::string& args) {
      return vlmtest::RunCommand(dir, "env " + prefix + "timeout 60 xdotool " + args);
    };
    // The main window, shown and given the keyboard. The focus is set
    // directly, so that the keys arrive whatever the window manager does.
    // Asked again and again rather than with --sync, which now and then
    // waits past a window that was mapped while it set itself up.
    vlmtest::CommandRun found;
    const auto until = Clock::now() + std::chrono::seconds(60);
    do {
      found = xdotool("search --onlyvisible --name '^Vorlumi3$'");
      if (found.status == 0 && !found.out.empty()) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    } while (Clock::now() < until && program.Running());
    ASSERT_EQ(found.status, 0) << found.err << (program.Running() ? "" : "the program has ended");
    const std::string window = found.out.substr(0, found.out.find('\n'));
    ASSERT_EQ(xdotool("windowfocus --sync " + window).status, 0);
    ASSERT_TRUE(program.Running());

    ASSERT_EQ(xdotool("key F5").status, 0);
    ASSERT_TRUE(WaitForEntries(history, 1));
    ASSERT_EQ(xdotool("key F5").status, 0);
    ASSERT_TRUE(WaitForEntries(history, 2));
    ASSERT_EQ(xdotool("key alt+Left").status, 0);
    // Ctrl+P compiles the pattern in the box unchanged and records it: the
    // third entry tells what the window shows.
    ASSERT_EQ(xdotool("key ctrl+p").status, 0);
    ASSERT_TRUE(WaitForEntries(history, 3));

    const auto entries = HistoryEntries(history);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].Kind, "draw");
    EXPECT_EQ(entries[1].Kind, "draw");
    EXPECT_NE(entries[0].Pattern, entries[1].Pattern);
    EXPECT_EQ(entries[2].Kind, "compile");
    EXPECT_EQ(entries[2].Pattern, entries[0].Pattern) << "Alt+Left shows the first phrase again";
    EXPECT_EQ(entries[2].Rhythm, entries[0].Rhythm);
    EXPECT_TRUE(program.Running());
  }
  server.reset();
  std::filesystem::remove_all(dir);
}

}  // namespace
