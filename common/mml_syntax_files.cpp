#include "common/mml_syntax_files.h"

#include <cctype>
#include <vector>

#include "common/json_string.h"
#include "common/mml_syntax.h"

namespace vlm {

namespace {

bool IsAlnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// A literal character outside a collection, in Vim's magic syntax.
std::string VimLiteral(char c) {
  static constexpr std::string_view special = ".*[~\\^$";
  if (special.find(c) != std::string_view::npos) return std::string("\\") + c;
  return std::string(1, c);
}

// Copies a class "[...]" starting at pattern[i] == '['; returns the index
// after its "]". Inside a Vim collection only "\", "]", "^" and "-" need a
// backslash, and "[:", "[." and "[=" would open a character class.
std::size_t VimCollection(std::string_view pattern, std::size_t i, std::string& out) {
  out += '[';
  ++i;
  if (i < pattern.size() && pattern[i] == '^') {
    out += '^';
    ++i;
  }
  if (i < pattern.size() && pattern[i] == ']') throw std::invalid_argument("write a leading ] of a class as \\]");
  for (; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == ']') {
      out += ']';
      return i + 1;
    }
    if (c == '\\') {
      if (++i == pattern.size() || IsAlnum(pattern[i])) throw std::invalid_argument("unsupported escape in a class");
      const char escaped = pattern[i];
      if (std::string_view("]\\^-").find(escaped) != std::string_view::npos) out += '\\';
      out += escaped;
    } else if (c == '[' && i + 1 < pattern.size() && std::string_view(":.=").find(pattern[i + 1]) != std::string_view::npos) {
      throw std::invalid_argument("a class may not hold [: [. or [=");
    } else {
      out += c;
    }
  }
  throw std::invalid_argument("unterminated class");
}

// A delimiter for a Vim pattern that the pattern does not contain, so that
// it needs no escape (an escaped "/" in a collection would also match "\").
char VimDelimiter(std::string_view vimPattern) {
  for (char c : std::string_view("/'!,#:@=;")) {
    if (vimPattern.find(c) == std::string_view::npos) return c;
  }
  throw std::invalid_argument("no free delimiter for a Vim pattern");
}

std::string Quoted(std::string_view vimPattern) {
  const char delimiter = VimDelimiter(vimPattern);
  return delimiter + std::string(vimPattern) + delimiter;
}

std::string XmlEscaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c; break;
    }
  }
  return out;
}

std::string JsonString(std::string_view text) {
  std::string quoted;
  AppendJsonString(quoted, std::string(text));
  return quoted;
}

std::string Name(MmlCategory category) { return std::string(CategoryInfo(category).name); }

std::string VimGroup(MmlCategory category) { return "vlm" + Name(category); }

// The contained group that colours what follows rule number `index`.
std::string VimFollowGroup(const MmlRule& rule, std::size_t index) {
  return VimGroup(rule.followCategory) + "After" + std::to_string(index);
}

std::string KateRegExpr(std::string_view pattern, MmlCategory category, std::string_view context) {
  return "        <RegExpr String=\"" + XmlEscaped(pattern) + "\" attribute=\"" + Name(category) + "\" context=\"" +
         std::string(context) + "\"/>\n";
}

}  // namespace

std::string VimPattern(std::string_view pattern) {
  std::string out;
  std::vector<char> groups;  // '(' for "(?:", '!' for "(?!"
  for (std::size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    switch (c) {
      case '\\':  // an escaped punctuation character stands for itself
        if (i + 1 == pattern.size() || IsAlnum(pattern[i + 1])) throw std::invalid_argument("unsupported escape");
        out += VimLiteral(pattern[i + 1]);
        i += 2;
        break;
      case '[':  // a class
        i = VimCollection(pattern, i, out);
        break;
      case '.': case '*':  // the same in both
        out += c;
        ++i;
        break;
      case '+':  // one or more
        out += "\\+";
        ++i;
        break;
      case '?':  // optional
        out += "\\=";
        ++i;
        break;
      case '(':  // "(?:" group or "(?!" negative look-ahead
        if (pattern.substr(i, 3) != "(?:" && pattern.substr(i, 3) != "(?!")
          throw std::invalid_argument("only (?: and (?! groups are supported");
        groups.push_back(pattern[i + 2] == ':' ? '(' : '!');
        out += "\\%(";
        i += 3;
        break;
      case ')':
        if (groups.empty()) throw std::invalid_argument("unbalanced )");
        out += groups.back() == '!' ? "\\)\\@!" : "\\)";
        groups.pop_back();
        ++i;
        break;
      case '|':  // alternation
        out += "\\|";
        ++i;
        break;
      case '^': case '$': case '{': case '}': case ']':  // anchors, counts and stray brackets
        throw std::invalid_argument(std::string("unsupported character ") + c);
      default:
        out += VimLiteral(c);
        ++i;
        break;
    }
  }
  if (!groups.empty()) throw std::invalid_argument("unbalanced (");
  return out;
}

