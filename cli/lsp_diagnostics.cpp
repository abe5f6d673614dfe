#include "cli/lsp_diagnostics.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <new>

#include "cli/gnu_diagnostics.h"
#include "common/int_text.h"
#include "common/json_string.h"
#include "common/text_encoding.h"
#include "common/text_file.h"
#include "compiler/mml_compiler.h"

namespace vlmcli {

namespace {

// The text with each byte that is no part of a valid UTF-8 sequence
// replaced by U+FFFD: an error's detail may be one byte of a character, and
// a client cannot read JSON that is not UTF-8.
std::string ValidUtf8(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t bytes = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (i + bytes <= text.size() && vlm::IsValidUtf8(text.substr(i, bytes))) {
      out.append(text.substr(i, bytes));
      i += bytes;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

// A diagnostic's JSON text: an error at 0-based line, UTF-16 units start
// to end.
std::string Diagnostic(int line, int start, int end, const std::string& message) {
  const std::string l = std::to_string(line);
  std::string out = "{\"range\":{\"start\":{\"line\":" + l + ",\"character\":" + std::to_string(start) +
                    "},\"end\":{\"line\":" + l + ",\"character\":" + std::to_string(end) +
                    "}},\"severity\":1,\"source\":\"vlmc\",\"message\":";
  vlm::AppendJsonString(out, ValidUtf8(message));
  return out + "}";
}

// "TEXT (DETAIL)", as the GNU form words an error line.
std::string ErrorMessage(const std::string& errorLine) {
  const auto parts = vlm::SplitErrorLine(errorLine);
  if (!parts) return errorLine;
  return parts->Detail.empty() ? parts->Text : parts->Text + " (" + parts->Detail + ")";
}

}  // namespace

std::optional<std::string> PathOfFileUri(std::string_view uri) {
  constexpr std::string_view scheme = "file://";
  if (uri.size() < scheme.size() || !std::equal(scheme.begin(), scheme.end(), uri.begin(), [](char a, char b) {
        return a == std::tolower(static_cast<unsigned char>(b));
      }))
    return std::nullopt;
  uri.remove_prefix(scheme.size());
  const std::size_t slash = uri.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view host = uri.substr(0, slash);
  if (!host.empty() && host != "localhost") return std::nullopt;
  uri.remove_prefix(slash);
  uri = uri.substr(0, uri.find_first_of("?#"));
  std::string path;
  for (std::size_t i = 0; i < uri.size(); ++i) {
    const int high = i + 2 < uri.size() ? vlm::HexDigitValue(uri[i + 1]) : -1;
    const int low = i + 2 < uri.size() ? vlm::HexDigitValue(uri[i + 2]) : -1;
    if (uri[i] == '%' && high >= 0 && low >= 0) {
      path += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      path += uri[i];
    }
  }
  return path;
}

std::string FileUriOfPath(std::string_view path) {
  constexpr std::string_view kept = "-._~!$&'()*+,;=:@/";
  std::string uri = "file://";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) && byte < 0x80) {
      uri += c;
    } else if (kept.find(c) != std::string_view::npos) {
      uri += c;
    } else {
      constexpr char hex[] = "0123456789ABCDEF";
      uri += '%';
      uri += hex[byte >> 4];
      uri += hex[byte & 15];
    }
  }
  return uri;
}

std::string NormalPath(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path normal = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
  return ec ? std::filesystem::path(path).lexically_normal().string() : normal.string();
}

std::string IncludeDirectoryOf(const std::string& uri) {
  const std::optional<std::string> path = PathOfFileUri(uri);
  return path ? std::filesystem::path(*path).parent_path().string() : std::string();
}

DocumentCompile CompileDocument(const std::string& uri, const std::string& text,
                                const std::map<std::string, std::string>& openUris) {
  DocumentCompile compiled;
  auto& byUri = compiled.Diagnostics;
  byUri[uri];  // published even when empty: that clears what an earlier compile showed
  const std::optional<std::string> path = PathOfFileUri(uri);
  vlm::CompileOptions options;
  options.Seed = 0;  // the same text always gives the same errors and notes
  options.SourceMap = true;
  options.IncludeDirectory = IncludeDirectoryOf(uri);
  vlm::CompileResult result;
  try {
    result = vlm::CompileMmlText(text, options);
  } catch (const std::bad_alloc&) {
    result.Failure = "out of memory: the text needs more than this machine (or its limits) can give";
  }

  // The lines of each file an error lies in, read once: the document's from
  // its text, an included file's from the disk (decoded as the compiler does).
  std::map<std::int32_t, std::vector<std::string>> lines;
  lines[0] = vlm::SplitLines(text);
  std::size_t errorIndex = 0;
  for (const std::string& message : result.Messages) {
    if (message.rfind("err(", 0) != 0) continue;
    const vlm::SourceOrigin at =
        result.Map && errorIndex < result.Map->Errors.size() ? result.Map->Errors[errorIndex++] : vlm::SourceOrigin{};
    std::string target = uri;
    std::string wording = ErrorMessage(message);
    if (at.File > 0) {
      const bool known = result.Map && static_cast<std::size_t>(at.File) < result.Map->Files.size();
      const std::string name = known ? result.Map->Files[static_cast<std::size_t>(at.File)] : std::string();
      const std::filesystem::path included = std::filesystem::path(options.IncludeDirectory) / name;
      if (!name.empty() && (path || included.is_absolute())) {
        const std::string normal = NormalPath(included.string());
        const auto open = openUris.find(normal);
        target = open != openUris.end() ? open->second : FileUriOfPath(normal);
        if (!lines.count(at.File)) lines[at.File] = vlm::SplitLines(vlm::ReadTextFile(normal).value_or(""));
      } else {
        // Not to be named: shown at the top of the document that includes it.
        if (!name.empty()) wording = name + ": " + wording;
        byUri[uri].push_back(Diagnostic(0, 0, 0, wording));
        continue;
      }
    }
    if (at.Line <= 0) {
      byUri[target].push_back(Diagnostic(0, 0, 0, wording));
      continue;
    }
    const std::vector<std::string>& fileLines = lines[at.File];
    const auto lineIndex = static_cast<std::size_t>(at.Line - 1);
    const Utf16Place place = lineIndex < fileLines.size() ? Utf16PlaceOf(fileLines[lineIndex], at.Column) : Utf16Place{};
    byUri[target].push_back(Diagnostic(at.Line - 1, place.Start, place.Start + place.Width, wording));
  }
  if (result.Failed()) byUri[uri].push_back(Diagnostic(0, 0, 0, *result.Failure));
  compiled.Map = std::move(result.Map);
  return compiled;
}

}  // namespace vlmcli
