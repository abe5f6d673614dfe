#include "tests/support/source_map_check.h"

#include <map>

#include "common/text_file.h"

namespace vlmtest {

namespace {

bool IsLead(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

// Byte offset of code point Column (from 1), or npos past the end.
std::size_t OffsetOf(const std::string& Line, int Column) {
  int column = 0;
  for (std::size_t i = 0; i < Line.size(); ++i) {
    if (IsLead(Line[i]) && ++column == Column) return i;
  }
  return std::string::npos;
}

bool IsWordChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'; }

}  // namespace

std::string CodePointAt(const std::string& Line, int Column) {
  const std::size_t at = OffsetOf(Line, Column);
  if (at == std::string::npos) return "";
  std::size_t end = at + 1;
  while (end < Line.size() && !IsLead(Line[end])) ++end;
  return Line.substr(at, end - at);
}

bool StartsNoteText(const std::string& Line, int Column) {
  const std::size_t at = OffsetOf(Line, Column);
  if (at == std::string::npos) return false;
  const char c = Line[at];
  if (c == 'n' || (c >= 'a' && c <= 'g')) return true;
  const bool wordStart = at == 0 || !IsWordChar(Line[at - 1]);
  // Any other lower-case letter only as a word of its own: a one-letter macro.
  if (c >= 'h' && c <= 'z') return wordStart && (at + 1 == Line.size() || !IsWordChar(Line[at + 1]));
  return c >= 'A' && c <= 'Z' && wordStart;
}

std::vector<std::string> WrongNoteOrigins(const std::vector<std::string>& Source, const vlm::CompileResult& Result,
                                          const std::string& IncludeDir) {
  std::vector<std::string> wrong;
  if (!Result.Map) return {"no source map"};
  const vlm::SourceMap& map = *Result.Map;
  std::map<int, std::vector<std::string>> files{{0, Source}};
  for (std::size_t f = 1; f < map.Files.size(); ++f) {
    const std::string path = IncludeDir.empty() ? map.Files[f] : IncludeDir + "/" + map.Files[f];
    files[static_cast<int>(f)] = vlm::SplitLines(vlm::ReadTextFile(path).value_or(""));
  }
  for (const vlm::MappedNote& note : map.Notes) {
    const vlm::SourceOrigin at = note.At();
    const std::string where = "track " + std::to_string(note.Track) + " tick " + std::to_string(note.Tick) +
                              " note " + std::to_string(note.Note) + " at file " + std::to_string(at.File) + " " +
                              std::to_string(at.Line) + ":" + std::to_string(at.Column);
    const auto file = files.find(at.File);
    if (file == files.end() || at.Line < 1 || static_cast<std::size_t>(at.Line) > file->second.size()) {
      wrong.push_back(where + ": no such line");
      continue;
    }
    const std::string& line = file->second[static_cast<std::size_t>(at.Line - 1)];
    if (!StartsNoteText(line, at.Column))
      wrong.push_back(where + ": \"" + CodePointAt(line, at.Column) + "\" in \"" + line + "\"");
  }
  return wrong;
}

}  // namespace vlmtest
