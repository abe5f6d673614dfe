#include "cli/source_map_json.h"

#include "common/json_flat.h"

namespace vlm {

std::string SourceMapJsonLines(const SourceMap& Map, const std::string& MainName) {
  std::vector<std::string> names;  // each file's name, quoted once
  for (std::size_t f = 0; f < Map.Files.size(); ++f) {
    names.emplace_back();
    AppendJsonString(names.back(), f == 0 ? MainName : Map.Files[f]);
  }
  std::string out;
  for (const MappedNote& note : Map.Notes) {
    out += "{\"track\":" + std::to_string(note.Track) + ",\"tick\":" + std::to_string(note.Tick) +
           ",\"note\":" + std::to_string(note.Note) + ",\"file\":";
    const auto file = static_cast<std::size_t>(note.At.File);
    out += file < names.size() ? names[file] : names.front();
    out += ",\"line\":" + std::to_string(note.At.Line) + ",\"column\":" + std::to_string(note.At.Column) + "}\n";
  }
  return out;
}

}  // namespace vlm
