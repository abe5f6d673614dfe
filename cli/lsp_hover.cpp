#include "cli/lsp_hover.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string_view>
#include <utility>

#include "common/json_string.h"
#include "roll/roll_model.h"

namespace vlmcli {

namespace {

// A macro that makes many different notes lists this many, then a count.
constexpr std::size_t kMaxNoteGroups = 6;
// How far back from the cursor a note's letter is looked for: over its
// accidentals, length, dots and velocity ("c+4.", "n60,8").
constexpr std::size_t kMaxNoteTail = 32;

struct NoteGroup {
  int Note = 0;
  int Track = 0;
  std::int64_t Count = 0;
  std::int32_t FirstTick = 0;
};

// The notes whose origin is that column of that line of the document
// (file 0), one group for each note number and track.
std::vector<NoteGroup> NotesAt(const vlm::SourceMap& map, int line, int column) {
  std::map<std::pair<int, int>, NoteGroup> groups;
  for (const vlm::MappedNote& note : map.Notes) {
    if (note.File != 0 || note.Line != line || note.Column != column) continue;
    NoteGroup& group = groups[{note.Note, note.Track}];
    if (group.Count == 0 || note.Tick < group.FirstTick) group.FirstTick = note.Tick;
    group.Note = note.Note;
    group.Track = note.Track;
    ++group.Count;
  }
  std::vector<NoteGroup> sorted;
  for (const auto& [unused, group] : groups) sorted.push_back(group);
  std::sort(sorted.begin(), sorted.end(), [](const NoteGroup& a, const NoteGroup& b) {
    return std::pair{a.FirstTick, a.Note} < std::pair{b.FirstTick, b.Note};
  });
  return sorted;
}

// "note 64 (E5) · track 1 · sounds 8 times, first at tick 1920". Pitches are
// named as the piano roll names them: octaves as the o command counts, so
// that o5c, note 60, is C5.
std::string Describe(const NoteGroup& group) {
  std::string text = "note " + std::to_string(group.Note) + " (" + vlm::roll::PitchClassName(group.Note) +
                     std::to_string(vlm::roll::OctaveOf(group.Note)) + ") · track " + std::to_string(group.Track) +
                     " · sounds ";
  if (group.Count == 1) return text + "once, at tick " + std::to_string(group.FirstTick);
  return text + std::to_string(group.Count) + " times, first at tick " + std::to_string(group.FirstTick);
}

std::string NotesText(const std::vector<NoteGroup>& groups) {
  if (groups.size() == 1) return Describe(groups.front());
  std::int64_t total = 0;
  for (const NoteGroup& group : groups) total += group.Count;
  std::string text = std::to_string(total) + " notes:\n";
  for (std::size_t i = 0; i < groups.size() && i < kMaxNoteGroups; ++i) text += "- " + Describe(groups[i]) + "\n";
  if (groups.size() > kMaxNoteGroups) text += "- and " + std::to_string(groups.size() - kMaxNoteGroups) + " more\n";
  return text;
}

std::string Hover(const std::string& markdown, const std::vector<std::string>& lines, const TextSpan& span) {
  std::string out = "{\"contents\":{\"kind\":\"markdown\",\"value\":";
  vlm::AppendJsonString(out, markdown);
  return out + "},\"range\":" + RangeJson(lines, span) + "}";
}

bool IsNoteLetter(char c) { return (c >= 'a' && c <= 'g') || c == 'n'; }

// The byte of the note letter whose command holds byte: the letter itself,
// or one before it over what may follow a note; nothing elsewhere.
std::optional<std::size_t> NoteLetterAt(std::string_view line, std::size_t byte) {
  for (std::size_t at = byte, steps = 0; steps <= kMaxNoteTail; --at, ++steps) {
    if (IsNoteLetter(line[at])) return at;
    if (std::string_view("0123456789.+-%,").find(line[at]) == std::string_view::npos || at == 0) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

std::string HoverJson(const std::vector<std::string>& lines, const DocumentOutline& outline,
                      const vlm::SourceMap* map, const std::vector<MacroSite>& sites, int line, std::size_t byte) {
  if (line < 0 || static_cast<std::size_t>(line) >= lines.size()) return "null";
  const std::string& text = lines[static_cast<std::size_t>(line)];
  if (byte >= text.size()) return "null";

  // A macro word (a use or the name of a definition): the notes it made there,
  // or else what it stands for.
  const WordUse* word = nullptr;
  for (const WordUse& use : outline.Words)
    if (use.Span.Holds(line, byte)) word = &use;
  const MacroDefinition* defined = nullptr;
  for (const MacroDefinition& macro : outline.Macros)
    if (macro.NameSpan.Holds(line, byte)) defined = &macro;
  if (word || defined) {
    const TextSpan& span = word ? word->Span : defined->NameSpan;
    const std::vector<NoteGroup> groups =
        map ? NotesAt(*map, line + 1, ColumnOfByte(text, span.Begin)) : std::vector<NoteGroup>{};
    if (!groups.empty()) return Hover(NotesText(groups), lines, span);
    // Just after a definition's name, the compile has met that definition.
    const MacroSite* site =
        DefinitionFor(sites, word ? word->Name : defined->Name, line, defined ? defined->NameSpan.Begin + 1 : byte);
    return site ? Hover("```vlm\n" + site->Text + "\n```", lines, span) : "null";
  }

  const std::optional<std::size_t> letter = map ? NoteLetterAt(text, byte) : std::nullopt;
  if (!letter) return "null";
  const std::vector<NoteGroup> groups = NotesAt(*map, line + 1, ColumnOfByte(text, *letter));
  if (groups.empty()) return "null";
  return Hover(NotesText(groups), lines, {line, *letter, line, *letter + 1});
}

}  // namespace vlmcli
