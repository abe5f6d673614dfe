#pragma once
// The checks of the fuzz targets, shared with the tests that replay every
// input that once failed. Each runs one input and returns the promise it
// broke, or an empty text when every promise held; a crash is a crash.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

namespace vlmfuzz {

class FormHost;

// The MIDI file reader: a file is refused, or read into messages that are
// playable, ordered by time and within the file's length.
std::string CheckMidiFile(std::span<const std::uint8_t> bytes);

// Text decoding and line splitting, against iconv and against the other path
// that reads the same file; dir is a scratch directory for the files.
std::string CheckText(const std::string& bytes, const std::filesystem::path& dir);

// A settings file loaded, compiled and saved: what is saved reads back as it was.
std::string CheckSettingsFile(FormHost& host, const std::string& bytes);

// A preset file loaded, applied and saved with one more preset: it reads back
// as saved, and the new preset gives back its weights.
std::string CheckScaleFile(FormHost& host, const std::string& bytes);

// The language server on a stream of framed messages after "initialize":
// nothing crashes, every JSON body written out reads back the same, and
// every message sent back is JSON-RPC 2.0.
std::string CheckLspStream(const std::string& bytes);

// What a fuzz target does with a check's result: a broken promise stops the
// run as a crash would, so that libFuzzer keeps the input.
inline void AbortIfBroken(const std::string& broken) {
  if (broken.empty()) return;
  std::fprintf(stderr, "broken promise: %s\n", broken.c_str());
  std::abort();
}

}  // namespace vlmfuzz
