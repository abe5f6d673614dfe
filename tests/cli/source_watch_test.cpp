#include "cli/source_watch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/text_file.h"
#include "tests/support/compile_harness.h"

namespace {

// vlmc watches its files anew after each compile. A save made during the
// compile, before that, must still be seen; a file no longer watched is not.
TEST(SourceWatch, ASaveBeforeTheFilesAreWatchedAgainStillCounts) {
  const std::string dir = vlmtest::ScratchDir();
  const std::string song = dir + "/song.vlm", include = dir + "/inc.vlm";
  ASSERT_EQ(vlm::WriteFileAtomically(song, "c\n"), std::nullopt);
  ASSERT_EQ(vlm::WriteFileAtomically(include, "d\n"), std::nullopt);
  vlmcli::SourceWatch watch;
  ASSERT_FALSE(watch.Failure().has_value());
  ASSERT_EQ(watch.Watch({song, include}), std::nullopt);
  EXPECT_FALSE(watch.Changed(50));
  {
    std::ofstream inPlace(include, std::ios::trunc);
    inPlace << "e\n";
  }
  ASSERT_EQ(watch.Watch({song, include}), std::nullopt);
  EXPECT_TRUE(watch.Changed(1000));

  ASSERT_EQ(watch.Watch({song}), std::nullopt);
  ASSERT_EQ(vlm::WriteFileAtomically(include, "f\n"), std::nullopt);
  EXPECT_FALSE(watch.Changed(200)) << "a file no longer included still counted";
  ASSERT_EQ(vlm::WriteFileAtomically(song, "g\n"), std::nullopt);
  EXPECT_TRUE(watch.Changed(1000));
  std::filesystem::remove_all(dir);
}

}  // namespace
