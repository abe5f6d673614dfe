// A session that can no longer be saved is not lost silently: the user is
// told.
#include "ui/session_keeper.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/app/form_fixture.h"

namespace vlmtest {
namespace {

TEST_F(FormTest, ASessionThatCannotBeSavedIsShownToTheUser) {
  auto& f = Start();
  const std::string file = Path("session.vr3");
  {
    vlm::ui::SessionKeeper keeper(f, file);
    keeper.Start();
    EXPECT_TRUE(warnings.warnings.empty());
    f.memPatten = "o5 c d e";
    // A folder where the file should go: no writer can replace it.
    std::filesystem::create_directories(file + "/in-the-way");
  }
  ASSERT_EQ(warnings.warnings.size(), 1u);
  EXPECT_NE(warnings.warnings[0].find(file), std::string::npos) << warnings.warnings[0];

  std::filesystem::remove_all(file);
  {
    vlm::ui::SessionKeeper keeper(f, file);
    keeper.Start();
    f.memPatten = "o5 e d c";
  }
  EXPECT_EQ(warnings.warnings.size(), 1u) << "a save that works tells nothing";
  EXPECT_TRUE(std::filesystem::is_regular_file(file));
}

}  // namespace
}  // namespace vlmtest
