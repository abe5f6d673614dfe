#include "compiler/mapped_notes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

vlm::MappedNote NoteNumbered(std::int32_t K) {
  vlm::MappedNote note;
  note.Tick = K;
  note.Line = K / 7;
  note.Column = K % 7 + 1;
  note.File = static_cast<std::uint16_t>(K % 3);
  note.Track = static_cast<std::uint8_t>(K % 128);
  note.Note = static_cast<std::uint8_t>((K * 5) % 128);
  return note;
}

bool Same(const vlm::MappedNote& A, const vlm::MappedNote& B) {
  return A.Tick == B.Tick && A.At() == B.At() && A.Track == B.Track && A.Note == B.Note;
}

// Notes on both sides of several chunk boundaries read back by index, by
// iteration and from a copy as they went in; changed through the index,
// they stay changed; cleared, the list starts again.
TEST(MappedNoteList, ReadsBackAcrossItsChunksAsAVectorWould) {
  const std::size_t count = 3 * vlm::MappedNoteList::ChunkNotes + 5;
  vlm::MappedNoteList list;
  std::vector<vlm::MappedNote> plain;
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(list.begin() == list.end());
  for (std::size_t k = 0; k < count; ++k) {
    list.push_back(NoteNumbered(static_cast<std::int32_t>(k)));
    plain.push_back(NoteNumbered(static_cast<std::int32_t>(k)));
  }
  ASSERT_EQ(list.size(), count);
  for (std::size_t k = 0; k < count; ++k) ASSERT_TRUE(Same(list[k], plain[k])) << k;
  std::size_t k = 0;
  for (const vlm::MappedNote& note : list) ASSERT_TRUE(Same(note, plain[k++])) << k;
  EXPECT_EQ(k, count);
  list[vlm::MappedNoteList::ChunkNotes].Column = 99;
  const vlm::MappedNoteList copy = list;
  EXPECT_EQ(copy[vlm::MappedNoteList::ChunkNotes].Column, 99);
  EXPECT_TRUE(Same(copy[count - 1], plain[count - 1]));
  list.clear();
  EXPECT_EQ(list.size(), 0u);
  list.push_back(plain[3]);
  EXPECT_TRUE(Same(list[0], plain[3]));
  EXPECT_EQ(copy.size(), count);
}

}  // namespace
