// The desktop program itself in a real X window: a virtual display (Xvfb)
// with a window manager, keys typed through the X server (xdotool), and the
// history file the program writes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/phrase_history.h"
#include "common/text_file.h"
#include "tests/support/background_process.h"
#include "tests/support/compile_harness.h"
#include "tests/support/run_command.h"
#include "tests/support/x_session.h"

namespace {

using Clock = std::chrono::steady_clock;

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

TEST(RealWindow, OneStepBackShowsTheFirstPatternAndTheSessionOutlivesTheProgram) {
  if (!vlmtest::HaveProgram("openbox") || !vlmtest::HaveProgram("xdotool"))
    GTEST_SKIP() << "openbox and xdotool are needed";
  const std::string dir = vlmtest::ScratchDir();
  // The program writes its phrase file (and the sound of the file audio
  // driver) beside itself: a copy of it runs in the scratch folder.
  const std::string bin = dir + "/bin";
  std::filesystem::create_directories(bin);
  for (const char* name : {"vorlumi3", "Scale.dat", "vorlumi3.hlp"})
    std::filesystem::copy_file(std::string(VLM_BIN_DIR) + "/" + name, bin + "/" + name);

  vlmtest::XSession x;
  if (!x.StartDisplay(10)) {
    std::filesystem::remove_all(dir);
    GTEST_SKIP() << "Xvfb could not start a virtual display";
  }
  // HOME stays: a fresh one would have the font configuration scan every
  // font again, which on a busy machine outlasts any sensible wait.
  const std::vector<std::string> env{"DISPLAY=" + x.Display(), "QT_QPA_PLATFORM=xcb", "XDG_DATA_HOME=" + dir + "/data",
                                     "XDG_CONFIG_HOME=" + dir + "/config", "VORLUMI3_AUDIO_DRIVER=file",
                                     "LC_ALL=C.UTF-8"};
  const std::string history = dir + "/data/vorlumi3/history.jsonl";
  std::string prefix;
  for (const auto& entry : env) prefix += "'" + entry + "' ";
  // Every call is bounded: a window that never shows fails the test
  // instead of hanging it.
  const auto xdotool = [&](const std::string& args) {
    return vlmtest::RunCommand(dir, "env " + prefix + "timeout 60 xdotool " + args);
  };
  // The main window, shown and given the keyboard: its id, or "" when it
  // never showed. The focus is set directly, so that the keys arrive
  // whatever the window manager does. Asked again and again rather than with
  // --sync, which now and then waits past a window that was mapped while it
  // set itself up.
  const auto focusMainWindow = [&](vlmtest::BackgroundProcess& program) -> std::string {
    vlmtest::CommandRun found;
    const auto until = Clock::now() + std::chrono::seconds(60);
    do {
      found = xdotool("search --onlyvisible --name '^Vorlumi3$'");
      if (found.status == 0 && !found.out.empty()) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    } while (Clock::now() < until && program.Running());
    if (found.status != 0 || found.out.empty()) {
      ADD_FAILURE() << found.err << (program.Running() ? "" : "the program has ended");
      return "";
    }
    const std::string window = found.out.substr(0, found.out.find('\n'));
    if (xdotool("windowfocus --sync " + window).status != 0) return "";
    return window;
  };
  ASSERT_TRUE(x.StartWindowManager(30)) << "openbox did not start";
  {
    // The program's own errors reach the test's output.
    vlmtest::BackgroundProcess program({bin + "/vorlumi3"}, env, vlmtest::Output::ErrorsShown);
    const std::string window = focusMainWindow(program);
    ASSERT_FALSE(window.empty());
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
    ASSERT_TRUE(program.Running());
    // Ctrl+L turns looping on, kept in the configuration for the next start.
    ASSERT_EQ(xdotool("key ctrl+l").status, 0);

    // Closed as a user closes it (the window manager's Alt+F4), the
    // program ends by itself and keeps its session.
    ASSERT_EQ(xdotool("key alt+F4").status, 0);
    EXPECT_EQ(program.WaitForExit(std::chrono::seconds(30)), 0);
  }
  EXPECT_TRUE(std::filesystem::exists(dir + "/data/vorlumi3/session.vr3"));
  EXPECT_NE(vlm::ReadFileBytes(dir + "/config/vorlumi3/vorlumi3.conf").value_or("").find("loop=true"), std::string::npos);
  {
    // Started again, it shows the pattern it had: Ctrl+P records it.
    vlmtest::BackgroundProcess program({bin + "/vorlumi3"}, env, vlmtest::Output::ErrorsShown);
    ASSERT_FALSE(focusMainWindow(program).empty());
    ASSERT_EQ(xdotool("key ctrl+p").status, 0);
    ASSERT_TRUE(WaitForEntries(history, 4));
    const auto entries = HistoryEntries(history);
    EXPECT_EQ(entries[3].Kind, "compile");
    EXPECT_EQ(entries[3].Pattern, entries[0].Pattern) << "the session's pattern comes back";
    EXPECT_EQ(entries[3].Rhythm, entries[0].Rhythm);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
