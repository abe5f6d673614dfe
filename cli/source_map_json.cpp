#include "cli/source_map_json.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

#include "common/json_string.h"

namespace vlm {

namespace {

constexpr std::string_view TrackKey = "{\"track\":", TickKey = ",\"tick\":", NoteKey = ",\"note\":",
                           FileKey = ",\"file\":", LineKey = ",\"line\":", ColumnKey = ",\"column\":", Close = "}\n";
constexpr std::size_t NumberRoom = 11;  // "-2147483648"
// A line's bytes but its file name, at the most.
constexpr std::size_t LineRoom = TrackKey.size() + TickKey.size() + NoteKey.size() + FileKey.size() +
                                 LineKey.size() + ColumnKey.size() + Close.size() + 5 * NumberRoom;
constexpr std::size_t PieceBytes = 1 << 16;  // what is handed on at once

// Each file's name as a JSON string, quoted once.
std::vector<std::string> QuotedNames(const SourceMap& Map, const std::string& MainName) {
  std::vector<std::string> names;
  for (std::size_t f = 0; f < std::max<std::size_t>(Map.Files.size(), 1); ++f) {
    names.emplace_back();
    AppendJsonString(names.back(), f == 0 ? MainName : Map.Files[f]);
  }
  return names;
}

}  // namespace

// Lines are put together with std::to_chars in one buffer that is handed on
// when nearly full: the map of a million notes is some 70 MB of text, which
// would otherwise be built whole (and, before, from millions of temporary strings).
void WriteSourceMapJsonLines(const SourceMap& Map, const std::string& MainName,
                             const std::function<void(std::string_view)>& Put) {
  const std::vector<std::string> names = QuotedNames(Map, MainName);
  std::size_t longestName = 0;
  for (const std::string& name : names) longestName = std::max(longestName, name.size());
  std::string buffer(PieceBytes + LineRoom + longestName, '\0');
  char* at = buffer.data();
  auto put = [&](std::string_view text) { at = std::copy(text.begin(), text.end(), at); };
  auto number = [&](std::int32_t value) { at = std::to_chars(at, at + NumberRoom, value).ptr; };
  for (const MappedNote& mapped : Map.Notes) {
    put(TrackKey);
    number(mapped.Track);
    put(TickKey);
    number(mapped.Tick);
    put(NoteKey);
    number(mapped.Note);
    put(FileKey);
    const auto index = static_cast<std::size_t>(mapped.File);
    put(index < names.size() ? names[index] : names.front());
    put(LineKey);
    number(mapped.Line);
    put(ColumnKey);
    number(mapped.Column);
    put(Close);
    if (static_cast<std::size_t>(at - buffer.data()) >= PieceBytes) {
      Put(std::string_view(buffer.data(), static_cast<std::size_t>(at - buffer.data())));
      at = buffer.data();
    }
  }
  if (at != buffer.data()) Put(std::string_view(buffer.data(), static_cast<std::size_t>(at - buffer.data())));
}

std::size_t SourceMapJsonLinesBound(const SourceMap& Map, const std::string& MainName) {
  std::size_t longestName = 0;
  for (const std::string& name : QuotedNames(Map, MainName)) longestName = std::max(longestName, name.size());
  return Map.Notes.size() * (LineRoom + longestName);
}

}  // namespace vlm