std::string KateDefinition() {
  const auto rules = MmlRules();
  std::string normal;
  std::string extra;
  for (std::size_t i = 0; i < rules.size(); ++i) {
    const MmlRule& rule = rules[i];
    const std::string index = std::to_string(i);
    if (!rule.endPattern.empty()) {
      normal += KateRegExpr(rule.pattern, rule.category, "Region" + index);
      extra += "      <context name=\"Region" + index + "\" attribute=\"" + Name(rule.category) +
               "\" lineEndContext=\"#stay\">\n" + KateRegExpr(rule.endPattern, rule.category, "#pop") +
               "      </context>\n";
    } else if (!rule.follow.empty()) {
      // Blanks, then the follower or nothing: the context falls back at once.
      normal += KateRegExpr(rule.pattern, rule.category, "Follow" + index);
      extra += "      <context name=\"Follow" + index +
               "\" attribute=\"Text\" lineEndContext=\"#pop\" fallthroughContext=\"#pop\">\n"
               "        <DetectSpaces attribute=\"Text\" context=\"#stay\"/>\n" +
               KateRegExpr(rule.follow, rule.followCategory, "#pop") + "      </context>\n";
    } else {
      normal += KateRegExpr(rule.pattern, rule.category, "#stay");
    }
  }
  std::string items;
  for (const MmlCategoryInfo& info : MmlCategories()) {
    items += "      <itemData name=\"" + std::string(info.name) + "\" defStyleNum=\"" + std::string(info.kateStyle) +
             "\" spellChecking=\"false\"/>\n";
  }
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!DOCTYPE language>\n"
         "<!-- Generated from the highlighting rules of Vorlumi3; edit those, not this file. -->\n"
         "<language name=\"" + std::string(KateLanguageName) + "\" section=\"Other\" version=\"1\" "
         "kateversion=\"5.62\" extensions=\"*.vlm\" mimetype=\"text/x-vorlumi3-mml\" casesensitive=\"1\">\n"
         "  <highlighting>\n"
         "    <contexts>\n"
         "      <context name=\"Normal\" attribute=\"Text\" lineEndContext=\"#stay\">\n" +
         normal + "      </context>\n" + extra +
         "    </contexts>\n"
         "    <itemDatas>\n" + items +
         "    </itemDatas>\n"
         "  </highlighting>\n"
         "  <general>\n"
         "    <comments>\n"
         "      <comment name=\"singleLine\" start=\";\"/>\n"
         "      <comment name=\"multiLine\" start=\"{\" end=\"}\"/>\n"
         "    </comments>\n"
         "  </general>\n"
         "</language>\n";
}

// Vim prefers, among items that match at the same column, the one defined
// last: the rules are written in reverse so that the first rule wins, as in
// the other two highlighters.
std::string VimSyntaxFile() {
  const auto rules = MmlRules();
  std::string items;
  std::string links;
  for (std::size_t i = rules.size(); i-- > 0;) {
    const MmlRule& rule = rules[i];
    const std::string group = VimGroup(rule.category);
    if (!rule.endPattern.empty()) {
      items += "syntax region " + group + " start=" + Quoted(VimPattern(rule.pattern)) +
               " end=" + Quoted(VimPattern(rule.endPattern)) + "\n";
    } else if (!rule.follow.empty()) {
      const std::string follow = VimFollowGroup(rule, i);
      items += "syntax match " + group + " " + Quoted(VimPattern(rule.pattern)) + " nextgroup=" + follow +
               " skipwhite\n";
      items += "syntax match " + follow + " " + Quoted(VimPattern(rule.follow)) + " contained\n";
      links += "highlight default link " + follow + " " + VimGroup(rule.followCategory) + "\n";
    } else {
      items += "syntax match " + group + " " + Quoted(VimPattern(rule.pattern)) + "\n";
    }
  }
  for (const MmlCategoryInfo& info : MmlCategories()) {
    if (info.category == MmlCategory::Text) continue;
    links += "highlight default link " + VimGroup(info.category) + " " + std::string(info.vimLink) + "\n";
  }
  return "\" Vim syntax file for vlm sources, the MML of Vorlumi3.\n"
         "\" Generated from the highlighting rules of Vorlumi3; edit those, not this file.\n"
         "if exists('b:current_syntax')\n"
         "  finish\n"
         "endif\n"
         "syntax case match\n"
         "\" A brace comment may span lines: read from the top.\n"
         "syntax sync fromstart\n" +
         items + links + "let b:current_syntax = 'vlm'\n";
}

