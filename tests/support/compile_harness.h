#pragma once
// Compiles MML text the way the program does (Reset, fill Lines, Compile)
// into a scratch file and collects everything a test looks at.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/tsmf.h"
#include "tests/support/smf_dump.h"

namespace vlmtest {

struct CompileResult {
  std::vector<std::string> messages;  // every AddMessage line, in order
  std::vector<std::string> lines;     // Lines after the compile
  std::vector<std::uint8_t> bytes;    // the file written
  SmfFile smf;                        // the file as the strict reader saw it
  bool failed = false;                // Compile threw CompileFailure
  std::string failure;                // its text

  std::vector<std::string> Errors() const;         // the "err(" lines
  std::vector<std::string> Events(std::size_t chunk = 0) const { return EventLines(smf, chunk); }
};

// Splits Source at '\n'. With a seed the generator is set after Reset, so
// the random draws of the compile are fixed.
CompileResult CompileSource(const std::string& Source, std::optional<std::uint32_t> seed = 0);

// Same, on a compiler the test keeps (to look at its state afterwards).
CompileResult CompileWith(vlm::TSmf& smf, std::vector<std::string>& sink, const std::string& Source,
                          std::optional<std::uint32_t> seed = 0);

// A fresh directory under the system's temporary directory.
std::string ScratchDir();

}  // namespace vlmtest
