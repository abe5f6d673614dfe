#include "compiler/source_cursor.h"

#include <algorithm>
#include <utility>

namespace vlm {

void SourceCursor::Begin(std::vector<std::string>& Source) {
  Store.swap(Source);
  Source.clear();
  GapAt = 0;
  GapSize = 0;
  Owed = false;
  Pending.clear();
  Load(0);
  Col = 1;
}

void SourceCursor::End(std::vector<std::string>& Source) {
  if (!AtEnd()) Settle();
  MoveGap(Store.size() - GapSize);
  Store.resize(Store.size() - GapSize);
  GapSize = 0;
  GapAt = 0;
  Source.swap(Store);
  Store.clear();
  Stored = false;
  Owed = false;
  Pending.clear();
}

void SourceCursor::Load(std::int32_t Target) {
  Index = Target;
  if (AtEnd())
    Text = std::string_view();
  else
    Text = Store[Slot(Target)];
  Stored = true;
}

void SourceCursor::Edit(std::size_t At, std::size_t Count, std::string_view Replacement) {
  if (Owed)
    Pending.push_back({static_cast<std::int32_t>(At), static_cast<std::int32_t>(Replacement.size()),
                       Text.substr(At, Count)});
  Text.replace(At, Count, Replacement);
  Stored = false;
}

void SourceCursor::MoveTo(std::int32_t Target, std::int32_t NewCol, Leaving How) {
  if (Target == Index && !AtEnd()) {
    StoreLater();
  } else {
    if (!AtEnd()) {
      if (How == Leaving::Store)
        StoreNow();
      else
        Settle();
    }
    Load(Target);
  }
  Stored = true;
  Col = NewCol;
}

// A short line is cheaper to copy than to keep a record of its edits.
void SourceCursor::StoreLater() {
  constexpr std::size_t OweFromLength = 4096;
  if (!Stored) {
    if (Text.size() < OweFromLength) {
      Text.CopyTo(Store[Slot(Index)]);
      Owed = false;
    } else {
      Owed = true;
    }
    Pending.clear();
  }
}

void SourceCursor::StoreNow() {
  if (!Stored || Owed) Text.CopyTo(Store[Slot(Index)]);
  Owed = false;
  Pending.clear();
}

// The owed copy is Line with the edits since the last jump undone, newest
// first; it costs the line once, on the rare moves that need it.
void SourceCursor::Settle() {
  if (!Owed) return;
  std::string stored = Text.str();
  for (auto edit = Pending.rbegin(); edit != Pending.rend(); ++edit)
    stored.replace(static_cast<std::size_t>(edit->At), static_cast<std::size_t>(edit->Inserted), edit->Removed);
  Store[Slot(Index)] = std::move(stored);
  Owed = false;
  Pending.clear();
}

// Carries the lines between the gap's old and new place across it.
void SourceCursor::MoveGap(std::size_t To) {
  if (GapSize == 0) {
    GapAt = To;
    return;
  }
  for (; GapAt > To; --GapAt) Store[GapAt - 1 + GapSize] = std::move(Store[GapAt - 1]);
  for (; GapAt < To; ++GapAt) Store[GapAt] = std::move(Store[GapAt + GapSize]);
}

void SourceCursor::InsertAfter(std::vector<std::string>&& New) {
  if (New.empty()) return;
  MoveGap(static_cast<std::size_t>(Index) + 1);
  if (GapSize < New.size()) {
    // Grown in proportion to the source, so that many insertions cost
    // linear time in all.
    const std::size_t grow = std::max(New.size(), Store.size()) - GapSize;
    Store.insert(Store.begin() + static_cast<std::ptrdiff_t>(GapAt), grow, std::string());
    GapSize += grow;
  }
  for (std::string& line : New) Store[GapAt++] = std::move(line);
  GapSize -= New.size();
}

std::int32_t SourceCursor::Append(std::string Line) {
  Store.push_back(std::move(Line));
  return LineCount() - 1;
}

}  // namespace vlm
