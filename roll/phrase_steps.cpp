#include "roll/phrase_steps.h"

#include <cctype>
#include <string>

namespace vlm::roll {

namespace {

constexpr std::string_view BendUpWord = "ACB(0,64,,0,,0)";  // the generator puts it before a "B" note

// A cursor over the pattern that either consumes a form or leaves the
// position where it was.
struct PatternCursor {
  std::string_view text;
  std::size_t at = 0;
  std::string_view basicValue;  // the digits after the leading "l"

  bool Take(std::string_view word) {
    if (text.substr(at, word.size()) != word) return false;
    at += word.size();
    return true;
  }
  bool Digits() {
    const std::size_t begin = at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
    return at > begin;
  }
  // note -> ["o" digits] ["q" digits] (pitch letter ["+"] | "r")
  bool Note() {
    const std::size_t begin = at;
    if (Take("o") && !Digits()) return Reset(begin);
    if (Take("q") && !Digits()) return Reset(begin);
    if (at < text.size() && std::string_view("cdefgab").find(text[at]) != std::string_view::npos) {
      ++at;
      Take("+");
      return true;
    }
    if (Take("r")) return true;  // a pitch draw that failed writes a rest
    return Reset(begin);
  }
  // A note followed by length, as a split step writes each of its notes.
  bool NoteWithLength(std::string_view length) {
    return Note() && Take(length) && !(at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])));
  }
  bool Reset(std::size_t begin) {
    at = begin;
    return false;
  }
};

// Consumes the text one step of symbol wrote.
bool TakeStep(PatternCursor& cursor, char symbol) {
  switch (symbol) {
    case 'N':  // note of the normal gate
    case 'm':  // note of the mute gate
      return cursor.Note();
    case '^':  // tie
      return cursor.Take("^");
    case 'd': {  // split step: n notes (2 or 3), each of length n times the basic value
      const std::size_t begin = cursor.at;
      for (const int n : {2, 3}) {
        const std::string length = std::to_string(n * std::stoi(std::string(cursor.basicValue)));
        int notes = 0;
        while (notes < n && cursor.NoteWithLength(length)) ++notes;
        if (notes == n) return true;
        cursor.Reset(begin);
      }
      return false;
    }
    case 'B':  // bend-up curve, then a note
      return cursor.Take(BendUpWord) && cursor.Note();
    case 'W':  // note "0" note
      return cursor.Note() && cursor.Take("0") && cursor.Note();
    default:  // "r" and every symbol the generator does not know become a rest
      return cursor.Take("r");
  }
}

}  // namespace

std::optional<std::vector<StepSpan>> FindSteps(std::string_view rhythm, std::int32_t steps, std::string_view pattern) {
  PatternCursor cursor{pattern, 0, {}};
  if (rhythm.empty() || steps < 0 || !cursor.Take("l") || !cursor.Digits()) return std::nullopt;
  cursor.basicValue = pattern.substr(1, cursor.at - 1);
  if (cursor.basicValue.size() > 4) return std::nullopt;  // the basic value is at most 128
  std::vector<StepSpan> spans;
  spans.reserve(static_cast<std::size_t>(steps));
  for (std::int32_t i = 0; i < steps; ++i) {
    const char symbol = rhythm[static_cast<std::size_t>(i) % rhythm.size()];
    const std::size_t begin = cursor.at;
    if (!TakeStep(cursor, symbol)) return std::nullopt;
    spans.push_back({symbol, static_cast<std::int32_t>(begin), static_cast<std::int32_t>(cursor.at)});
  }
  if (cursor.at != pattern.size()) return std::nullopt;
  return spans;
}

}  // namespace vlm::roll
