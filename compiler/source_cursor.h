#pragma once
// Where the compiler stands in its source: the lines, the line being
// compiled (Line), its index (LineNo) and the column (Col). Every move to
// another line goes through MoveTo, and every change of Line through Edit, so
// that what is stored back into the lines stays consistent with the edits.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/line_buffer.h"
#include "compiler/origin_buffer.h"
#include "compiler/source_origin.h"

namespace vlm {

// What a move does with the line it leaves. A line compiled to its end, or
// left by a loop jump or a multi-line macro value, is stored as rewritten;
// a line left by a brace comment or a section replay keeps its stored text
// (the text it had when it was loaded, or at its last jump within itself).
enum class Leaving { Store, Keep };

class SourceCursor {
 public:
  // 1-based position in Line of the next character to compile. Handlers move
  // it freely: any value is safe, since reads past either end find nothing.
  std::int32_t Col = 1;

  // The line being compiled, as rewritten so far.
  const LineBuffer& Line() const { return Text; }
  // 0-based index of that line; LineCount() once the source is done.
  std::int32_t LineNo() const { return Index; }
  std::int32_t LineCount() const { return static_cast<std::int32_t>(Store.size() - GapSize); }
  bool AtEnd() const { return Index >= LineCount(); }
  // Line N as stored, for any N but the current line (whose store may be owed).
  const std::string& StoredLine(std::int32_t N) const { return Store[Slot(N)]; }

  // Takes over Source (it is empty until End gives it back) and loads line 0.
  void Begin(std::vector<std::string>& Source);
  // Gives the lines back to Source, the current line kept as stored.
  void End(std::vector<std::string>& Source);

  // Replaces Count bytes of Line from the 0-based offset At by Replacement.
  void Edit(std::size_t At, std::size_t Count, std::string_view Replacement);
  // Continues at column NewCol of line Target. A jump within the line keeps
  // the line as rewritten (what is stored is Line itself from now on); a move
  // to another line stores or keeps the line it leaves as How says. Target
  // LineCount() (past the last line) ends the source: Line is then empty.
  void MoveTo(std::int32_t Target, std::int32_t NewCol, Leaving How);
  // Inserts lines directly after the current one; they are compiled next.
  // With a map, their origins are the lines of File (by the name its
  // directive gave), from 1.
  void InsertAfter(std::vector<std::string>&& New, std::string_view File = {});
  // Appends a line after the last one and returns its index.
  std::int32_t Append(std::string Text);

  // ---- the source map (origins of the line's characters) ----
  // Turns the map on or off for the next Begin; off, none of it costs more
  // than a test of this flag.
  void MapOrigins(bool On) { Mapping = On; }
  bool MapsOrigins() const { return Mapping; }
  // The origin of the character at 1-based Pos of Line (clamped to the line;
  // past its end, the end of the line). Unknown (Line 0) without a map.
  SourceOrigin OriginAt(std::int32_t Pos) const {
    if (!Mapping) return {};
    return Here.At(Pos < 1 ? 0 : static_cast<std::size_t>(Pos) - 1);
  }
  // The files origins refer to: "" (the main source), then each included
  // file by the name its directive gave.
  const std::vector<std::string>& OriginFiles() const { return Files; }
  // The dispatcher marks where each command starts: text a command inserts
  // without replacing any is matched against the command's own text.
  void StartCommand() { CommandCol = Col; }

 private:
  // An edit made since the store became owed, to be undone if the line is
  // left without being stored.
  struct EditRecord {
    std::int32_t At;        // 0-based offset of the edit in Line
    std::int32_t Inserted;  // length of the text put there
    std::string Removed;    // the text it replaced
    OriginRuns RemovedOrigins;  // their origins, with a map
  };
  // The origins kept for a stored line: a line never rewritten has none and
  // takes them from its text when it is loaded.
  struct StoredOrigins {
    std::int32_t File = 0;      // origin file of the line as written
    std::int32_t Line = 0;      // its line in that file, from 1
    bool Rewritten = false;     // the packed runs and End hold the origins of the stored text
    std::size_t PackedAt = 0;   // once rewritten, where its packed runs (OriginBuffer::Pack) start in Packed
    std::size_t PackedBytes = 0;  // and their length
    SourceOrigin End;           // and the origin of its end
  };

  std::size_t Slot(std::int32_t N) const {
    const auto n = static_cast<std::size_t>(N);
    return n < GapAt ? n : n + GapSize;
  }
  void Load(std::int32_t Target);
  void StoreNow();
  void StoreLater();
  void Settle();
  void MoveGap(std::size_t To);
  void EditOrigins(std::size_t At, std::size_t Count, std::string_view Replacement);
  void AppendText(std::size_t At, std::size_t Count, std::string& Out) const;
  void LoadOrigins();
  void StoreOrigins();
  // Stores From's runs, packed, as Stored's origins.
  void KeepPacked(StoredOrigins& Stored, const OriginBuffer& From);

  LineBuffer Text;             // Line
  std::int32_t Index = 0;      // LineNo
  // The lines, with a gap of unused entries where lines were last inserted:
  // includes insert after the line being compiled, which moves forward, so a
  // gap there makes each insertion cost its own lines, not the rest of the
  // source (which made many includes quadratic).
  std::vector<std::string> Store;
  std::size_t GapAt = 0;       // index in Store of the gap's first entry
  std::size_t GapSize = 0;     // entries of Store that hold no line
  // True while the stored entry of the current line holds Line as it stands,
  // so that storing it (at a jump, at the end of the line) can be skipped: on
  // a long line that copy would make every loop pass cost the whole line.
  bool Stored = false;
  // A jump back within an edited long line does not copy it either: the copy
  // is owed and, until a move that keeps the line needs it, is Line with
  // Pending undone.
  bool Owed = false;
  std::vector<EditRecord> Pending;

  bool Mapping = false;                 // a source map is being made
  OriginBuffer Here;                    // origins of Line's bytes, and of its end
  std::vector<StoredOrigins> Origins;   // beside Store, gap and all
  // The packed runs of every rewritten line, back to back: one string per
  // line cost a million-note song some 30,000 allocations and their frees.
  // A line packed longer than before moves to the end; the space it leaves
  // is reclaimed when it outgrows what the lines use.
  std::string Packed;
  std::size_t PackedLive = 0;           // bytes of Packed that lines refer to
  std::string Packing;                  // a line's runs being packed, kept for its memory
  std::vector<std::string> Files;       // OriginFiles
  std::int32_t CommandCol = 1;          // column where the current command started
  OriginRuns Scratch;                   // origins being copied, kept for their memory
  OriginRuns Inherited;                 // origins of an edit's new text, likewise
  std::string Region;                   // the text an edit replaces or follows, likewise
  // A deletion directly followed by an insertion at the same place is one
  // replacement: the inserted text is matched against what was deleted.
  struct Erasure {
    bool Open = false;                  // the last edit was a deletion
    std::size_t At = 0;                 // its 0-based offset
    std::string Bytes;                  // the deleted text (joined deletions at At)
    OriginRuns From;                    // its origins
  } Erased;
};

}  // namespace vlm
