// libFuzzer entry point of text decoding and line splitting: arbitrary bytes
// are a text file as the program reads presets, settings and MML sources.
// Each result is checked against an independent reader (the C library's
// iconv for UTF-8) or against the other path that reads the same file.

#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/text_encoding.h"
#include "common/text_file.h"
#include "fuzz/scratch_dir.h"

namespace {

std::filesystem::path Dir;

[[noreturn]] void Broken(const char* promise) {
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

void Expect(bool holds, const char* promise) {
  if (!holds) Broken(promise);
}

// Whether glibc's iconv takes the bytes whole as UTF-8.
bool IconvTakesUtf8(const std::string& bytes) {
  static const iconv_t cd = iconv_open("UTF-32LE", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) std::abort();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string in = bytes;
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  std::vector<char> out(4 * in.size() + 4);
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  return iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
}

// The lines of a decoded source as the reader documents them: the pieces
// between line feeds, each without one trailing CR; a line feed at the very
// end (or an empty text) leaves no further, empty piece.
std::vector<std::string> SourceLinesOf(const std::string& text) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    pieces.push_back(text.substr(start, end - start));
  pieces.push_back(text.substr(start));
  if (pieces.back().empty()) pieces.pop_back();
  for (auto& piece : pieces)
    if (piece.ends_with('\r')) piece.pop_back();
  return pieces;
}

// SplitLines against its description: no line holds a line break, together
// they hold every other character, and there is one line per break (CR LF
// counting once) plus one for text after the last break.
void CheckSplitLines(const std::string& text) {
  const auto lines = vlm::SplitLines(text);
  std::string joined;
  for (const auto& line : lines) {
    Expect(line.find_first_of("\r\n") == std::string::npos, "split lines hold no line break");
    joined += line;
  }
  std::string kept;
  std::size_t breaks = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      ++breaks;
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      kept += text[i];
    }
  }
  Expect(joined == kept, "split lines keep every other character");
  const bool tail = !text.empty() && text.back() != '\r' && text.back() != '\n';
  Expect(lines.size() == breaks + (tail ? 1 : 0), "one line per line break");
  Expect(vlm::SplitLines(vlm::JoinLinesCrLf(lines)) == lines, "joined lines split into the same lines");
}

// Both ways of reading a file: the streaming source reader and the whole
// text split as it documents.
void CheckSourceFile(const std::filesystem::path& path, const std::string& bytes) {
  vlmfuzz::WriteWhole(path, bytes);
  const auto text = vlm::ReadTextFile(path.string());
  const auto lines = vlm::ReadSourceLines(path.string());
  Expect(text.has_value() && lines.has_value(), "a written file can be read");
  Expect(*text == vlm::DecodeText(bytes), "a file reads as its bytes decode");
  Expect(*lines == SourceLinesOf(*text), "the source reader splits as the whole text does");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Dir = vlmfuzz::ScratchDir("text");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const bool utf8 = vlm::IsValidUtf8(bytes);
  Expect(utf8 == IconvTakesUtf8(bytes), "UTF-8 is recognised as iconv recognises it");
  const std::string text = vlm::DecodeText(bytes);
  Expect(IconvTakesUtf8(text), "decoded text is UTF-8");
  if (utf8) {
    const bool mark = bytes.starts_with("\xEF\xBB\xBF");
    Expect(text == (mark ? bytes.substr(3) : bytes), "UTF-8 decodes to itself without its byte-order mark");
  }
  CheckSplitLines(text);
  // The source reader reads 64 KiB at a time. An input that starts with
  // byte 1 is also read after a long first line that puts it across the
  // boundary of two pieces, two bytes in; only those, since writing and
  // reading 64 KiB would make every run ten times slower.
  CheckSourceFile(Dir / "source.vlm", bytes);
  if (size > 0 && data[0] == 1)
    CheckSourceFile(Dir / "long.vlm", std::string((std::size_t{1} << 16) - 2, 'x') + bytes);
  return 0;
}
