#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/compile_harness.h"
#include "tests/support/run_command.h"

namespace vlmtest {
namespace {

// The desktop program's command line. --help and --version answer without a
// display (no platform plugin is named, none is reachable); the other cases
// end before any window is shown.
class DesktopCommandLine : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove_all(dir); }

  CommandRun Run(const std::string& environment, const std::string& args) {
    return RunCommand(dir, "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + environment + " '" +
                               std::string(VLM_BIN_DIR) + "/vorlumi3' " + args);
  }

  std::string dir = ScratchDir();
};

TEST_F(DesktopCommandLine, HelpAndVersionNeedNoDisplay) {
  const CommandRun help = Run("", "--help");
  EXPECT_EQ(help.status, 0) << help.err;
  EXPECT_EQ(help.out.rfind("usage: vorlumi3 [OPTION]... [FILE]\n", 0), 0u) << help.out;
  const CommandRun version = Run("", "-platform xcb --version");
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out.rfind("vorlumi3 (Vorlumi3) ", 0), 0u) << version.out;
}

TEST_F(DesktopCommandLine, BadArgumentsAndUnreadableFilesEndWithStatusTwo) {
  std::ofstream(dir + "/a.vlm") << "c";
  const struct {
    const char* args;
    const char* error;
  } cases[] = {
      {"--frobnicate", "vorlumi3: unknown option --frobnicate\n"},
      {"missing.vr3", "vorlumi3: cannot open missing.vr3: not a readable file\n"},
      {"a.vlm a.vlm", "vorlumi3: only one FILE, please\n"},
      {"-- --help", "vorlumi3: cannot open --help: not a readable file\n"},
  };
  for (const auto& c : cases) {
    const CommandRun run = Run("QT_QPA_PLATFORM=offscreen", c.args);
    EXPECT_EQ(run.status, 2) << c.args;
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << c.args;
  }
}

}  // namespace
}  // namespace vlmtest
