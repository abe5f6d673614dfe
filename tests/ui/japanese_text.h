#pragma once
// Whether a text holds Japanese writing: kana, CJK ideographs, CJK
// punctuation, or the full- and half-width forms (half-width katakana, the
// full-width tilde "～").

#include <QString>

namespace vlm::test {

inline bool IsJapaneseCodePoint(char32_t c) {
  return (c >= 0x3000 && c <= 0x30FF) ||  // CJK punctuation, hiragana, katakana
         (c >= 0x31F0 && c <= 0x31FF) ||  // katakana phonetic extensions
         (c >= 0x3400 && c <= 0x4DBF) ||  // CJK extension A
         (c >= 0x4E00 && c <= 0x9FFF) ||  // CJK unified ideographs
         (c >= 0xF900 && c <= 0xFAFF) ||  // CJK compatibility ideographs
         (c >= 0xFF00 && c <= 0xFFEF);    // half-width and full-width forms
}

inline bool HasJapanese(const QString& text) {
  for (const char32_t c : text.toUcs4())
    if (IsJapaneseCodePoint(c)) return true;
  return false;
}

}  // namespace vlm::test
