#include "tests/support/compile_harness.h"

#include <stdlib.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>


namespace vlmtest {

std::vector<std::string> CompileResult::Errors() const {
  std::vector<std::string> errors;
  for (const auto& m : messages)
    if (m.rfind("err(", 0) == 0) errors.push_back(m);
  return errors;
}

// A new, empty directory every time: a name made from the process id could
// meet one that an earlier process with the same id left behind.
std::string ScratchDir() {
  std::string dir = (std::filesystem::temp_directory_path() / "vlmtest-XXXXXX").string();
  if (::mkdtemp(dir.data()) == nullptr) throw std::runtime_error("cannot create a scratch directory in " + dir);
  return dir;
}

CompileResult CompileWith(vlm::TSmf& smf, std::vector<std::string>& sink, const std::string& Source,
                          std::optional<std::uint32_t> seed) {
  CompileResult result;
  sink.clear();
  smf.Reset();
  if (seed) smf.Rng.Seed = *seed;
  std::istringstream in(Source);
  for (std::string line; std::getline(in, line);) smf.Lines.push_back(line);
  const std::string file = ScratchDir() + "/out.mid";
  try {
    smf.Compile(file);
  } catch (const vlm::CompileFailure& e) {
    result.failed = true;
    result.failure = e.what();
  }
  result.messages = sink;
  result.lines = smf.Lines;
  result.bytes = ReadFileBytes(file);
  result.smf = ParseSmf(result.bytes);
  std::filesystem::remove_all(std::filesystem::path(file).parent_path());
  return result;
}

CompileResult CompileSource(const std::string& Source, std::optional<std::uint32_t> seed) {
  std::vector<std::string> sink;
  vlm::TSmf smf([&sink](const std::string& text) { sink.push_back(text); });
  return CompileWith(smf, sink, Source, seed);
}

}  // namespace vlmtest
