#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/main_form.h"
#include "common/text_file.h"
#include "common/tr_marker.h"

namespace vlm {

namespace {
std::string FirstLine(const std::string& text) { return text.substr(0, text.find_first_of("\r\n")); }
}  // namespace

// The numeric fields go in as the user sees their text; the three random
// amounts as their values.
std::vector<std::string> TForm1::AssembleSource() {
  std::vector<std::string> lines;
  if (Voice.chk11 || Voice.chk12) {
    std::string reset;
    if (Voice.chk11) reset += "RESET_GS|";
    if (Voice.chk12) reset += "RESET_XG|";
    lines.push_back(reset + "r4");
  }
  lines.push_back("t" + seTempo.Text());
  lines.push_back("@" + seVoice.Text() + "v" + seVel.Text());
  lines.push_back(FirstLine(memOption));
  // Runs after the program line: a program number copied from the voice
  // editor takes effect from the next compile.
  const std::string voice = Voice.MakeVoiceMML(DialectVlm);
  if (!voice.empty()) lines.push_back("r4" + voice);
  if (chkRndVel) lines.push_back("RNDV(" + std::to_string(seRndVal.Value()) + ")");
  if (chkRNDN) lines.push_back("RNDN(" + std::to_string(seRNDN.Value()) + ")");
  if (chkRNDB) lines.push_back("B=64RNDB(" + std::to_string(seRNDB.Value()) + ")");
  lines.push_back("BR=" + edtBendRange.Text());
  if (SongMode == 0)
    lines.push_back("[4 " + memPatten + "]");
  else if (chkRepeat)
    lines.push_back("[4 " + SongText + "]");
  else
    lines.push_back(SongText);
  return lines;
}

// The pattern is the last line, after "[4 " (without the song mode); its
// columns count code points, as the offset does.
std::int32_t TForm1::PatternOffsetOf(const std::vector<std::string>& Lines, const SourceOrigin& Origin) const {
  constexpr std::int32_t Prefix = 3;  // "[4 "
  if (SongMode != 0 || Lines.empty() || Origin.File != 0) return -1;
  if (Origin.Line != static_cast<std::int32_t>(Lines.size())) return -1;
  std::int32_t points = 0;
  for (const char c : memPatten) points += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  const std::int32_t offset = Origin.Column - 1 - Prefix;
  return offset >= 0 && offset <= points ? offset : -1;
}

std::string TForm1::CompiledPattern() const {
  if (SongMode != 0 || LastSource.empty() || LastSource.back().size() < 4) return {};
  const std::string& line = LastSource.back();
  return line.substr(3, line.size() - 4);
}

void TForm1::Compile1Click() { CompileAssembled(true); }

// Errors open the message view, unless the compile follows an edit made
// while typing: the view would take the keyboard from the pattern box.
void TForm1::CompileAssembled(bool showErrors) {
  platform_.ProcessEvents();
  if (!EnterAppPath() || !Compiler) return;
  const std::vector<std::string> lines = AssembleSource();
  LastSource = lines;
  try {
    if (!MmlFileName.empty()) {
      // The request is taken before the write: a write that fails is
      // reported once and not tried again by every later compile.
      const std::string exportName = std::exchange(MmlFileName, std::string());
      if (const auto failure = WriteFileAtomically(exportName, JoinLinesCrLf(lines)))
        throw std::runtime_error(*failure);
    }
    messages_.ClearMessages();
    CompileOptions options = CompileBase;
    options.OutputFile = PhraseFileName;
    // Only a phrase's errors are traced back to the pattern box; a song list
    // (up to 16 MiB of text) is compiled without the map, which costs several
    // times the compile.
    options.SourceMap = SongMode == 0;
    CompileResult result = Compiler->Compile(lines, options);
    PatternErrorOffsets.clear();
    if (result.Map)
      for (const SourceOrigin& origin : result.Map->Errors) PatternErrorOffsets.push_back(PatternOffsetOf(lines, origin));
    LastMap = std::move(result.Map);
    for (const auto& message : result.Messages) messages_.AddMessage(message);
    CompiledLines = std::move(result.Lines);
    if (result.Failed()) throw std::runtime_error(*result.Failure);
    platform_.ProcessEvents();
    if (messages_.MessageText().find("err(") != std::string::npos) {
      if (showErrors) messages_.ShowMessagePage();
      messages_.SetDebugLines(CompiledLines);
    }
  } catch (const std::bad_alloc&) {
    throw;  // the caller's guard reports it; the compiler is reset by the next compile
  } catch (const std::exception& e) {
    // The failure's own text names the file and the reason.
    platform_.ShowMessage(platform_.Translate(QT_TRANSLATE_NOOP("Messages", "原因不明のエラーが発生しました。")) +
                          "\n" + e.what());
  }
}

}  // namespace vlm
