#include "common/json_flat.h"

#include <limits>

#include "common/json_string.h"

namespace vlm {

void JsonObjectWriter::Key(const std::string& key) {
  if (out_.size() > 1) out_ += ',';
  AppendJsonString(out_, key);
  out_ += ':';
}

JsonObjectWriter& JsonObjectWriter::Add(const std::string& key, const std::string& text) {
  Key(key);
  AppendJsonString(out_, text);
  return *this;
}

JsonObjectWriter& JsonObjectWriter::Add(const std::string& key, std::int64_t number) {
  Key(key);
  out_ += std::to_string(number);
  return *this;
}

JsonObjectWriter& JsonObjectWriter::Add(const std::string& key, bool flag) {
  Key(key);
  out_ += flag ? "true" : "false";
  return *this;
}

JsonObjectWriter& JsonObjectWriter::AddNull(const std::string& key) {
  Key(key);
  out_ += "null";
  return *this;
}

namespace {

// A cursor over the text; every reader leaves it after what it read, and
// reports a failure by returning nothing.
class Reader {
 public:
  explicit Reader(const std::string& text) : text_(text) {}

  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r' ||
                                   text_[pos_] == '\n'))
      ++pos_;
  }
  bool AtEnd() const { return pos_ >= text_.size(); }
  bool Take(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool TakeWord(const char* word) {
    const std::string w(word);
    if (text_.compare(pos_, w.size(), w) != 0) return false;
    pos_ += w.size();
    return true;
  }

  // A literal that fails leaves the cursor where it was, so that the next
  // reader tried cannot start inside it ("\q1" is no number).
  std::optional<std::string> String() {
    std::size_t at = pos_;
    std::string out;
    if (!ReadJsonString(text_, at, out, LoneSurrogate::Refuse)) return std::nullopt;
    pos_ = at;
    return out;
  }

  std::optional<std::int64_t> Integer() {
    const bool negative = Take('-');
    const std::size_t start = pos_;
    std::uint64_t magnitude = 0;
    const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : std::numeric_limits<std::int64_t>::max();
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
      const unsigned digit = static_cast<unsigned>(text_[pos_] - '0');
      if (magnitude > (limit - digit) / 10) return std::nullopt;
      magnitude = magnitude * 10 + digit;
      ++pos_;
    }
    const std::size_t digits = pos_ - start;
    if (digits == 0 || (digits > 1 && text_[start] == '0')) return std::nullopt;
    if (pos_ < text_.size() && (text_[pos_] == '.' || text_[pos_] == 'e' || text_[pos_] == 'E')) return std::nullopt;
    if (!negative) return static_cast<std::int64_t>(magnitude);
    return magnitude == (std::uint64_t{1} << 63) ? std::numeric_limits<std::int64_t>::min()
                                                  : -static_cast<std::int64_t>(magnitude);
  }

 private:
  const std::string& text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::optional<JsonObject> ParseJsonObject(const std::string& text) {
  Reader in(text);
  JsonObject object;
  in.SkipBlanks();
  if (!in.Take('{')) return std::nullopt;
  in.SkipBlanks();
  if (!in.Take('}')) {
    for (;;) {
      in.SkipBlanks();
      auto key = in.String();
      if (!key) return std::nullopt;
      in.SkipBlanks();
      if (!in.Take(':')) return std::nullopt;
      in.SkipBlanks();
      JsonValue value;
      if (in.TakeWord("null")) {
        value.Value = nullptr;
      } else if (in.TakeWord("true")) {
        value.Value = true;
      } else if (in.TakeWord("false")) {
        value.Value = false;
      } else if (auto s = in.String()) {
        value.Value = std::move(*s);
      } else if (auto n = in.Integer()) {
        value.Value = *n;
      } else {
        return std::nullopt;
      }
      object[*key] = std::move(value);
      in.SkipBlanks();
      if (in.Take('}')) break;
      if (!in.Take(',')) return std::nullopt;
    }
  }
  in.SkipBlanks();
  if (!in.AtEnd()) return std::nullopt;
  return object;
}

}  // namespace vlm
