#pragma once
// libsndfile, opened at run time the first time a FLAC or Ogg Vorbis file is
// written. Linked, it would bring its codecs' libraries (FLAC, Vorbis, Opus,
// MPEG) into every program of ours at start-up for a choice few renders make.

#include <sndfile.h>

#include <string>

namespace vlm {

inline constexpr const char* SndfileLibraryFile = "libsndfile.so.1";
inline constexpr const char* SndfileLibraryPackage = "libsndfile1";

// The functions the encoder calls, named and typed as the functions themselves.
struct SndfileLibrary {
  decltype(&::sf_open_virtual) sf_open_virtual = nullptr;
  decltype(&::sf_writef_short) sf_writef_short = nullptr;
  decltype(&::sf_strerror) sf_strerror = nullptr;
  decltype(&::sf_close) sf_close = nullptr;
};

// The process-wide table, loaded once, safe from any thread. Throws
// MediaError naming the file, what failed and the package to install; a later
// call tries again.
const SndfileLibrary& Sndfile();

}  // namespace vlm
