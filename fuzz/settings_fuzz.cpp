// libFuzzer entry point of the settings file (.vr3): arbitrary bytes are a
// settings file that is loaded, compiled (the phrase and the play list) and
// saved. What is saved must read back as it was: saving, loading that file
// and saving again gives the same bytes, whether the first save went to a
// new file or over the input (which keeps the input's other content).

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/random.h"
#include "fuzz/form_host.h"
#include "fuzz/scratch_dir.h"

namespace {

vlmfuzz::FormHost& Host() {
  static vlmfuzz::FormHost host("settings");
  // A play list may repeat a long slot many times; the lowered work bound
  // keeps such a compile within the fuzzer's timeout, as for the compiler.
  host.Form().Smf->MaxCompileSteps = 200'000;
  return host;
}

// Saves the form's settings to path; a failure to write a scratch file is
// the fuzzer's own fault, not a finding.
void Save(vlm::TForm1& form, const std::string& path) {
  if (form.SaveSettings(path)) std::abort();
}

void Load(vlm::TForm1& form, const std::string& path) {
  if (!form.LoadSettings(path)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static vlmfuzz::SilentWarnings warnings;
  vlm::SetWarningSink(&warnings);
  Host();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vlmfuzz::FormHost& host = Host();
  vlm::TForm1& form = host.Form();
  const std::string input = host.Path("in.vr3");
  const std::string first = host.Path("first.vr3");
  const std::string second = host.Path("second.vr3");
  std::filesystem::remove(first);
  std::filesystem::remove(second);
  vlmfuzz::WriteWhole(input, std::string(reinterpret_cast<const char*>(data), size));

  Load(form, input);
  vlm::Seed = 1;
  form.Compile1Click();
  form.PlaySong1Click();

  Save(form, first);
  Load(form, first);
  Save(form, second);
  const std::string saved = vlmfuzz::ReadWhole(first);
  const std::string again = vlmfuzz::ReadWhole(second);
  if (saved != again) vlmfuzz::Differ("a saved settings file reads back as it was", saved, again);

  Save(form, input);
  Load(form, input);
  std::filesystem::remove(second);
  Save(form, second);
  const std::string merged = vlmfuzz::ReadWhole(second);
  if (saved != merged) vlmfuzz::Differ("saving over a file keeps the settings as saved", saved, merged);
  return 0;
}
