#pragma once
// The one table of highlighting rules for vlm sources. The Kate definition,
// the Vim syntax file, the TextMate grammar and the desktop program's
// highlighter are all made from it, so that every editor colours a source
// the same way.
//
// How a line is read: at each position the rules are tried in table order;
// the first whose pattern matches right there colours what it matched, and
// reading goes on after it. Where no rule matches, one character stays plain
// text. A rule with an end pattern opens a region that runs, across lines,
// up to and including the first match of the end pattern.
//
// Patterns use a small subset of Perl's syntax, which Qt and Kate read as it
// stands and VimPattern (mml_syntax_files.h) translates: literal characters
// (punctuation may be escaped with "\"), ".", classes "[...]" and "[^...]",
// the greedy "*", "+" and "?", groups "(?:...)" and negative look-ahead
// "(?!...)", and "|". No capturing groups, anchors or counted repeats.

#include <span>
#include <string>
#include <string_view>

namespace vlm {

// ORDER MML CATEGORY: MmlCategories lists them in this order.
enum class MmlCategory {
  Text,             // anything no rule claims: blanks, separators, stray characters
  Comment,          // ";" to the end of the line, "{" ... "}"
  Directive,        // "#timebase", "#include", ...
  String,           // an included file's name, the text of a text event or _print
  MacroDefinition,  // "_m(NAME"
  Builtin,          // a built-in upper-case word: PTR, REV, IF, ...
  Macro,            // any other upper-case word: a macro of the source
  Underscore,       // "_smon", "_tr", "_TITLE", ...
  SystemCommand,    // "\6", "\25"
  Note,             // notes, n numbers, rests, ties and legato, with accidentals and lengths
  Setting,          // octave, default length, gate, velocity and accent: o l q v < > !
  Channel,          // program, controller, bend and tempo: @ y p t
  Loop,             // loop brackets, the last-pass colon and slash-chord slashes
  Variable,         // "~3", "~~3", "~1=ptr"
  Number,           // decimal or $hexadecimal values, with their sign
};

struct MmlCategoryInfo {
  MmlCategory category;
  std::string_view name;       // the item name in the Kate definition; "vlm" + name is the Vim group
  std::string_view kateStyle;  // Kate's default style (dsNormal, dsComment, ...)
  std::string_view vimLink;    // the standard Vim group it is linked to
  std::string_view textMateScope;  // the TextMate scope (VS Code, Sublime Text); empty for plain text
};

struct MmlRule {
  MmlCategory category;
  std::string pattern;     // matched at the reading position
  std::string endPattern;  // non-empty: a region from pattern to the first match of this
  // Optional: what may follow the match after blanks, coloured as followCategory.
  std::string follow;
  MmlCategory followCategory = MmlCategory::Text;
};

std::span<const MmlCategoryInfo> MmlCategories();
const MmlCategoryInfo& CategoryInfo(MmlCategory category);

// The rules in the order they are tried.
std::span<const MmlRule> MmlRules();

// The built-in upper-case words; they must match the compiler's own table.
std::span<const std::string_view> MmlBuiltinWords();

}  // namespace vlm
