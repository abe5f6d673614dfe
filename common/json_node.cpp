#include "common/json_node.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <utility>

#include "common/json_string.h"
#include "common/text_encoding.h"

namespace vlm {

const JsonNode* JsonNode::Find(std::string_view key) const {
  const JsonNode* found = nullptr;
  if (Type == Kind::Object)
    for (const JsonMember& member : Members)
      if (member.Key == key) found = &member.Value;
  return found;
}

const std::string* JsonNode::FindString(std::string_view key) const {
  const JsonNode* value = Find(key);
  return value && value->Type == Kind::String ? &value->Text : nullptr;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Roughly the power of ten of a number in JSON's grammar: positive for a
// magnitude of at least 1, not above 0 for one below. Only its sign is used.
long long DecimalScale(std::string_view number) {
  std::size_t i = number[0] == '-' ? 1 : 0;
  long long scale = 0;
  bool significant = false;  // a digit other than a leading zero was seen
  for (; i < number.size() && IsDigit(number[i]); ++i) {
    if (significant || number[i] != '0') {
      significant = true;
      ++scale;
    }
  }
  if (i < number.size() && number[i] == '.') {
    for (++i; i < number.size() && IsDigit(number[i]) && !significant; ++i) {
      if (number[i] == '0')
        --scale;
      else
        significant = true;
    }
  }
  while (i < number.size() && number[i] != 'e' && number[i] != 'E') ++i;
  if (i < number.size()) {
    ++i;
    const bool negative = number[i] == '-';
    if (number[i] == '-' || number[i] == '+') ++i;
    long long exponent = 0;
    for (; i < number.size() && exponent < 1'000'000'000; ++i) exponent = exponent * 10 + (number[i] - '0');
    scale += negative ? -exponent : exponent;
  }
  return scale;
}

// A cursor over the text; each reader leaves it after what it read and
// reports a failure by returning false.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  void SkipBlanks() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r' || text_[pos_] == '\n'))
      ++pos_;
  }
  bool AtEnd() const { return pos_ >= text_.size(); }

  // value -> object | array | string | number | true | false | null
  bool Value(JsonNode& out, int depth) {
    SkipBlanks();
    if (AtEnd()) return false;
    switch (text_[pos_]) {
      case '{':  // object -> '{' [ string ':' value { ',' string ':' value } ] '}'
        if (depth >= kMaxJsonDepth) return false;
        out.Type = JsonNode::Kind::Object;
        return Sequence('}', [&] {
          std::string key;
          SkipBlanks();
          if (!String(key)) return false;
          SkipBlanks();
          if (!Take(':')) return false;
          out.Members.push_back({std::move(key), JsonNode{}});
          return Value(out.Members.back().Value, depth + 1);
        });
      case '[':  // array -> '[' [ value { ',' value } ] ']'
        if (depth >= kMaxJsonDepth) return false;
        out.Type = JsonNode::Kind::Array;
        return Sequence(']', [&] {
          out.Items.emplace_back();
          return Value(out.Items.back(), depth + 1);
        });
      case '"':
        out.Type = JsonNode::Kind::String;
        return String(out.Text);
      case 't':
        out.Type = JsonNode::Kind::Boolean;
        out.Boolean = true;
        return Word("true");
      case 'f':
        out.Type = JsonNode::Kind::Boolean;
        return Word("false");
      case 'n':
        return Word("null");
      default:
        return Number(out);
    }
  }

 private:
  bool Take(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Word(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  // The opening bracket is at the cursor; item reads one element.
  template <typename Item>
  bool Sequence(char close, Item item) {
    ++pos_;
    SkipBlanks();
    if (Take(close)) return true;
    do {
      if (!item()) return false;
      SkipBlanks();
    } while (Take(','));
    return Take(close);
  }

  // string -> '"' { char | '\' escape } '"'
  bool String(std::string& out) { return ReadJsonString(text_, pos_, out, LoneSurrogate::Replace); }

  // number -> [ '-' ] ( '0' | digit1-9 { digit } ) [ '.' digit { digit } ] [ ( 'e' | 'E' ) [ '+' | '-' ] digit { digit } ]
  bool Number(JsonNode& out) {
    const std::size_t start = pos_;
    Take('-');
    if (Take('0')) {
    } else if (!Digits()) {
      return false;
    }
    if (Take('.') && !Digits()) return false;
    if (Take('e') || Take('E')) {
      if (!Take('+')) Take('-');
      if (!Digits()) return false;
    }
    out.Type = JsonNode::Kind::Number;
    out.Text = std::string(text_.substr(start, pos_ - start));
    const auto [end, error] = std::from_chars(out.Text.data(), out.Text.data() + out.Text.size(), out.Number);
    if (error == std::errc::result_out_of_range) {
      // Beyond a double's range: the nearest infinity, or zero for a tiny
      // value (Text keeps it exact).
      out.Number = DecimalScale(out.Text) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
      if (out.Text[0] == '-') out.Number = -out.Number;
    }
    return end == out.Text.data() + out.Text.size();
  }
  bool Digits() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    return pos_ > start;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

void Write(std::string& out, const JsonNode& value) {
  switch (value.Type) {
    case JsonNode::Kind::Null: out += "null"; break;
    case JsonNode::Kind::Boolean: out += value.Boolean ? "true" : "false"; break;
    case JsonNode::Kind::Number: out += value.Text; break;
    case JsonNode::Kind::String: AppendJsonString(out, value.Text); break;
    case JsonNode::Kind::Array:
      out += '[';
      for (std::size_t i = 0; i < value.Items.size(); ++i) {
        if (i) out += ',';
        Write(out, value.Items[i]);
      }
      out += ']';
      break;
    case JsonNode::Kind::Object:
      out += '{';
      for (std::size_t i = 0; i < value.Members.size(); ++i) {
        if (i) out += ',';
        AppendJsonString(out, value.Members[i].Key);
        out += ':';
        Write(out, value.Members[i].Value);
      }
      out += '}';
      break;
  }
}

}  // namespace

std::optional<JsonNode> ParseJson(std::string_view text) {
  if (!IsValidUtf8(text)) return std::nullopt;  // JSON text is UTF-8, and so is all we hand on
  Reader reader(text);
  JsonNode value;
  if (!reader.Value(value, 0)) return std::nullopt;
  reader.SkipBlanks();
  if (!reader.AtEnd()) return std::nullopt;
  return value;
}

std::string WriteJson(const JsonNode& value) {
  std::string out;
  Write(out, value);
  return out;
}

}  // namespace vlm
