#include "app/phrase_handover.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/text_file.h"
#include "tests/support/compile_harness.h"

namespace vlmtest {
namespace {

// Each phrase handed over keeps a file of its own: the same phrase is the
// same file, another phrase never replaces it, and the seed names it.
TEST(PhraseHandover, EachPhraseKeepsAFileOfItsOwn) {
  const std::string dir = ScratchDir();
  const std::string phrase = dir + "/vorlumi3.mid";
  const std::string folder = dir + "/data/dragged";  // made on first use
  ASSERT_EQ(vlm::WriteFileAtomically(phrase, "MThd first"), std::nullopt);
  const vlm::HandedPhrase first = vlm::HandOverPhrase(phrase, 1234u, folder);
  ASSERT_EQ(first.Failure, "");
  EXPECT_EQ(std::filesystem::path(first.Path).parent_path(), folder);
  EXPECT_EQ(std::filesystem::path(first.Path).filename().string().rfind("vorlumi3-1234-", 0), 0u) << first.Path;
  EXPECT_EQ(first.Bytes, "MThd first");
  EXPECT_EQ(vlm::ReadFileBytes(first.Path), "MThd first");
  EXPECT_EQ(vlm::HandOverPhrase(phrase, 1234u, folder).Path, first.Path);

  ASSERT_EQ(vlm::WriteFileAtomically(phrase, "MThd second"), std::nullopt);
  const vlm::HandedPhrase second = vlm::HandOverPhrase(phrase, 1234u, folder);
  ASSERT_EQ(second.Failure, "");
  EXPECT_NE(second.Path, first.Path);
  EXPECT_EQ(vlm::ReadFileBytes(first.Path), "MThd first");
  EXPECT_EQ(vlm::ReadFileBytes(second.Path), "MThd second");
  const vlm::HandedPhrase unseeded = vlm::HandOverPhrase(phrase, std::nullopt, folder);
  EXPECT_EQ(std::filesystem::path(unseeded.Path).filename().string().rfind("vorlumi3-", 0), 0u);
  EXPECT_NE(unseeded.Path, second.Path);

  std::filesystem::remove(phrase);
  const vlm::HandedPhrase none = vlm::HandOverPhrase(phrase, 1u, folder);
  EXPECT_NE(none.Failure.find(phrase), std::string::npos) << none.Failure;
  EXPECT_EQ(none.Path, "");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vlmtest