// TextMate reads a line as the rules here do: at each place the pattern that
// matches earliest wins, the first listed among those that match there, and
// what no pattern claims stays plain. The rules' patterns are Perl syntax,
// which TextMate's engine reads as it stands; a follower becomes a second,
// optional group of the same match.
std::string TextMateGrammar() {
  std::string patterns;
  const auto scope = [](MmlCategory category) { return std::string(CategoryInfo(category).textMateScope); };
  for (const MmlRule& rule : MmlRules()) {
    if (!patterns.empty()) patterns += ",\n";
    if (!rule.endPattern.empty()) {
      patterns += "    {\"begin\": " + JsonString(rule.pattern) + ", \"end\": " + JsonString(rule.endPattern) +
                  ", \"name\": " + JsonString(scope(rule.category)) + "}";
    } else if (!rule.follow.empty()) {
      patterns += "    {\"match\": " + JsonString("(" + rule.pattern + ")(?:[ \\t]*(" + rule.follow + "))?") +
                  ", \"captures\": {\"1\": {\"name\": " + JsonString(scope(rule.category)) +
                  "}, \"2\": {\"name\": " + JsonString(scope(rule.followCategory)) + "}}}";
    } else {
      patterns += "    {\"match\": " + JsonString(rule.pattern) + ", \"name\": " + JsonString(scope(rule.category)) + "}";
    }
  }
  return "{\n"
         "  \"$comment\": \"Generated from the highlighting rules of Vorlumi3; edit those, not this file.\",\n"
         "  \"name\": " + JsonString(KateLanguageName) + ",\n"
         "  \"scopeName\": \"source.vlm\",\n"
         "  \"fileTypes\": [\"vlm\"],\n"
         "  \"patterns\": [\n" + patterns + "\n  ]\n"
         "}\n";
}

std::string VsCodePackage() {
  return "{\n"
         "  \"name\": \"vorlumi3-vlm\",\n"
         "  \"displayName\": " + JsonString(KateLanguageName) + ",\n"
         "  \"description\": \"Highlighting of vlm sources, the MML of Vorlumi3\",\n"
         "  \"version\": \"" VLM_VERSION "\",\n"
         "  \"publisher\": \"vorlumi3\",\n"
         "  \"engines\": {\"vscode\": \"^1.50.0\"},\n"
         "  \"categories\": [\"Programming Languages\"],\n"
         "  \"contributes\": {\n"
         "    \"languages\": [{\"id\": \"vlm\", \"aliases\": [\"Vorlumi3 MML\", \"vlm\"], \"extensions\": [\".vlm\"],\n"
         "                   \"configuration\": \"./language-configuration.json\"}],\n"
         "    \"grammars\": [{\"language\": \"vlm\", \"scopeName\": \"source.vlm\",\n"
         "                  \"path\": \"./syntaxes/vlm.tmLanguage.json\"}]\n"
         "  }\n"
         "}\n";
}

std::string VsCodeLanguageConfiguration() {
  return "{\n"
         "  \"comments\": {\"lineComment\": \";\", \"blockComment\": [\"{\", \"}\"]},\n"
         "  \"brackets\": [[\"[\", \"]\"], [\"(\", \")\"]]\n"
         "}\n";
}

std::string VimFtdetectFile() {
  return "\" vlm sources, the MML of Vorlumi3.\n"
         "autocmd BufRead,BufNewFile *.vlm setfiletype vlm\n";
}

}  // namespace vlm
