#pragma once
// What the language server publishes for a document: the compiler's error
// lines as LSP diagnostics, placed by the source map and sorted by the file
// (URI) they lie in; the source map is kept for the requests that read it.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/lsp_text.h"
#include "compiler/mml_compiler.h"

namespace vlmcli {

// The path a file: URI names (percent escapes decoded, an empty or
// "localhost" host); nothing for another scheme or host.
std::optional<std::string> PathOfFileUri(std::string_view uri);
// The file: URI of an absolute path, with every byte outside the URI's
// path characters percent-escaped.
std::string FileUriOfPath(std::string_view path);

// One compile of the document text at uri: its diagnostics (each one JSON
// object's text) by URI, and where its notes came from. The document's own
// URI is always there (with an empty list when it compiles cleanly); an
// included file's errors go under its URI, using the one in openUris (URI by
// path) when that file is open. Errors in a file no URI can name, and a
// compile failure, stand at the document's first line.
struct DocumentCompile {
  std::map<std::string, std::vector<std::string>> Diagnostics;
  std::optional<vlm::SourceMap> Map;  // empty only when the compile ran out of memory
};
DocumentCompile CompileDocument(const std::string& uri, const std::string& text,
                                const std::map<std::string, std::string>& openUris);

// The folder relative #include names are read from: the document's own.
std::string IncludeDirectoryOf(const std::string& uri);

// The path by which openUris knows a file: symbolic links and ".." resolved.
std::string NormalPath(const std::string& path);

}  // namespace vlmcli
