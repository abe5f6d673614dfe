#include "tests/support/syntax_reading.h"

#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/support/run_command.h"

namespace vlmtest {

namespace {

std::string ScratchDir() {
  std::string dir = (std::filesystem::temp_directory_path() / "vlmsyntax-XXXXXX").string();
  if (::mkdtemp(dir.data()) == nullptr) throw std::runtime_error("cannot create a scratch directory");
  return dir;
}

std::string StripAnsi(const std::string& line) {
  std::string out;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\x1b' && i + 1 < line.size() && line[i + 1] == '[') {
      i += 2;
      while (i < line.size() && !std::isalpha(static_cast<unsigned char>(line[i]))) ++i;
      continue;
    }
    out += line[i];
  }
  return out;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The format trace prints each source line, a row of "|" where a format
// starts, then rows that place each format's name under its "|".
CategoryLines ParseKateTrace(const std::vector<std::string>& source, const std::vector<std::string>& trace) {
  CategoryLines result;
  std::size_t row = 0;
  for (const std::string& line : source) {
    if (row >= trace.size() || trace[row] != line) throw std::runtime_error("trace lost its place at: " + line);
    ++row;
    std::vector<std::string> categories(line.size());
    if (!line.empty()) {
      const std::string& markers = trace.at(row++);
      std::vector<std::size_t> starts;
      for (std::size_t c = 0; c < markers.size(); ++c) {
        if (markers[c] == '|') starts.push_back(c);
      }
      std::vector<std::string> names(starts.size());
      std::size_t named = 0;
      while (named < starts.size()) {
        const std::string& labels = trace.at(row++);
        for (std::size_t c = 0; c < labels.size(); ++c) {
          if (!std::isalpha(static_cast<unsigned char>(labels[c])) ||
              (c > 0 && std::isalpha(static_cast<unsigned char>(labels[c - 1]))))
            continue;
          std::size_t end = c;
          while (end < labels.size() && std::isalpha(static_cast<unsigned char>(labels[end]))) ++end;
          for (std::size_t k = 0; k < starts.size(); ++k) {
            if (starts[k] == c && names[k].empty()) {
              names[k] = labels.substr(c, end - c);
              ++named;
            }
          }
        }
      }
      for (std::size_t k = 0; k < starts.size(); ++k) {
        const std::size_t stop = k + 1 < starts.size() ? starts[k + 1] : line.size();
        for (std::size_t c = starts[k]; c < stop && c < line.size(); ++c) categories[c] = names[k];
      }
    }
    result.push_back(categories);
  }
  return result;
}

}  // namespace

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::stringstream text;
  text << in.rdbuf();
  return SplitLines(text.str());
}

std::string SyntaxDir() { return VLM_SYNTAX_DIR; }

std::string HighlightExamplePath() { return std::string(VLM_SOURCE_DIR) + "/tests/support/highlight_example.vlm"; }

CategoryLines VimCategories(const std::string& file, std::string& filetype) {
  const std::string dir = ScratchDir();
  {
    std::ofstream script(dir + "/dump.vim");
    script << "let out = [&filetype]\n"
              "for l in range(1, line('$'))\n"
              "  let names = []\n"
              "  for c in range(1, col([l, '$']) - 1)\n"
              "    let name = substitute(synIDattr(synID(l, c, 1), 'name'), '^vlm\\|After[0-9]\\+$', '', 'g')\n"
              "    call add(names, empty(name) ? 'Text' : name)\n"
              "  endfor\n"
              "  call add(out, join(names, ' '))\n"
              "endfor\n"
              "call writefile(out, 'categories.txt')\n";
  }
  const CommandRun run = RunCommand(dir, "vim -N -n -es -u NONE -i NONE --cmd 'set rtp^=" + SyntaxDir() +
                                             "' -c 'filetype on' -c 'syntax on' -c 'edit " + file +
                                             "' -c 'source dump.vim' -c 'qa!' </dev/null");
  std::vector<std::string> rows;
  if (run.status == 0 && std::filesystem::exists(dir + "/categories.txt")) rows = ReadLines(dir + "/categories.txt");
  std::filesystem::remove_all(dir);
  if (rows.empty()) throw std::runtime_error("vim failed (" + std::to_string(run.status) + "): " + run.err);
  filetype = rows.front();
  CategoryLines result;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    std::vector<std::string> names;
    std::istringstream in(rows[i]);
    for (std::string name; in >> name;) names.push_back(name);
    result.push_back(names);
  }
  return result;
}

CategoryLines KateCategories(const std::string& file) {
  const std::string dir = ScratchDir();
  const std::string definitions = dir + "/org.kde.syntax-highlighting/syntax";
  std::filesystem::create_directories(definitions);
  std::filesystem::copy_file(SyntaxDir() + "/vlm.xml", definitions + "/vlm.xml");
  const CommandRun run = RunCommand(dir, "XDG_DATA_HOME='" + dir +
                                             "' QT_QPA_PLATFORM=offscreen kate-syntax-highlighter "
                                             "-s 'Vorlumi3 MML' -f ansi --syntax-trace=format '" + file + "'");
  std::filesystem::remove_all(dir);
  if (run.status != 0) throw std::runtime_error("kate-syntax-highlighter failed: " + run.err);
  std::vector<std::string> trace;
  for (const std::string& line : SplitLines(run.out)) trace.push_back(StripAnsi(line));
  return ParseKateTrace(ReadLines(file), trace);
}

