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
  Files.clear();
  Origins.clear();
  Packed.clear();
  PackedLive = 0;
  if (Mapping) {
    Files.emplace_back();
    Origins.resize(Store.size());
    for (std::size_t i = 0; i < Origins.size(); ++i) Origins[i].Line = static_cast<std::int32_t>(i) + 1;
  }
  CommandCol = 1;
  Erased.Open = false;
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
  // The origins' memory goes back: a compiler kept for the next compile
  // should not hold a long line's runs in between.
  std::vector<StoredOrigins>().swap(Origins);
  std::string().swap(Packed);
  PackedLive = 0;
  Here = OriginBuffer{};
  Scratch = OriginRuns{};
  Inherited = OriginRuns{};
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
  if (Mapping) LoadOrigins();
}

void SourceCursor::LoadOrigins() {
  Erased.Open = false;
  if (AtEnd()) {
    Here.Assign({}, {});
    return;
  }
  const StoredOrigins& stored = Origins[Slot(Index)];
  if (stored.Rewritten) {
    Scratch.Unpack(std::string_view(Packed).substr(stored.PackedAt, stored.PackedBytes));
    Here.Assign(Scratch, stored.End);
  } else {
    SourceOrigin end;
    WrittenOrigins(stored.File, stored.Line, Store[Slot(Index)], Scratch, end);
    Here.Assign(Scratch, end);
  }
}

void SourceCursor::StoreOrigins() { KeepPacked(Origins[Slot(Index)], Here); }

// A line packed no longer than before stays where it was. The space lines
// leave is reclaimed once it outgrows both what the lines use and a few
// bytes per line, so that reclaiming (a pass over the lines, copying their
// packed runs) costs no more than the appends that left the space.
void SourceCursor::KeepPacked(StoredOrigins& Stored, const OriginBuffer& From) {
  From.Pack(Packing);
  const std::size_t before = Stored.Rewritten ? Stored.PackedBytes : 0;
  PackedLive -= before;
  if (Stored.Rewritten && Packing.size() <= before) {
    Packed.replace(Stored.PackedAt, Packing.size(), Packing);
  } else {
    constexpr std::size_t ReclaimFrom = 1 << 16;
    constexpr std::size_t BytesPerLine = 16;
    if (Packed.size() - PackedLive > std::max({PackedLive, BytesPerLine * Origins.size(), ReclaimFrom})) {
      std::string kept;
      kept.reserve(PackedLive + Packing.size());
      for (std::size_t slot = 0; slot < Origins.size(); ++slot) {
        StoredOrigins& line = Origins[slot];
        if ((slot >= GapAt && slot < GapAt + GapSize) || !line.Rewritten || &line == &Stored) continue;
        kept.append(Packed, line.PackedAt, line.PackedBytes);
        line.PackedAt = kept.size() - line.PackedBytes;
      }
      Packed.swap(kept);
    }
    Stored.PackedAt = Packed.size();
    Packed += Packing;
  }
  PackedLive += Packing.size();
  Stored.PackedBytes = Packing.size();
  Stored.Rewritten = true;
  Stored.End = From.EndOrigin();
}

// Appends Count bytes of Line from the 0-based offset At (clamped to the
// line), as substr would give them, without a string of their own.
void SourceCursor::AppendText(std::size_t At, std::size_t Count, std::string& Out) const {
  At = std::min(At, Text.size());
  Count = std::min(Count, Text.size() - At);
  Text.View().AppendTo(Out, static_cast<std::int32_t>(At) + 1, static_cast<std::int32_t>(At + Count) + 1);
}

// A deletion is remembered (joined with a deletion just before at the same
// place), so that an insertion there next can inherit from it.
void SourceCursor::EditOrigins(std::size_t At, std::size_t Count, std::string_view Replacement) {
  if (Replacement.empty()) {
    if (Count == 0) return;
    if (Erased.Open && Erased.At == At) {
      AppendText(At, Count, Erased.Bytes);
      Here.CopyTo(At, At + Count, Scratch);
      Erased.From.Append(Scratch);
    } else {
      Erased.Open = true;
      Erased.At = At;
      Erased.Bytes.clear();
      AppendText(At, Count, Erased.Bytes);
      Here.CopyTo(At, At + Count, Erased.From);
    }
    Here.Replace(At, Count, {});
    return;
  }
  if (Count > 0) {
    Here.CopyTo(At, At + Count, Scratch);
    Region.clear();
    AppendText(At, Count, Region);
    InheritOrigins(Region, Scratch, Here.At(At), Replacement, Inherited);
  } else if (Erased.Open && Erased.At == At && !Erased.From.empty()) {
    InheritOrigins(Erased.Bytes, Erased.From, Erased.From.At(0), Replacement, Inherited);
  } else {
    // A plain insertion comes from the command that makes it, which stands
    // before it: the command's text from its start up to the insertion.
    const std::size_t from = std::min(static_cast<std::size_t>(std::max(CommandCol, 1) - 1), At);
    const SourceOrigin fallback = Here.At(from);
    Here.CopyTo(from, At, Scratch);
    Region.clear();
    AppendText(from, At - from, Region);
    InheritOrigins(Region, Scratch, fallback, Replacement, Inherited);
  }
  Erased.Open = false;
  Here.Replace(At, Count, Inherited);
}

