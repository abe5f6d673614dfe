#include "common/app_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/compile_harness.h"

namespace {

// The read-only files lie beside the program in a build tree and in
// PREFIX/share/vorlumi3 for a program installed in PREFIX/bin.
TEST(DataPath, BesideTheProgramElseTheSharedFolderOfItsPrefix) {
  const std::string dir = vlmtest::ScratchDir();
  std::filesystem::create_directories(dir + "/usr/bin");
  vlm::SetAppPathForTesting(dir + "/usr/bin");
  EXPECT_EQ(vlm::DataPath(), dir + "/usr/bin/");  // nothing anywhere: the program's folder
  std::filesystem::create_directories(dir + "/usr/share/vorlumi3");
  EXPECT_EQ(vlm::DataPath(), dir + "/usr/share/vorlumi3/");
  std::ofstream(dir + "/usr/bin/Scale.dat") << "Major\nA0A0AA0A0A0A\n";
  EXPECT_EQ(vlm::DataPath(), dir + "/usr/bin/");
  vlm::SetAppPathForTesting("");
  std::filesystem::remove_all(dir);
}

}  // namespace