const std::vector<ExpectedSpan>& ExpectedExampleSpans() {
  static const std::vector<ExpectedSpan> spans = {
      {0, "#timebase", 0, "Directive"}, {0, "480", 0, "Number"},
      {1, "t", 0, "Channel"}, {1, "$78", 0, "Number"}, {1, "o", 0, "Setting"}, {1, "|", 0, "Text"},
      {1, "g4", 1, "Note"},
      {2, "c+", 0, "Note"}, {2, "e--", 0, "Note"}, {2, "n60", 0, "Note"}, {2, "c%48", 0, "Note"},
      {2, "c4.", 0, "Note"}, {2, "e4..", 0, "Note"}, {2, "r16", 0, "Note"}, {2, "^8", 0, "Note"},
      {2, "^2", 0, "Note"},
      {3, "120", 0, "Number"}, {3, "+20", 0, "Number"}, {3, "&", 0, "Note"}, {3, "DLY", 0, "Builtin"},
      {3, ">", 0, "Setting"}, {3, "r%48", 0, "Note"},
      {4, "o", 1, "Setting"}, {4, "+1", 0, "Number"}, {4, "<", 1, "Setting"}, {4, "l", 0, "Setting"},
      {4, "%", 0, "Text"}, {4, "30", 0, "Number"}, {4, "!", 0, "Setting"}, {4, "=", 0, "Text"},
      {4, "50", 0, "Number"},
      {5, "@", 0, "Channel"}, {5, "y", 0, "Channel"}, {5, "p", 0, "Channel"}, {5, "-2048", 0, "Number"},
      {5, "B", 0, "Builtin"}, {5, "REV", 0, "Builtin"}, {5, "P", 0, "Builtin"},
      {6, "[", 0, "Loop"}, {6, "]", 1, "Loop"}, {6, ":", 0, "Loop"}, {6, "/", 0, "Loop"}, {6, "ceg", 0, "Note"},
      {7, "~1=", 0, "Variable"}, {7, "5", 0, "Number"}, {7, "~2=~1*", 0, "Variable"}, {7, "~3=~2>", 0, "Variable"},
      {7, "~4=7:", 0, "Variable"}, {7, "~~3", 0, "Variable"}, {7, "~1=ptr", 0, "Variable"},
      {7, "~9=P", 0, "Variable"}, {7, "~1=nno", 0, "Variable"}, {7, "IF", 0, "Builtin"},
      {8, "; the rest of this line is a comment", 0, "Comment"}, {8, "e", 0, "Note"},
      {9, "{ a comment", 0, "Comment"},
      {10, "  over two lines }", 0, "Comment"}, {10, "f", 0, "Note"},
      {11, "_skipon", 0, "Underscore"}, {11, "_skipoff", 0, "Underscore"}, {11, "_smon", 0, "Underscore"},
      {11, "_tr", 0, "Underscore"}, {11, "_ac", 0, "Underscore"}, {11, "32", 0, "Number"},
      {12, "_TITLE", 0, "Underscore"}, {12, "(Morning Song)", 0, "String"}, {12, "_print", 0, "Underscore"},
      {12, "(the answer is ,~1)", 0, "String"},
      {13, "#include", 0, "Directive"}, {13, "\"drums.vlm\"", 0, "String"},
      {14, "_m(RIFF", 0, "MacroDefinition"}, {14, "\"", 0, "Text"}, {14, "l", 0, "Setting"},
      {14, "RIFF", 1, "Macro"}, {14, "PTR", 0, "Builtin"}, {14, "RIFFS", 0, "Macro"}, {14, "T", 1, "Builtin"},
      {14, "CD_", 0, "Builtin"},
      {15, "\\6", 0, "SystemCommand"}, {15, "\\25", 0, "SystemCommand"}, {15, "EX", 0, "Builtin"},
      {15, "$F0", 0, "Number"},
      {16, "#octave_up_down", 0, "Directive"}, {16, "1", 0, "Number"},
      {17, "#end", 0, "Directive"},
  };
  return spans;
}

std::string CheckExpectedSpans(const std::vector<std::string>& lines, const CategoryLines& categories) {
  std::string problems;
  for (const ExpectedSpan& span : ExpectedExampleSpans()) {
    const std::string where = "line " + std::to_string(span.line) + " \"" + span.text + "\"";
    if (span.line >= lines.size() || span.line >= categories.size()) {
      problems += where + ": no such line\n";
      continue;
    }
    std::size_t column = lines[span.line].find(span.text);
    for (std::size_t k = 0; k < span.occurrence && column != std::string::npos; ++k)
      column = lines[span.line].find(span.text, column + 1);
    if (column == std::string::npos) {
      problems += where + ": not in the example\n";
      continue;
    }
    for (std::size_t c = column; c < column + span.text.size(); ++c) {
      const std::string got = c < categories[span.line].size() ? categories[span.line][c] : "(none)";
      if (got != span.category) {
        problems += where + " column " + std::to_string(c) + ": " + got + ", expected " + span.category + "\n";
        break;
      }
    }
  }
  return problems;
}

std::string Differences(const std::vector<std::string>& lines, const CategoryLines& a, const CategoryLines& b) {
  std::string out;
  if (a.size() != b.size()) out += "line counts " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + "\n";
  for (std::size_t l = 0; l < a.size() && l < b.size() && out.size() < 2000; ++l) {
    for (std::size_t c = 0; c < std::max(a[l].size(), b[l].size()); ++c) {
      const std::string x = c < a[l].size() ? a[l][c] : "(none)";
      const std::string y = c < b[l].size() ? b[l][c] : "(none)";
      if (x != y) {
        out += "line " + std::to_string(l) + " column " + std::to_string(c) + " (" +
               (l < lines.size() ? lines[l].substr(0, 40) : "") + "): " + x + " / " + y + "\n";
        break;
      }
    }
  }
  return out;
}

}  // namespace vlmtest
