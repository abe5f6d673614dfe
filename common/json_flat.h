#pragma once
// JSON for flat objects: one level of keys whose values are strings,
// integers, booleans or null. Enough for one-line records (JSON Lines), with
// no dependency beyond the standard library.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>

namespace vlm {

struct JsonValue {
  std::variant<std::nullptr_t, bool, std::int64_t, std::string> Value;  // what the text held

  bool IsNull() const { return std::holds_alternative<std::nullptr_t>(Value); }
  const std::string* String() const { return std::get_if<std::string>(&Value); }
  const std::int64_t* Integer() const { return std::get_if<std::int64_t>(&Value); }
  const bool* Boolean() const { return std::get_if<bool>(&Value); }
};

using JsonObject = std::map<std::string, JsonValue>;

// Builds one object in the order the keys are added: {"a":1,"b":"x"}.
class JsonObjectWriter {
 public:
  JsonObjectWriter& Add(const std::string& key, const std::string& text);
  JsonObjectWriter& Add(const std::string& key, const char* text) { return Add(key, std::string(text)); }
  JsonObjectWriter& Add(const std::string& key, std::int64_t number);
  JsonObjectWriter& Add(const std::string& key, bool flag);
  JsonObjectWriter& AddNull(const std::string& key);
  // The finished object, without a line break.
  std::string Text() const { return out_ + "}"; }

 private:
  void Key(const std::string& key);
  std::string out_ = "{";
};

// Reads one flat object (blanks around it allowed). Nothing when the text is
// not one: nested values, numbers with fractions or exponents, integers
// beyond 64 bits, bad escapes, or anything after the closing brace. A key
// given twice keeps its last value.
std::optional<JsonObject> ParseJsonObject(const std::string& text);

}  // namespace vlm
