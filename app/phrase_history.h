#pragma once
// The history of phrases made or played: one entry per phrase with the seeds,
// rhythm, pattern and settings that made it, a cursor for going back and
// forward, and a mark for phrases to keep. The entries live in a JSON Lines
// file, one object per line; a new phrase is appended as one whole line, and
// the file is rewritten (whole or not at all) only when it has grown well
// past its bound or a mark changes. Several programs may share the file: a
// lock file beside it orders appends and rewrites, and a rewrite starts from
// what the file holds then, so that no program drops another's phrases.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vlm {

struct PhraseEntry {
  std::optional<std::uint32_t> Seed;  // seed of the rhythm and pattern draws; none when nothing was drawn
  std::uint32_t CompileSeed = 0;      // seed of the compile (humanising)
  std::string Kind;                   // "draw" (F5), "redraw" (F3), "compile" (Ctrl+P), "song"
  std::string Rhythm;                 // memRythm at the time
  std::string Pattern;                // memPatten, or the joined song text for a song
  std::string Settings;               // every settings key, as a settings file holds them
  std::string Time;                   // UTC, "2026-12-07T19:40:00Z"
  bool Kept = false;                  // kept entries never age out
  std::string Label;                  // the user's name for it ("chorus idea"); empty: none
};

// One line of the store (without its line break), and the reverse; nothing
// when the line is not a well-formed entry.
std::string PhraseEntryJson(const PhraseEntry& entry);
std::optional<PhraseEntry> PhraseEntryFromJson(const std::string& line);

// The current time as PhraseEntry::Time writes it.
std::string UtcTimeText();

class PhraseHistory {
 public:
  static constexpr std::size_t MaxUnkept = 1000;   // unkept entries remembered; older ones age out
  static constexpr std::size_t CompactSlack = 100;  // stale lines the file may hold before a rewrite

  // fileName empty: the history lives in memory only.
  explicit PhraseHistory(std::string fileName = {});

  const std::string& FileName() const { return file_; }
  // Reads the store, replacing what is in memory. A missing file is an empty
  // history; a damaged line is skipped. Returns one warning per damaged line
  // (and one when the file cannot be read).
  std::vector<std::string> Load();

  // Appends an entry and makes it the current one. The reason (naming the
  // file) when the store could not be written; the entry stays in memory.
  std::optional<std::string> Add(PhraseEntry entry);
  // Marks entry `index` kept or not and rewrites the store.
  std::optional<std::string> SetKept(std::size_t index, bool kept);
  // Names entry `index` (empty: no name) and rewrites the store.
  std::optional<std::string> SetLabel(std::size_t index, const std::string& label);

  const std::vector<PhraseEntry>& Entries() const { return entries_; }
  // Index of the entry last added or gone to; nothing when the history is empty.
  std::optional<std::size_t> Current() const;
  bool CanGoBack() const { return !entries_.empty() && current_ > 0; }
  bool CanGoForward() const { return current_ + 1 < entries_.size(); }
  // Moves the cursor and returns the entry there; nullptr at either end.
  const PhraseEntry* GoBack();
  const PhraseEntry* GoForward();
  // Makes entry `index` the current one; nullptr when there is none.
  const PhraseEntry* GoTo(std::size_t index);
  // Indexes of the kept entries, oldest first.
  std::vector<std::size_t> KeptIndexes() const;

 private:
  void AgeOut();
  // Rewrites the store from the entries it holds now, with Changed's mark
  // and label applied (nullptr: none) and the entries whose append failed added, and
  // takes that as the history in memory.
  std::optional<std::string> Rewrite(const PhraseEntry* Changed);

  std::string file_;
  std::vector<PhraseEntry> entries_;  // oldest first
  std::vector<bool> unwritten_;       // beside entries_: the entry's append failed
  std::size_t current_ = 0;           // index into entries_; 0 when empty
  std::size_t linesInFile_ = 0;       // lines the store holds, damaged and aged-out ones included
  bool needsLineBreak_ = false;       // the store ends inside a line (a write cut short)
};

}  // namespace vlm
