#include "common/same_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/text_file.h"
#include "tests/support/compile_harness.h"

namespace {

namespace fs = std::filesystem;

TEST(SameFileConflict, FindsOneFileUnderAnyOfItsNames) {
  const std::string dir = vlmtest::ScratchDir();
  ASSERT_FALSE(vlm::WriteFileAtomically(dir + "/s.vlm", "c").has_value());
  fs::create_hard_link(dir + "/s.vlm", dir + "/hard.vlm");
  fs::create_symlink("s.vlm", dir + "/soft.vlm");
  fs::create_directory(dir + "/sub");
  for (const std::string other : {"/s.vlm", "/hard.vlm", "/soft.vlm", "/sub/../s.vlm", "/./s.vlm"}) {
    const auto conflict = vlm::SameFileConflict({{"SOURCE", dir + "/s.vlm"}, {"-o", dir + other}});
    ASSERT_TRUE(conflict.has_value()) << other;
    EXPECT_EQ(*conflict, "-o " + dir + other + " is the same file as SOURCE " + dir + "/s.vlm");
  }
  // Two outputs not made yet, under different spellings of one name, and
  // through a link to a free name.
  fs::create_symlink("new.mid", dir + "/later.mid");
  EXPECT_TRUE(vlm::SameFileConflict({{"-o", dir + "/new.mid"}, {"--wav", dir + "/sub/../new.mid"}}).has_value());
  EXPECT_TRUE(vlm::SameFileConflict({{"-o", dir + "/later.mid"}, {"--wav", dir + "/new.mid"}}).has_value());
  // Different files, unused roles, pipes shared by two outputs: no conflict.
  EXPECT_FALSE(vlm::SameFileConflict({{"SOURCE", dir + "/s.vlm"}, {"-o", dir + "/s.mid"}, {"--wav", ""},
                                      {"--dump-source", dir + "/sub/s.vlm"}})
                   .has_value());
  ASSERT_EQ(::mkfifo((dir + "/pipe").c_str(), 0600), 0);
  EXPECT_FALSE(vlm::SameFileConflict({{"-o", dir + "/pipe"}, {"--dump-source", dir + "/pipe"}}).has_value());
  fs::remove_all(dir);
}

}  // namespace
