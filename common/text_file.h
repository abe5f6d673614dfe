#pragma once
// Reading and writing the program's text files: presets, settings, MML.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vlm {

// The whole file as bytes; nothing when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// The file's text as UTF-8 (see DecodeText); nothing when it cannot be read.
std::optional<std::string> ReadTextFile(const std::string& path);

// The most bytes a source may hold: far beyond any song, and few enough that
// reading one cannot exhaust a machine's memory.
inline constexpr std::uint64_t MaxSourceBytes = std::uint64_t{256} << 20;

// The lines of an MML source file as UTF-8 (see DecodeText), split at LF with
// a CR before it dropped; a line end at the very end starts no further line.
// A UTF-8 file is read in pieces, never held whole beside its lines. The path
// "-" reads standard input. Only a regular file or standard input of at most
// MaxSourceBytes is read: a device such as /dev/zero, a pipe by name or a
// larger file is refused. Nothing when the source cannot be read: errno
// tells why, and why (when given) gets the path and the reason for a message.
std::optional<std::vector<std::string>> ReadSourceLines(const std::string& path, std::string* why = nullptr);

// Splits at CR LF, CR or LF. A line break at the very end starts no further line.
std::vector<std::string> SplitLines(const std::string& text);

// Each line followed by CR LF, the line end of every text file we write.
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

// Replaces the file at path with data without ever leaving a half-written
// file: the data goes to a temporary file beside it, is flushed to disk
// (unless syncToDisk is false) and then renamed over the target. On failure
// the old file stays as it was, the temporary file is removed, and the reason
// is returned.
std::optional<std::string> WriteFileAtomically(const std::string& path, std::string_view data,
                                               bool syncToDisk = true);

// Copies a file the same way; the reason on failure.
std::optional<std::string> CopyFileAtomically(const std::string& from, const std::string& to);

}  // namespace vlm
