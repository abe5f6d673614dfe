#include <filesystem>
#include <string>

#include "app/main_form.h"
#include "common/text_file.h"
#include "common/tr_marker.h"

namespace vlm {

namespace {
const FileFilter SmfFilter{"mid", "smf|*.mid|all|*.*"};
const FileFilter MmlFilter{"vlm", "(*.vlm)|*.vlm|(*.*)|*.*"};
const FileFilter WavFilter{"wav", "wav|*.wav|flac|*.flac|ogg|*.ogg;*.oga|all|*.*"};
constexpr const char* RenderingStatus = QT_TRANSLATE_NOOP("Messages", "書き出しています: ");
constexpr const char* RenderedStatus = QT_TRANSLATE_NOOP("Messages", "書き出しました: ");

// The foreign dialect's header: its version line, the gate maximum and its
// definition of the bend-up word ACB that patterns use.
constexpr const char* ToramiVersionLine = "// MML for TORAMI ver.0.97~\r\n";
constexpr const char* ToramiDefinitions =
    "q.Max=16\r\nFunction ACB(L,H,Len){ If(Len==0){ Len = MML(l); } p.onTime(L,H,Len); }";
}  // namespace

// Copies the file of the last compile; nothing is compiled.
void TForm1::SaveSMF1Click() {
  const auto fileName = platform_.SaveFileName(SmfFilter);
  if (!fileName) return;
  std::error_code ec;
  if (!std::filesystem::exists(PhraseFileName, ec)) return;
  if (const auto failure = CopyFileAtomically(PhraseFileName, *fileName))
    platform_.ShowError("Cannot create file " + *failure);
}

// The file of the last compile as it sounds when played, for an audio editor
// or a sampler; nothing is compiled. A long song takes a moment to render:
// the status bar says so first (shown before the work starts), then names
// the file written, since a save dialog that just closes tells nothing.
void TForm1::SaveAsWav1Click() {
  if (!RenderWav) return;
  std::error_code ec;
  if (!std::filesystem::exists(PhraseFileName, ec)) {
    platform_.ShowMessage(platform_.Translate(QT_TRANSLATE_NOOP("Messages", "一度は演奏をさせてください。")));
    return;
  }
  const auto fileName = platform_.SaveFileName(WavFilter);
  if (!fileName) return;
  platform_.ShowStatus(platform_.Translate(RenderingStatus) + *fileName);
  platform_.ProcessEvents();
  if (const auto failure = RenderWav(PhraseFileName, *fileName)) {
    platform_.ShowStatus("");
    platform_.ShowError(*failure);
    return;
  }
  platform_.ShowStatus(platform_.Translate(RenderedStatus) + *fileName);
}

// The assembly writes the file before it compiles, so the file holds exactly
// the source that is compiled.
void TForm1::SaveAsMML1Click() {
  const auto fileName = platform_.SaveFileName(MmlFilter);
  if (!fileName) return;
  MmlFileName = *fileName;
  Compile1Click();
}

// Header and pattern only: tempo, program, options, voice and the loop are
// not part of the foreign export. The phrase is compiled as for "Compile".
void TForm1::SaveAsMMLTORAMI1Click() {
  if (memPatten.empty()) {
    platform_.ShowMessage(platform_.Translate(QT_TRANSLATE_NOOP("Messages", "一度は演奏をさせてください。")));
    return;
  }
  const auto fileName = platform_.SaveFileName(MmlFilter);
  if (!fileName) return;
  const std::string pattern = memPatten;
  Compile1Click();
  const std::string text = std::string(ToramiVersionLine) + ToramiDefinitions + "\r\n" + pattern;
  if (const auto failure = WriteFileAtomically(*fileName, JoinLinesCrLf(SplitLines(text))))
    platform_.ShowError("Cannot create file " + *failure);
}

}  // namespace vlm
