// vlmc: compiles an MML source file into a Standard MIDI File, and on request
// renders that file to a WAV file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "audio/renderer.h"
#include "common/random.h"
#include "compiler/tsmf.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: vlmc [-o OUTPUT.mid] [--wav OUTPUT.wav] [--seed N] [-q] SOURCE.vlm\n"
               "  -o FILE    where to write the MIDI file (default: SOURCE with .mid)\n"
               "  --wav FILE render the MIDI file to a WAV file too\n"
               "  --seed N   fix the random seed (same seed, same file)\n"
               "  -q         print only errors\n"
               "exit status: 0 compiled cleanly, 1 compiled with errors, 2 failed\n");
}

bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return true;
}

std::string DefaultOutput(const std::string& source) {
  const auto slash = source.find_last_of('/');
  const auto dot = source.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) return source.substr(0, dot) + ".mid";
  return source + ".mid";
}

}  // namespace

int main(int argc, char** argv) {
  std::string source, output, wav;
  bool quiet = false;
  long long seed = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "-o" && i + 1 < argc) {
      output = argv[++i];
    } else if (a == "--wav" && i + 1 < argc) {
      wav = argv[++i];
    } else if (a == "--seed" && i + 1 < argc) {
      char* end = nullptr;
      seed = std::strtoll(argv[++i], &end, 10);
      if (*end != '\0' || seed < 0 || seed > 0xFFFFFFFFLL) {
        std::fprintf(stderr, "vlmc: --seed wants a number from 0 to 4294967295\n");
        return 2;
      }
    } else if (a == "-q") {
      quiet = true;
    } else if (a == "-h" || a == "--help") {
      Usage();
      return 0;
    } else if (!a.empty() && a[0] == '-') {
      std::fprintf(stderr, "vlmc: unknown option %s\n", a.c_str());
      Usage();
      return 2;
    } else if (source.empty()) {
      source = a;
    } else {
      Usage();
      return 2;
    }
  }
  if (source.empty()) {
    Usage();
    return 2;
  }
  if (output.empty()) output = DefaultOutput(source);

  bool hadErrors = false;
  auto smf = std::make_unique<vlm::TSmf>([&](const std::string& text) {
    const bool isError = text.rfind("err(", 0) == 0;
    hadErrors = hadErrors || isError;
    if (!quiet || isError) std::cout << (isError ? source + ": " : "") << text << "\n";
  });
  smf->Reset();
  if (seed >= 0) vlm::Seed = static_cast<std::uint32_t>(seed);
  if (!ReadLines(source, smf->Lines)) {
    std::fprintf(stderr, "vlmc: cannot read %s: %s\n", source.c_str(), std::strerror(errno));
    return 2;
  }
  try {
    smf->Compile(output);
  } catch (const vlm::CompileFailure& e) {
    std::fprintf(stderr, "vlmc: %s: 原因不明のエラーが発生しました。 (%s)\n", source.c_str(), e.what());
    return 2;
  }
  if (!quiet) std::cout << "wrote " << output << "\n";
  if (!wav.empty()) {
    try {
      const vlm::RenderResult rendered = vlm::RenderMidiFile(output, wav);
      if (!quiet) std::cout << "wrote " << wav << " (" << std::fixed << std::setprecision(1) << rendered.seconds << " s)\n";
    } catch (const vlm::MediaError& e) {
      std::fprintf(stderr, "vlmc: %s\n", e.what());
      return 2;
    }
  }
  return hadErrors ? 1 : 0;
}
