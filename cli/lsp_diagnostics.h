#pragma once
// What the language server publishes for a document: the compiler's error
// lines as LSP diagnostics, placed by the source map and sorted by the file
// (URI) they lie in.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vlmcli {

// The path a file: URI names (percent escapes decoded, an empty or
// "localhost" host); nothing for another scheme or host.
std::optional<std::string> PathOfFileUri(std::string_view uri);
// The file: URI of an absolute path, with every byte outside the URI's
// path characters percent-escaped.
std::string FileUriOfPath(std::string_view path);

// Where code point column (from 1) of line starts in UTF-16 code units
// (from 0), as LSP counts, and how many units the character there takes
// (2 above U+FFFF, 0 at or past the end of the line).
struct Utf16Place {
  int Start = 0;
  int Width = 0;
};
Utf16Place Utf16PlaceOf(std::string_view line, int column);

// Diagnostics (each one JSON object's text) by URI for one compile of the
// document text at uri. The document's own URI is always there (with an
// empty list when it compiles cleanly); an included file's errors go under
// its URI, using the one in openUris (URI by path) when that file is open.
// Errors in a file no URI can name, and a compile failure, stand at the
// document's first line.
std::map<std::string, std::vector<std::string>> CompileDiagnostics(
    const std::string& uri, const std::string& text, const std::map<std::string, std::string>& openUris);

// The path by which openUris knows a file: symbolic links and ".." resolved.
std::string NormalPath(const std::string& path);

}  // namespace vlmcli
