#include "cli/gnu_diagnostics.h"

#include <cstddef>
#include <string_view>

namespace vlm {

std::optional<ErrorLineParts> SplitErrorLine(const std::string& Line) {
  if (Line.rfind("err(", 0) != 0) return std::nullopt;
  const std::size_t open = Line.find(")\"");
  const std::size_t tail = Line.rfind("\"> _tr<");
  if (open == std::string::npos || tail == std::string::npos || tail < open + 2) return std::nullopt;
  const std::string_view body(Line.data() + open + 2, tail - (open + 2));  // DETAIL":TEXT
  const std::size_t split = body.rfind("\":");
  if (split == std::string_view::npos) return std::nullopt;
  return ErrorLineParts{std::string(body.substr(0, split)), std::string(body.substr(split + 2))};
}

std::string GnuDiagnostic(const std::string& ErrorLine, const SourceOrigin& At, const SourceMap& Map,
                          const std::string& MainName) {
  const auto parts = SplitErrorLine(ErrorLine);
  if (!parts) return ErrorLine;
  const bool known = At.File > 0 && static_cast<std::size_t>(At.File) < Map.Files.size();
  std::string text = known ? Map.Files[static_cast<std::size_t>(At.File)] : MainName;
  if (At.Line > 0) text += ":" + std::to_string(At.Line) + ":" + std::to_string(At.Column);
  text += ": error: " + parts->Text;
  if (!parts->Detail.empty()) text += " (" + parts->Detail + ")";
  return text;
}

}  // namespace vlm
