#include <gtest/gtest.h>

#include "cli/gnu_diagnostics.h"

namespace {

// A detail may hold quotes and '":' itself; the error text never does.
TEST(GnuDiagnostics, DetailsWithQuotesAreKeptWhole) {
  const auto parts = vlm::SplitErrorLine("err(3)\"a\":b\"\":引数が不正です\"> _tr<1> ptr=96<1>小節目");
  ASSERT_TRUE(parts.has_value());
  EXPECT_EQ(parts->Detail, "a\":b\"");
  EXPECT_EQ(parts->Text, "引数が不正です");
  EXPECT_FALSE(vlm::SplitErrorLine("Compile Start").has_value());
  EXPECT_FALSE(vlm::SplitErrorLine("err(3) broken").has_value());
}

TEST(GnuDiagnostics, UnknownPlacesNameTheFileAlone) {
  vlm::SourceMap map;
  map.Files = {"", "lib/inc.vlm"};
  const std::string line = "err(0)\"\":音長が不正です\"> _tr<0> ptr=0<0>小節目";
  EXPECT_EQ(vlm::GnuDiagnostic(line, {1, 2, 5}, map, "song.vlm"), "lib/inc.vlm:2:5: error: 音長が不正です");
  EXPECT_EQ(vlm::GnuDiagnostic(line, {0, 0, 0}, map, "song.vlm"), "song.vlm: error: 音長が不正です");
  EXPECT_EQ(vlm::GnuDiagnostic("エラー数が", {0, 1, 1}, map, "song.vlm"), "エラー数が");
}

}  // namespace
