#include "compiler/source_cursor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using vlm::Leaving;
using vlm::SourceCursor;
using vlm::SourceOrigin;

// Every character's origin of the current line, and of its end.
std::vector<SourceOrigin> LineOrigins(const SourceCursor& Cursor) {
  std::vector<SourceOrigin> origins;
  for (std::int32_t pos = 1; pos <= static_cast<std::int32_t>(Cursor.Line().size()) + 1; ++pos)
    origins.push_back(Cursor.OriginAt(pos));
  return origins;
}

// Three lines rewritten by turns, each longer at every visit, are stored and
// loaded again thousands of times: their packed origins move to the end of
// the shared store and the space they leave is reclaimed many times over,
// and every visit finds each character where the last visit left it.
TEST(SourceCursor, LinesStoredAgainAndAgainKeepTheirOrigins) {
  SourceCursor cursor;
  cursor.MapOrigins(true);
  std::vector<std::string> source{"c d e", "f g a", "b >c", "r"};
  cursor.Begin(source);
  std::vector<std::vector<SourceOrigin>> left(3);
  std::vector<std::string> text{"c d e", "f g a", "b >c"};
  for (int visit = 0; visit < 1500; ++visit) {
    const std::int32_t line = visit % 3;
    cursor.MoveTo(line, 1, Leaving::Store);
    ASSERT_EQ(cursor.Line().str(), text[static_cast<std::size_t>(line)]) << visit;
    if (visit >= 3) {
      ASSERT_EQ(LineOrigins(cursor), left[static_cast<std::size_t>(line)]) << visit;
    }
    // A command at a column of its own inserts a note of its own text and
    // a byte it has not; the line's first origins must not change.
    cursor.Col = 1 + visit % 5;
    cursor.StartCommand();
    const std::size_t end = cursor.Line().size();
    cursor.Edit(end, 0, visit % 3 == 0 ? " c" : " #");
    text[static_cast<std::size_t>(line)] = cursor.Line().str();
    left[static_cast<std::size_t>(line)] = LineOrigins(cursor);
    EXPECT_EQ(left[static_cast<std::size_t>(line)][0], (SourceOrigin{0, line + 1, 1}));
  }
  cursor.MoveTo(3, 1, Leaving::Store);
  EXPECT_EQ(cursor.OriginAt(1), (SourceOrigin{0, 4, 1}));
  std::vector<std::string> back;
  cursor.End(back);
  EXPECT_EQ(back, (std::vector<std::string>{text[0], text[1], text[2], "r"}));
}

}  // namespace
