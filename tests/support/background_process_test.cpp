// The helper processes the real-window tests start: what reaches them
// (arguments, environment, a kept descriptor), what the test learns of
// them (a missing program, an exit status) and that Stop ends even a helper
// that ignores SIGTERM.
#include "tests/support/background_process.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

TEST(BackgroundProcess, AProgramNotInPathIsNotStarted) {
  vlmtest::BackgroundProcess missing({"vlm-no-such-program"});
  EXPECT_FALSE(missing.Started());
  EXPECT_FALSE(missing.Running());
  EXPECT_EQ(missing.WaitForExit(std::chrono::seconds(1)), -1);
  EXPECT_FALSE(vlmtest::HaveProgram("vlm-no-such-program"));
  EXPECT_TRUE(vlmtest::HaveProgram("sh"));
}

TEST(BackgroundProcess, TheExitStatusAndArgumentsReachTheTest) {
  vlmtest::BackgroundProcess shell({"sh", "-c", "exit $(($1 + 2))", "sh", "5"});
  ASSERT_TRUE(shell.Started());
  EXPECT_EQ(shell.WaitForExit(std::chrono::seconds(20)), 7);
  EXPECT_FALSE(shell.Running());
}

// Entries given replace the test's own of the same name; the rest of the
// test's environment is passed on.
TEST(BackgroundProcess, TheEnvironmentIsTheTestsWithTheGivenEntries) {
  setenv("VLM_KEPT", "kept", 1);
  setenv("VLM_REPLACED", "old", 1);
  vlmtest::BackgroundProcess shell(
      {"sh", "-c", R"(test "$VLM_KEPT" = kept && test "$VLM_REPLACED" = new && test "$VLM_ADDED" = "a=b")"},
      {"VLM_REPLACED=new", "VLM_ADDED=a=b"});
  EXPECT_EQ(shell.WaitForExit(std::chrono::seconds(20)), 0);
  unsetenv("VLM_KEPT");
  unsetenv("VLM_REPLACED");
}

// A descriptor made close-on-exec reaches the helper only when kept.
TEST(BackgroundProcess, OnlyTheKeptDescriptorStaysOpen) {
  for (const bool kept : {true, false}) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    const std::string write = "echo ready >&" + std::to_string(fds[1]);
    vlmtest::BackgroundProcess shell({"sh", "-c", write}, {}, vlmtest::Output::Dropped, kept ? fds[1] : -1);
    ::close(fds[1]);
    EXPECT_EQ(shell.WaitForExit(std::chrono::seconds(20)) == 0, kept);
    char line[16] = {};
    const ssize_t got = ::read(fds[0], line, sizeof line - 1);
    ::close(fds[0]);
    EXPECT_EQ(std::string(line, got > 0 ? got : 0), kept ? "ready\n" : "") << (kept ? "kept" : "not kept");
  }
}

TEST(BackgroundProcess, StopEndsAHelperThatIgnoresTerminate) {
  // An ignored signal stays ignored across exec: sleep itself ignores it.
  vlmtest::BackgroundProcess termIgnorer({"sh", "-c", "trap '' TERM; exec sleep 120"});
  vlmtest::BackgroundProcess plain({"sleep", "120"});
  ASSERT_TRUE(termIgnorer.Started());
  ASSERT_TRUE(plain.Started());
  const auto start = Clock::now();
  plain.Stop();
  EXPECT_FALSE(plain.Running());
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(4)) << "sleep ends on SIGTERM at once";
  termIgnorer.Stop();
  EXPECT_FALSE(termIgnorer.Running());
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(60));
}

}  // namespace
