#pragma once
// JSON values of any shape (objects, arrays, strings, numbers, true, false,
// null), read from text and written back. Standard library only.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vlm {

struct JsonMember;

struct JsonNode {
  enum class Kind { Null, Boolean, Number, String, Array, Object };

  Kind Type = Kind::Null;
  bool Boolean = false;                                    // a Boolean's value
  double Number = 0;                                       // a Number's value
  std::string Text;                                        // a String's value (UTF-8); a Number as written
  std::vector<JsonNode> Items;                             // an Array's values, in order
  std::vector<JsonMember> Members;                         // an Object's keys and values, in order

  // The value of key in an object (the last one when a key is given twice);
  // nothing for a missing key or a value that is not an object.
  const JsonNode* Find(std::string_view key) const;
  // The string value of key, or nothing when it is missing or not a string.
  const std::string* FindString(std::string_view key) const;
};

// A key and its value. A type of its own, not a std::pair: a pair may not
// hold the node type while that type is still being defined.
struct JsonMember {
  std::string Key;
  JsonNode Value;
};

// Nesting deeper than this is refused, so that no text can exhaust the
// stack of the reader (or of the destructor that frees what it built).
constexpr int kMaxJsonDepth = 64;

// Reads one value (blanks around it allowed). Nothing when the text is not
// exactly one JSON value: bad syntax, raw control bytes in a string, a bad
// escape, a number outside the grammar, nesting beyond kMaxJsonDepth, or
// anything after the value. A \u escape of a lone surrogate stands for
// U+FFFD (text from JavaScript may hold one); a pair gives its code point.
std::optional<JsonNode> ParseJson(std::string_view text);

// The value as compact JSON text; a number is written as it was read.
std::string WriteJson(const JsonNode& value);

}  // namespace vlm
