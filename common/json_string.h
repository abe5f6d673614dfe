#pragma once
// JSON string literals, written and read, for both JSON readers: the flat
// one of one-line records and the nested one of the language server.

#include <cstddef>
#include <string>
#include <string_view>

namespace vlm {

// A JSON string literal of text: quotes, backslashes and control bytes
// escaped, every other byte (UTF-8) as it is.
void AppendJsonString(std::string& out, const std::string& text);

// What a \u escape of half a surrogate pair, standing alone, reads as.
enum class LoneSurrogate {
  Refuse,   // the literal is refused: stored records are written by us, and never hold one
  Replace,  // U+FFFD: JavaScript's JSON.stringify can write one, and an editor's text may hold it
};

// Reads the string literal whose opening quote is at pos, appending its text
// (UTF-8) to out, and leaves pos after the closing quote. False for anything
// that is not a literal: no quote, a raw control byte, a bad escape, or no
// end.
bool ReadJsonString(std::string_view text, std::size_t& pos, std::string& out, LoneSurrogate lone);

}  // namespace vlm
