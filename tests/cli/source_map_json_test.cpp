// The source map's JSON Lines, read back with the flat JSON reader: every
// note one object with the map's values, however many notes there are.

#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/source_map_json.h"
#include "common/json_flat.h"

namespace {

std::int64_t IntegerOf(const vlm::JsonObject& Object, const std::string& Key) {
  const auto found = Object.find(Key);
  return found != Object.end() && found->second.Integer() ? *found->second.Integer() : -999;
}

std::string StringOf(const vlm::JsonObject& Object, const std::string& Key) {
  const auto found = Object.find(Key);
  return found != Object.end() && found->second.String() ? *found->second.String() : "<none>";
}

// Enough notes for the text to be handed on in many pieces, with the
// extreme numbers, names that need escapes, and a file index the map does
// not know (written as the main source).
TEST(SourceMapJson, ManyNotesReadBackInPiecesOfWholeLines) {
  vlm::SourceMap map;
  map.Files = {"", "drums \"a\"\\b\t.vlm"};
  constexpr std::int32_t most = std::numeric_limits<std::int32_t>::max();
  for (std::int32_t i = 0; i < 20000; ++i) {
    vlm::MappedNote note;
    note.Track = static_cast<std::uint8_t>(i % 128);
    note.Tick = i == 7 ? most : i * 48;
    note.Note = static_cast<std::uint8_t>(i % 128);
    note.File = static_cast<std::uint16_t>(i % 3);
    note.Line = i % 3 == 2 ? 0 : i + 1;
    note.Column = i == 9 ? most : i % 77;
    map.Notes.push_back(note);
  }
  std::vector<std::string> pieces;
  vlm::WriteSourceMapJsonLines(map, "main \"song\".vlm", [&](std::string_view piece) { pieces.emplace_back(piece); });
  ASSERT_GT(pieces.size(), 3u);
  std::string all;
  for (const std::string& piece : pieces) {
    ASSERT_FALSE(piece.empty());
    EXPECT_EQ(piece.back(), '\n');
    all += piece;
  }
  EXPECT_LE(all.size(), vlm::SourceMapJsonLinesBound(map, "main \"song\".vlm"));
  std::istringstream lines(all);
  std::size_t n = 0;
  for (std::string line; std::getline(lines, line); ++n) {
    ASSERT_LT(n, map.Notes.size());
    const auto object = vlm::ParseJsonObject(line);
    ASSERT_TRUE(object.has_value()) << line;
    EXPECT_EQ(object->size(), 6u) << line;
    const vlm::MappedNote& note = map.Notes[n];
    EXPECT_EQ(IntegerOf(*object, "track"), note.Track) << line;
    EXPECT_EQ(IntegerOf(*object, "tick"), note.Tick) << line;
    EXPECT_EQ(IntegerOf(*object, "note"), note.Note) << line;
    EXPECT_EQ(IntegerOf(*object, "line"), note.Line) << line;
    EXPECT_EQ(IntegerOf(*object, "column"), note.Column) << line;
    EXPECT_EQ(StringOf(*object, "file"), note.File == 1 ? map.Files[1] : "main \"song\".vlm") << line;
  }
  EXPECT_EQ(n, map.Notes.size());
}

TEST(SourceMapJson, NoNotesNoText) {
  vlm::SourceMap map;
  map.Files = {""};
  int calls = 0;
  vlm::WriteSourceMapJsonLines(map, "x.vlm", [&](std::string_view) { ++calls; });
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(vlm::SourceMapJsonLinesBound(map, "x.vlm"), 0u);
}

}  // namespace
