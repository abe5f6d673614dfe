#include "cli/lsp_outline.h"

#include <string_view>

namespace vlmcli {

namespace {

// An unclosed quote in a value would otherwise have every later definition
// scan to the end of the text; no real value runs this long.
constexpr int kMaxDefinitionLines = 1000;

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
// The characters the compiler's word reader takes after the first letter.
bool IsWordCharacter(char c) { return IsUpper(c) || (c >= '0' && c <= '9') || c == '_' || c == '`'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t SkipBlanks(std::string_view line, std::size_t at) {
  while (at < line.size() && IsBlank(line[at])) ++at;
  return at;
}

std::size_t WordEnd(std::string_view line, std::size_t at) {
  while (at < line.size() && IsWordCharacter(line[at])) ++at;
  return at;
}

// Where a macro's value ends, from just after its name: after the first ")"
// outside double quotes. A quoted piece may run over lines, and a "+" after
// one joins the next line; otherwise the value stops at the end of its line.
void EndDefinition(const std::vector<std::string>& lines, TextSpan& whole, std::size_t from) {
  bool quoted = false;
  const int last =
      static_cast<int>(std::min<std::size_t>(lines.size(), static_cast<std::size_t>(whole.Line) + kMaxDefinitionLines));
  for (int l = whole.Line; l < last; ++l) {
    const std::string& line = lines[static_cast<std::size_t>(l)];
    bool joined = false;  // a "+" outside quotes is the last thing on the line so far
    for (std::size_t i = l == whole.Line ? from : 0; i < line.size(); ++i) {
      const char c = line[i];
      if (quoted) {
        quoted = c != '"';
      } else if (c == '"') {
        quoted = true;
      } else if (c == ')') {
        whole.EndLine = l;
        whole.End = i + 1;
        return;
      } else if (!IsBlank(c)) {
        joined = c == '+';
      }
    }
    whole.EndLine = l;
    whole.End = line.size();
    if (!quoted && !joined) return;
  }
}

// One line's reading. Each Read function takes the position of what it
// reads and gives the position after it.
class LineReader {
 public:
  LineReader(const std::vector<std::string>& lines, DocumentOutline& outline) : lines_(lines), outline_(outline) {}

  // Reads line l; inBrace carries a "{" comment from line to line.
  void Read(int l, bool& inBrace) {
    line_ = l;
    const std::string_view line = lines_[static_cast<std::size_t>(l)];
    for (std::size_t i = 0; i < line.size();) {
      if (inBrace) {  // { ... }: braces do not nest
        const std::size_t close = line.find('}', i);
        if (close == std::string_view::npos) return;
        inBrace = false;
        i = close + 1;
        continue;
      }
      const std::string_view rest = line.substr(i);
      const char c = line[i];
      if (c == ';') return;  // ; to the end of the line
      if (c == '{') {
        inBrace = true;
        ++i;
      } else if (rest.starts_with("#include")) {
        i = ReadInclude(line, i);
      } else if (c == '#') {  // another directive
        ++i;
        while (i < line.size() && (IsLower(line[i]) || line[i] == '_')) ++i;
      } else if (rest.starts_with("_m(")) {
        i = ReadDefinition(line, i);
      } else if (rest.starts_with("_tr(")) {
        i = ReadTracks(line, i);
      } else if (c == '_') {
        i = SkipUnderscore(line, i);
      } else if (IsUpper(c)) {
        const std::size_t end = WordEnd(line, i);
        outline_.Words.push_back({std::string(line.substr(i, end - i)), {line_, i, line_, end}});
        i = end;
      } else {
        ++i;
      }
    }
  }

 private:
  // #include "file": the name on the directive's line.
  std::size_t ReadInclude(std::string_view line, std::size_t at) {
    const std::size_t open = SkipBlanks(line, at + 8);
    const std::size_t close =
        open < line.size() && line[open] == '"' ? line.find('"', open + 1) : std::string_view::npos;
    if (close == std::string_view::npos) return at + 8;
    outline_.Includes.push_back({std::string(line.substr(open + 1, close - open - 1)),
                                 {line_, at, line_, close + 1},
                                 {line_, open, line_, close + 1}});
    return close + 1;
  }

  // _m(NAME, value): a lower-case first letter is a one-letter macro. The
  // value's words are read on, as uses of other macros.
  std::size_t ReadDefinition(std::string_view line, std::size_t at) {
    const std::size_t name = SkipBlanks(line, at + 3);
    if (name >= line.size() || !(IsUpper(line[name]) || IsLower(line[name]))) return at + 3;
    const std::size_t end = WordEnd(line, name + 1);
    MacroDefinition definition{
        std::string(line.substr(name, end - name)), {line_, at, line_, end}, {line_, name, line_, end}};
    EndDefinition(lines_, definition.Whole, end);
    outline_.Macros.push_back(std::move(definition));
    return end;
  }

  // _tr(list): the list up to the ")" on its line.
  std::size_t ReadTracks(std::string_view line, std::size_t at) {
    const std::size_t close = line.find(')', at + 4);
    if (close == std::string_view::npos) return at + 4;
    std::string_view tracks = line.substr(at + 4, close - at - 4);
    while (!tracks.empty() && IsBlank(tracks.front())) tracks.remove_prefix(1);
    while (!tracks.empty() && IsBlank(tracks.back())) tracks.remove_suffix(1);
    outline_.Tracks.push_back({std::string(tracks), {line_, at, line_, close + 1}});
    return close + 1;
  }

  // Other underscore commands. The text of _print, _TITLE, _COPYRIGHT and
  // _INST_NAME is no music: its upper-case letters are no words.
  std::size_t SkipUnderscore(std::string_view line, std::size_t at) {
    for (const std::string_view texted : {"_print", "_INST_NAME", "_COPYRIGHT", "_TITLE"}) {
      if (!line.substr(at).starts_with(texted)) continue;
      const std::size_t open = SkipBlanks(line, at + texted.size());
      const std::size_t close = open < line.size() && line[open] == '(' ? line.find(')', open) : std::string_view::npos;
      return close == std::string_view::npos ? at + texted.size() : close + 1;
    }
    ++at;
    while (at < line.size() && IsLower(line[at])) ++at;
    return at;
  }

  const std::vector<std::string>& lines_;
  DocumentOutline& outline_;
  int line_ = 0;  // the line being read
};

}  // namespace

DocumentOutline ReadOutline(const std::vector<std::string>& lines) {
  DocumentOutline outline;
  LineReader reader(lines, outline);
  bool inBrace = false;
  for (std::size_t l = 0; l < lines.size(); ++l) reader.Read(static_cast<int>(l), inBrace);
  return outline;
}

}  // namespace vlmcli