void SourceCursor::Edit(std::size_t At, std::size_t Count, std::string_view Replacement) {
  if (Owed) {
    Pending.push_back({static_cast<std::int32_t>(At), static_cast<std::int32_t>(Replacement.size()),
                       Text.substr(At, Count), {}});
    if (Mapping) Here.CopyTo(At, At + Count, Pending.back().RemovedOrigins);
  }
  if (Mapping) EditOrigins(At, Count, Replacement);
  Text.replace(At, Count, Replacement);
  Stored = false;
}

void SourceCursor::MoveTo(std::int32_t Target, std::int32_t NewCol, Leaving How) {
  Erased.Open = false;
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
      if (Mapping) StoreOrigins();
      Owed = false;
    } else {
      Owed = true;
    }
    Pending.clear();
  }
}

void SourceCursor::StoreNow() {
  if (!Stored || Owed) {
    Text.CopyTo(Store[Slot(Index)]);
    if (Mapping) StoreOrigins();
  }
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
  if (Mapping) {
    Here.CopyTo(0, Here.size(), Scratch);
    OriginBuffer origins;
    origins.Assign(Scratch, Here.EndOrigin());
    for (auto edit = Pending.rbegin(); edit != Pending.rend(); ++edit)
      origins.Replace(static_cast<std::size_t>(edit->At), static_cast<std::size_t>(edit->Inserted),
                      edit->RemovedOrigins);
    KeepPacked(Origins[Slot(Index)], origins);
  }
  Owed = false;
  Pending.clear();
}

// Carries the lines between the gap's old and new place across it.
void SourceCursor::MoveGap(std::size_t To) {
  if (GapSize == 0) {
    GapAt = To;
    return;
  }
  for (std::size_t at = GapAt; Mapping && at > To; --at) Origins[at - 1 + GapSize] = std::move(Origins[at - 1]);
  for (std::size_t at = GapAt; Mapping && at < To; ++at) Origins[at] = std::move(Origins[at + GapSize]);
  for (; GapAt > To; --GapAt) Store[GapAt - 1 + GapSize] = std::move(Store[GapAt - 1]);
  for (; GapAt < To; ++GapAt) Store[GapAt] = std::move(Store[GapAt + GapSize]);
}

void SourceCursor::InsertAfter(std::vector<std::string>&& New, std::string_view File) {
  if (New.empty()) return;
  MoveGap(static_cast<std::size_t>(Index) + 1);
  if (GapSize < New.size()) {
    // Grown in proportion to the source, so that many insertions cost
    // linear time in all.
    const std::size_t grow = std::max(New.size(), Store.size()) - GapSize;
    Store.insert(Store.begin() + static_cast<std::ptrdiff_t>(GapAt), grow, std::string());
    if (Mapping) Origins.insert(Origins.begin() + static_cast<std::ptrdiff_t>(GapAt), grow, StoredOrigins{});
    GapSize += grow;
  }
  if (Mapping) {
    const auto found = std::find(Files.begin(), Files.end(), File);
    const auto file = static_cast<std::int32_t>(found - Files.begin());
    if (found == Files.end()) Files.emplace_back(File);
    for (std::size_t i = 0; i < New.size(); ++i)
      Origins[GapAt + i] = StoredOrigins{file, static_cast<std::int32_t>(i) + 1, false, 0, 0, {}};
  }
  for (std::string& line : New) Store[GapAt++] = std::move(line);
  GapSize -= New.size();
}

std::int32_t SourceCursor::Append(std::string Line) {
  Store.push_back(std::move(Line));
  if (Mapping) Origins.emplace_back();
  return LineCount() - 1;
}

}  // namespace vlm
