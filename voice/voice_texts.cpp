#include "voice/voice_editor.h"

#include "common/tr_marker.h"

namespace vlm {

namespace {
// Command names of rows 2..10 in both dialects; row 1 (the program number)
// has none.  ORDER ROWS
constexpr const char* VlmCommands[] = {"M(",   "VIB_RATE(", "VIB_DEPTH(", "VIB_DELAY(", "CUT(",
                                       "RES(", "ATT(",      "DEC(",       "REL("};
constexpr const char* ToramiCommands[] = {"Modulation(",   "VibratoRate(",    "VibratoDepth(",
                                          "VibratoDelay(", "FilterCutoff(",   "FilterResonance(",
                                          "EGAttack(",     "EGDecay(",        "EGRelease("};

// The foreign dialect's gate maximum and its definition of the bend-up word ACB.
constexpr const char* ToramiHeader =
    "Include(tordefs.h);q.Max=16\r\n"
    "Function ACB(L,H,Len){ If(Len==0){ Len = MML(l); } p.onTime(L,H,Len); }";
}  // namespace

std::string TfrmVEdit::MakeVoiceMML(std::int32_t dialect) {
  const auto& names = dialect == DialectTorami ? ToramiCommands : VlmCommands;
  if (chk1 && Host.SetVoiceText) Host.SetVoiceText(e1);
  std::string text;
  for (int row = 2; row <= RowCount; ++row) {
    if (!Chk(row)) continue;
    text += names[row - 2];
    text += E(row);
    text += ") ";
  }
  return text;
}

// Both copies end with the program number of bar s1, whether row 1 is on or not.
std::string TfrmVEdit::CopyTextVlm() {
  return MakeVoiceMML(DialectVlm) + "@" + std::to_string(s1.Position());
}

std::string TfrmVEdit::CopyTextTorami() {
  const std::string pattern = Host.PatternText ? Host.PatternText() : std::string();
  return std::string(ToramiHeader) + "\r\n" + MakeVoiceMML(DialectTorami) + "@" +
         std::to_string(s1.Position()) + "\r\n" + pattern;
}

void TfrmVEdit::CopyAndTell(const std::string& text) {
  platform_.SetClipboardText(text);
  platform_.ShowMessage(platform_.Translate(QT_TRANSLATE_NOOP("Messages", "以下の文字列をコピーしました。")) + "\r" +
                        text);
}

void TfrmVEdit::CopyToClipbrd1Click() { CopyAndTell(CopyTextVlm()); }

void TfrmVEdit::CopyMMLforTORAMI1Click() { CopyAndTell(CopyTextTorami()); }

}  // namespace vlm
