#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

#include "common/instr.h"
#include "compiler/line_edit.h"
#include "compiler/tsmf.h"

namespace vlm {

namespace {

// Macros whose missing arguments are dropped without an error, so that a
// curve word may be given fewer than seven points. The test is a substring
// test: shorter names inside this text (CUT, RES, AC, CH) are exempt too.
constexpr std::string_view OptionalArgumentNames = "ACCUT ACRES ACE ACV ACM ACREV ACCHO ACD ACP ACB";

// Expansions at one column (values that begin with the next macro name) and
// expansions inside one argument text. Both are far above real use; a source
// that reaches them has macros that expand into each other.
constexpr int MaxChainedExpansions = 1000;
constexpr int MaxArgExpansions = 10000;

bool IsUpper(int c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(int c) { return c >= 'a' && c <= 'z'; }
bool IsWordChar(int c) { return IsUpper(c) || (c >= '0' && c <= '9') || c == '_' || c == '`'; }

// The macro word starting at At: an upper-case letter and the word
// characters that follow it.
std::string WordAt(TextRef S, std::int32_t At) {
  const TextView text = S.View();
  std::int32_t end = At;
  while (IsWordChar(text.At(end))) ++end;
  std::string word;
  if (end > At) text.AppendTo(word, At, end);
  return word;
}

std::string RunawayDetail(const std::string& Name) {
  return "マクロ" + Name + "の展開が深すぎるので、コンパイルを中止します。";
}

// Appends Value to Out with each "?n" marker replaced by argument n, in one
// pass from left to right. Inserted argument text is never searched for
// markers again, so an argument that holds a "?" (SEL(?,c,d) given to BACK)
// reaches its command as written instead of being substituted without end.
// A marker without a number stands for the first argument; a marker for an
// argument that was not given, and "?0", insert nothing and report error 3
// with the macro name, unless OptionalAllowed and the macro is one whose
// arguments are optional. With QuotesToDouble every single quote of Value
// (not of the arguments) is written as a double quote, and a marker's number
// is read as if Value had been written so.
void SubstituteMarkers(TSmf& smf, std::string_view Value, const std::string& Name, bool OptionalAllowed,
                       bool QuotesToDouble, std::string& Out) {
  QuotesToDouble = QuotesToDouble && Value.find('\'') != std::string_view::npos;
  auto copy = [&](std::size_t From, std::size_t Count) {
    const std::size_t start = Out.size();
    Out.append(Value.data() + From, Count);
    if (QuotesToDouble) std::replace(Out.begin() + static_cast<std::ptrdiff_t>(start), Out.end(), '\'', '"');
  };
  // Value as a string for the general number reader, made on first need:
  // most markers are a plain digit.
  std::string spelled;
  const TextView view{Value.data(), Value.size(), Value.data(), Value.size()};
  const auto size = static_cast<std::int32_t>(Value.size());
  std::int32_t at = 1;
  while (at <= size) {
    // The text up to the next marker is copied as it stands.
    const std::size_t mark = Value.find('?', static_cast<std::size_t>(at - 1));
    if (mark == std::string_view::npos) {
      copy(static_cast<std::size_t>(at - 1), Value.size() - static_cast<std::size_t>(at - 1));
      break;
    }
    copy(static_cast<std::size_t>(at - 1), mark - static_cast<std::size_t>(at - 1));
    at = static_cast<std::int32_t>(mark) + 2;  // past the "?"
    std::int32_t len = 0;
    std::int32_t n = -1;
    if (!ReadPlainNumber(view, at, n, len)) {
      if (spelled.empty()) {
        spelled.assign(Value);
        if (QuotesToDouble) std::replace(spelled.begin(), spelled.end(), '\'', '"');
      }
      n = smf.ReadNumber(spelled, at, len);
    }
    at += len;
    if (n == -1) n = 1;
    if (n >= 1 && n <= smf.ArgCount)
      Out += smf.Args[static_cast<std::size_t>(n - 1)];
    else if (!OptionalAllowed || OptionalArgumentNames.find(Name) == std::string_view::npos)
      smf.ReportError(3, Name);
  }
}

// A quoted value after "_m(name,", with Col on its opening quote: on this
// line, or running on over the following lines up to the next double quote,
// then any "+" continuations. Returns false (reported) when it is dropped.
bool ReadQuotedValue(TSmf& smf, const std::string& RawName, std::string& Value) {
  ++smf.Col;
  const std::int32_t close = InStr(smf.Line(), "\"", smf.Col);
  if (close > 0) {
    Value = smf.Line().substr(static_cast<std::size_t>(smf.Col - 1),
                            static_cast<std::size_t>(close - smf.Col));
    smf.Col = close + 1;
  } else {
    const std::int32_t count = smf.LineCount();
    std::int32_t closing = smf.LineNo() + 1;
    while (closing < count && smf.StoredLine(closing).find('"') == std::string::npos)
      ++closing;
    if (closing >= count) {
      // The rest of the definition's line is the start of the unclosed value:
      // it is not compiled. LineNo has not moved.
      smf.ReportError(5, "_m(" + RawName);
      smf.Col = static_cast<std::int32_t>(smf.Line().size()) + 1;
      return false;
    }
    Value = smf.Line().substr(std::min(smf.Line().size(), static_cast<std::size_t>(smf.Col - 1)));
    for (std::int32_t k = smf.LineNo() + 1; k < closing; ++k) Value += smf.StoredLine(k);
    const auto quote = smf.StoredLine(closing).find('"');
    smf.MoveTo(closing, static_cast<std::int32_t>(quote) + 2, Leaving::Store);
    Value += smf.Line().substr(0, quote);
  }
  auto fail = [&smf]() {
    smf.ReportError(4, "_m");
    smf.Col = static_cast<std::int32_t>(smf.Line().size()) + 1;
    return false;
  };
  auto skipTabsAndBlanks = [&smf]() {
    while (CharAt(smf.Line(), smf.Col) == ' ' || CharAt(smf.Line(), smf.Col) == '\t') ++smf.Col;
  };
  SkipBlanks(smf.Line(), smf.Col);
  while (CharAt(smf.Line(), smf.Col) == '+') {
    // The rest of this line is ignored; the next line holds an optional
    // braced comment and the next quoted piece.
    if (smf.LineNo() + 1 >= smf.LineCount()) return fail();
    smf.MoveTo(smf.LineNo() + 1, 1, Leaving::Store);
    skipTabsAndBlanks();
    if (CharAt(smf.Line(), smf.Col) == '{') {
      const std::int32_t brace = InStr(smf.Line(), "}", smf.Col);
      if (brace == 0) return fail();
      smf.Col = brace + 1;
      skipTabsAndBlanks();
    }
    if (CharAt(smf.Line(), smf.Col) != '"') return fail();
    ++smf.Col;
    const std::int32_t end = InStr(smf.Line(), "\"", smf.Col);
    if (end == 0) return fail();
    Value += ' ';
    Value += smf.Line().substr(static_cast<std::size_t>(smf.Col - 1), static_cast<std::size_t>(end - smf.Col));
    smf.Col = end + 1;
    SkipBlanks(smf.Line(), smf.Col);
  }
  if (CharAt(smf.Line(), smf.Col) != ')') {
    smf.ReportError(4, "_m");
    return false;
  }
  ++smf.Col;
  return true;
}

// The checks on a new definition's name; false (reported) drops it.
bool DefinitionAllowed(TSmf& smf, const std::string& RawName, const std::string& Value,
                       std::string& Name) {
  if (IsLower(CharAt(RawName, 1))) {
    if (RawName.size() != 1) {
      smf.ReportError(4, "_m...小文字は１文字マクロです");
      return false;
    }
    if (Value.find(RawName[0]) != std::string::npos) {
      smf.ReportError(5, "マクロの中でマクロは定義できません。");
      return false;
    }
  }
  Name = StripQuotes(RawName);
  const std::int32_t at = InStr(Value, Name, 1);
  if (at == 0) return true;
  // Only the first occurrence is examined, extended forward to a whole word.
  bool usesItself = Value.size() == Name.size();
  if (!usesItself) {
    std::int32_t end = at + static_cast<std::int32_t>(Name.size());
    while (IsWordChar(CharAt(Value, end))) ++end;
    usesItself = Value.compare(static_cast<std::size_t>(at - 1), static_cast<std::size_t>(end - at), Name) == 0;
  }
  if (usesItself) {
    smf.ReportError(5, "\"" + Name + "\"マクロの中でマクロ自身を使う事はできません。");
    return false;
  }
  return true;
}

}  // namespace

// Each pass replaces the macro name at Col by "{name}value" and rests Col on
// the value, so a value that begins with a macro name is expanded at once;
// names further inside are reached by the driver later.
void TSmf::ExpandMacro() {
  for (int chained = 0;; ++chained) {
    const int c = CharAt(Line(), Col);
    std::string name;
    if (Track().OneLetterMacros == 1 && IsLower(c))
      name.assign(1, static_cast<char>(c));
    else if (IsUpper(c))
      name = WordAt(Line(), Col);
    else
      return;
    const std::string_view found = Macros.Find(name);
    if (found.empty()) return;
    if (chained == MaxChainedExpansions) AbortCompile(RunawayDetail(name));
    // The text that replaces the name: "{name}" and the value, with single
    // quotes made double and the markers replaced by the arguments. The
    // table's text stays as it is while the arguments are read and expanded:
    // neither defines a macro.
    std::string& text = MacroText;
    text.clear();
    text += '{';
    text += name;
    text += '}';
    ArgCount = 0;
    std::int32_t end = Col + static_cast<std::int32_t>(name.size());  // just after the name
    if (found.find('?') != std::string::npos) {
      const int next = CharAt(Line(), end);
      if (next == '(' || next == '=') {
        ReadArgs(Line(), end);
        for (std::int32_t i = 0; i < ArgCount; ++i) {
          // Only an upper-case letter can start a macro word: most arguments
          // (notes, numbers) hold none and stay as they are.
          const std::string& given = Args[static_cast<std::size_t>(i)];
          if (std::none_of(given.begin(), given.end(), [](char c) { return IsUpper(c); })) continue;
          // A copy: ExpandArg restores Args, which would overwrite its Src.
          std::string arg = given;
          std::int32_t at = 1;
          ExpandArg(arg, at);
          Args[static_cast<std::size_t>(i)] = std::move(arg);
        }
      }
      SubstituteMarkers(*this, found, name, true, true, text);
    } else {
      const std::size_t valueAt = text.size();
      text += found;
      std::replace(text.begin() + static_cast<std::ptrdiff_t>(valueAt), text.end(), '\'', '"');
    }
    Edit(static_cast<std::size_t>(Col - 1), static_cast<std::size_t>(end - Col), text);
    Col += static_cast<std::int32_t>(name.size()) + 2;
    LastMacro = name;
    CheckLineLength();
  }
}

// Expands macro words inside an argument text (no braces, no single-quote
// conversion, no one-letter macros). A word that is no macro is passed by one
// character, so shorter words inside it are tried too. Args and ArgCount are
// as they were on entry when it returns.
void TSmf::ExpandArg(std::string& Src, std::int32_t& At) {
  if (CharAt(Src, At) < 0) return;
  // Args are saved only once a macro is found: most argument texts hold
  // none, and copying all the slots for each of them dominated the compile.
  const std::int32_t savedCount = ArgCount;
  std::unique_ptr<std::array<std::string, ArgSlots>> savedArgs;
  auto restore = [&]() {
    ArgCount = savedCount;
    if (savedArgs) Args = *savedArgs;
  };
  int expansions = 0;
  while (CharAt(Src, At) >= 0) {
    if (!IsUpper(CharAt(Src, At))) {
      ++At;
      continue;
    }
    const std::string name = WordAt(Src, At);
    const std::string_view found = Macros.Find(name);
    if (found.empty()) {
      ++At;
      continue;
    }
    if (++expansions > MaxArgExpansions) AbortCompile(RunawayDetail(name));
    if (!savedArgs) savedArgs = std::make_unique<std::array<std::string, ArgSlots>>(Args);
    std::int32_t end = At + static_cast<std::int32_t>(name.size());
    ArgCount = 0;
    std::string substituted;
    std::string_view value = found;
    if (found.find('?') != std::string::npos) {
      const int next = CharAt(Src, end);
      if (next == '(' || next == '=') ReadArgs(Src, end);
      SubstituteMarkers(*this, found, name, false, false, substituted);
      value = substituted;
    }
    Src.replace(static_cast<std::size_t>(At - 1), static_cast<std::size_t>(end - At), value);
    restore();
    if (Src.size() > LineLengthLimit) AbortCompile("行が長すぎるので、コンパイルを中止します。");
  }
}

void TSmf::DefineMacro() {
  ++Col;  // past "m"
  if (CharAt(Line(), Col) != '(') {
    ReportError(4, "_m");
    return;
  }
  ++Col;
  const std::int32_t comma = InStr(Line(), ",", Col);
  if (comma == 0) {
    ReportError(4, "_m");
    return;
  }
  const std::string rawName =
      Line().substr(static_cast<std::size_t>(Col - 1), static_cast<std::size_t>(comma - Col));
  Col = comma + 1;
  SkipBlanks(Line(), Col);
  std::string value;
  if (CharAt(Line(), Col) == '"') {
    if (!ReadQuotedValue(*this, rawName, value)) return;
  } else {
    const std::int32_t close = InStr(Line(), ")", Col);
    if (close == 0) {
      ReportError(4, "_m");
      return;
    }
    value = Line().substr(static_cast<std::size_t>(Col - 1), static_cast<std::size_t>(close - Col));
    Col = close + 1;
  }
  std::string name;
  if (!DefinitionAllowed(*this, rawName, value, name)) return;
  Macros.Add(name, value);
}

}  // namespace vlm
