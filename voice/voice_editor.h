#pragma once
// The voice editor's model: ten sound parameters, each a switch, a value
// box and a bar, rendered as MML commands placed in front of every phrase,
// and the GS/XG reset switches the assembly reads.

#include <cstdint>
#include <functional>
#include <string>

#include "common/controls.h"
#include "common/platform.h"
#include "common/random.h"
#include "common/tr_marker.h"

namespace vlm {

// What the voice editor uses of the main window; the main window fills it in.
struct VoiceHost {
  std::function<void(const std::string&)> SetVoiceText;  // sets the text of seVoice
  std::function<std::string()> PatternText;              // the text of memPatten
  std::function<void()> CompilePlay;                     // "Play (&Compile)"
  std::function<void()> Stop;                            // "&Stop"
};

// Dialects of the parameter text.
enum VoiceDialect : std::int32_t {
  DialectVlm = 0,     // our own MML
  DialectTorami = 1,  // the foreign dialect; written, never compiled here
};

class TfrmVEdit {
 public:
  static constexpr int RowCount = 10;  // parameter rows 1..10; row 1 is the program number

  // rng is the generator the "Rnd" buttons draw from, shared with the main
  // window; it and platform must outlive the editor.
  TfrmVEdit(Platform& platform, RandomGenerator& rng);
  TfrmVEdit(const TfrmVEdit&) = delete;
  TfrmVEdit& operator=(const TfrmVEdit&) = delete;

  VoiceHost Host;
  RandomGenerator& Rng;
  std::string Caption = QT_TRANSLATE_NOOP("Messages", "Voice Editer");  // window title
  bool Visible = false;                   // hidden until the main window shows it

  // Row switches: "Voice", "Modulation", "Vib Rate", "Vib Depth", "Vib Delay",
  // "Cutoff", "Resonance", "Attack", "Decay", "Release"; all off at start.
  bool chk1 = false, chk2 = false, chk3 = false, chk4 = false, chk5 = false;
  bool chk6 = false, chk7 = false, chk8 = false, chk9 = false, chk10 = false;
  bool chk11 = true;  // "GS-Reset"
  bool chk12 = true;  // "XG-Reset"
  // Value boxes: what the commands use. The bar writes its box; typing into
  // a box does not move the bar.
  std::string e1 = "0", e2 = "0", e3 = "0", e4 = "0", e5 = "0";
  std::string e6 = "0", e7 = "0", e8 = "0", e9 = "0", e10 = "0";
  // Bars 0..127.
  ScrollBar s1{0, 127, 0}, s2{0, 127, 0}, s3{0, 127, 0}, s4{0, 127, 0}, s5{0, 127, 0};
  ScrollBar s6{0, 127, 0}, s7{0, 127, 0}, s8{0, 127, 0}, s9{0, 127, 0}, s10{0, 127, 0};

  // The controls of row n (1..10); Chk also reaches 11 and 12.
  bool& Chk(int n);
  std::string& E(int n);
  ScrollBar& S(int n);

  // ---- handlers (voice_editor.cpp) ----
  void s1Change(int row);  // shared by the ten bars: the box shows the bar
  void r1Click(int row);   // shared by the ten "Rnd" buttons
  void btnAllRndClick();
  void btnVibRndClick();
  void btnFilterRndClick();
  void btnEGRndClick();
  void btnPlayClick();
  void btnStopClick();
  void btnOKClick();
  void AllCHeck1Click();
  void N1Click();

  // ---- texts (voice_texts.cpp) ----
  // The commands of the switched-on rows 2..10, each ended by ") ". With row 1
  // on it also sets the main window's program number from e1.
  std::string MakeVoiceMML(std::int32_t dialect);
  std::string CopyTextVlm();     // what "&Copy(MML for vlm)" copies
  std::string CopyTextTorami();  // what "Copy(MML for &TORAMI)" copies
  void CopyToClipbrd1Click();
  void CopyMMLforTORAMI1Click();

 private:
  void RandomizeRows(std::initializer_list<int> rows);
  void CopyAndTell(const std::string& text);

  Platform& platform_;
};

}  // namespace vlm
