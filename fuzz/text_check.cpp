#include <iconv.h>

#include <cstdlib>
#include <vector>

#include "common/text_encoding.h"
#include "common/text_file.h"
#include "fuzz/checks.h"
#include "fuzz/scratch_dir.h"

namespace vlmfuzz {

namespace {

// Whether glibc's iconv takes the bytes whole as UTF-8: a reader independent
// of the program's own.
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
std::string CheckSplitLines(const std::string& text) {
  const auto lines = vlm::SplitLines(text);
  std::string joined;
  for (const auto& line : lines) {
    if (line.find_first_of("\r\n") != std::string::npos) return "split lines hold no line break";
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
  if (joined != kept) return "split lines keep every other character";
  const bool tail = !text.empty() && text.back() != '\r' && text.back() != '\n';
  if (lines.size() != breaks + (tail ? 1 : 0)) return "one line per line break";
  if (vlm::SplitLines(vlm::JoinLinesCrLf(lines)) != lines) return "joined lines split into the same lines";
  return {};
}

// Both ways of reading a file: the streaming source reader and the whole
// text split as it documents.
std::string CheckSourceFile(const std::filesystem::path& path, const std::string& bytes) {
  WriteWhole(path, bytes);
  const auto text = vlm::ReadTextFile(path.string());
  const auto lines = vlm::ReadSourceLines(path.string());
  if (!text || !lines) return "a written file can be read";
  if (*text != vlm::DecodeText(bytes)) return "a file reads as its bytes decode";
  if (*lines != SourceLinesOf(*text)) return "the source reader splits as the whole text does";
  return {};
}

}  // namespace

std::string CheckText(const std::string& bytes, const std::filesystem::path& dir) {
  const bool utf8 = vlm::IsValidUtf8(bytes);
  if (utf8 != IconvTakesUtf8(bytes)) return "UTF-8 is recognised as iconv recognises it";
  const std::string text = vlm::DecodeText(bytes);
  if (!IconvTakesUtf8(text)) return "decoded text is UTF-8";
  if (utf8 && text != (bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes))
    return "UTF-8 decodes to itself without its byte-order mark";
  if (auto broken = CheckSplitLines(text); !broken.empty()) return broken;
  if (auto broken = CheckSourceFile(dir / "source.vlm", bytes); !broken.empty()) return broken;
  // The source reader reads 64 KiB at a time. An input that starts with
  // byte 1 is also read after a long first line that puts it across the
  // boundary of two pieces, two bytes in; only those, since writing and
  // reading 64 KiB would make every run ten times slower.
  if (!bytes.empty() && bytes[0] == 1)
    return CheckSourceFile(dir / "long.vlm", std::string((std::size_t{1} << 16) - 2, 'x') + bytes);
  return {};
}

}  // namespace vlmfuzz
