#pragma once
// What every fuzz target shares: a scratch directory of its own that is
// removed at exit, and a warning sink that shows nothing.

#include <filesystem>
#include <string>

#include "common/warning.h"

namespace vlmfuzz {

// A new empty directory named after role, removed when the process exits
// normally. It lies on the RAM disk where there is one: every run writes and
// renames files there, which on a real disk costs more than the run itself.
std::filesystem::path ScratchDir(const std::string& role);

// Writes bytes to path whole; aborts when it cannot, since a target whose
// fixture is missing would fuzz nothing while looking busy.
void WriteWhole(const std::filesystem::path& path, const std::string& bytes);

// Swallows warnings and beeps, so that the fuzzer's output stays readable.
class SilentWarnings : public vlm::WarningSink {
 public:
  void ShowWarning(const std::string&) override {}
  void Beep() override {}
};

}  // namespace vlmfuzz
