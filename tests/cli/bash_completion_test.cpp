// The bash completion script, run by bash itself the way its completion
// machinery calls it: the words on the line in COMP_WORDS, the candidates
// back in COMPREPLY.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/compile_harness.h"
#include "tests/support/run_command.h"

namespace {

class BashCompletion : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(here + "/songs");
    for (const char* name : {"a.vlm", "B.VLM", "c.mid", "d.vr3", "e.txt", "f.png"}) std::ofstream(here + "/" + name);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  // The candidates for the last of `words` (a word "" is the empty word after
  // a blank), sorted.
  std::vector<std::string> Complete(const std::string& words) const {
    const auto run = vlmtest::RunCommand(
        dir, "cd here && PATH='" VLM_BIN_DIR "':\"$PATH\" bash -c '"
             "source \"" VLM_SOURCE_DIR "/resources/completion/vorlumi3.bash\" && "
             "COMP_WORDS=(" + words + ") && COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) && "
             "_vorlumi3_complete \"${COMP_WORDS[0]}\"; printf \"%s\\n\" \"${COMPREPLY[@]}\"'");
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> found;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
      if (!line.empty()) found.push_back(line);
    std::sort(found.begin(), found.end());
    return found;
  }

  std::string dir = vlmtest::ScratchDir();
  std::string here = dir + "/here";  // the files to complete, apart from the run's own output files
};

using Words = std::vector<std::string>;

// The options come from each program's own --help.
TEST_F(BashCompletion, OptionsAreThoseTheProgramsHelpNames) {
  EXPECT_EQ(Complete("vlmc --sou"), Words{"--source-map"});
  EXPECT_EQ(Complete("vorlumi3-cli --se"), (Words{"--seed", "--settings"}));
  EXPECT_EQ(Complete("vorlumi3 --"), (Words{"--help", "--version"}));
  const auto vlmc = Complete("vlmc -");
  EXPECT_NE(std::find(vlmc.begin(), vlmc.end(), "--diagnostics"), vlmc.end());
  EXPECT_NE(std::find(vlmc.begin(), vlmc.end(), "-q"), vlmc.end());
  EXPECT_EQ(Complete("vlmc --ls"), Words{"--lsp"});
  EXPECT_EQ(Complete("vorlumi3-cli --midi-"), (Words{"--midi-clock", "--midi-out"}));
  EXPECT_EQ(Complete("vlmc --lsp -"), Words{}) << "--lsp goes with no other option";
  EXPECT_EQ(Complete("vlmc --lsp \"\""), Words{}) << "nor with a SOURCE";
}

// Each place takes files of its kind (any case of the extension) and folders.
TEST_F(BashCompletion, FilesAreOfTheKindThePlaceTakes) {
  EXPECT_EQ(Complete("vlmc \"\""), (Words{"B.VLM", "a.vlm", "e.txt", "songs"}));
  EXPECT_EQ(Complete("vorlumi3 \"\""), (Words{"B.VLM", "a.vlm", "d.vr3", "songs"}));
  EXPECT_EQ(Complete("vlmc a.vlm -o \"\""), (Words{"c.mid", "songs"}));
  EXPECT_EQ(Complete("vlmc a.vlm --output = \"\""), (Words{"c.mid", "songs"}));  // --output=
  EXPECT_EQ(Complete("vorlumi3-cli --settings \"\""), (Words{"d.vr3", "songs"}));
  EXPECT_EQ(Complete("vorlumi3-cli --png \"\""), (Words{"f.png", "songs"}));
  EXPECT_EQ(Complete("vorlumi3-cli --out-dir \"\""), Words{"songs"});
  // In a batch --wav is a switch, not a file.
  EXPECT_EQ(Complete("vorlumi3-cli --count 3 --wav \"\""), Words{});
}

TEST_F(BashCompletion, ValuesAreThoseTheOptionTakes) {
  EXPECT_EQ(Complete("vorlumi3-cli --print rhythm,pa"), Words{"rhythm,pattern"});
  EXPECT_EQ(Complete("vorlumi3-cli --print seed,"), (Words{"seed,pattern", "seed,rhythm", "seed,source"}));
  EXPECT_EQ(Complete("vlmc --diagnostics = \"\""), Words{"gnu"});
  const auto ports = Complete("vlmc --midi-out \"\"");
  EXPECT_NE(std::find(ports.begin(), ports.end(), "virtual"), ports.end());
  EXPECT_EQ(Complete("vlmc --seed \"\""), Words{});
}

}  // namespace
