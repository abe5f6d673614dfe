#include "app/main_form.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "app/instrument_names.h"
#include "common/app_path.h"
#include "common/random.h"

namespace vlm {

namespace {

// The weights by control name, as the design's operations look them up:
// scl1..sclC, then ryt1..ryt7.  ORDER WEIGHTS
const std::pair<const char*, ScrollBar TForm1::*> WeightFields[] = {
    {"scl1", &TForm1::scl1}, {"scl2", &TForm1::scl2}, {"scl3", &TForm1::scl3},
    {"scl4", &TForm1::scl4}, {"scl5", &TForm1::scl5}, {"scl6", &TForm1::scl6},
    {"scl7", &TForm1::scl7}, {"scl8", &TForm1::scl8}, {"scl9", &TForm1::scl9},
    {"sclA", &TForm1::sclA}, {"sclB", &TForm1::sclB}, {"sclC", &TForm1::sclC},
    {"ryt1", &TForm1::ryt1}, {"ryt2", &TForm1::ryt2}, {"ryt3", &TForm1::ryt3},
    {"ryt4", &TForm1::ryt4}, {"ryt5", &TForm1::ryt5}, {"ryt6", &TForm1::ryt6},
    {"ryt7", &TForm1::ryt7}};

// Thirteen two-character pieces, blanks removed: the rest and the pitch classes C..B.
constexpr const char* NoteNameText = "r c c+d d+e f f+g g+a a+b ";

constexpr const char* KeyNames[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

}  // namespace

TForm1::TForm1(Platform& platform, TfrmMsg& messages, MediaPlayer* player)
    : Voice(platform, Rng), platform_(platform), messages_(messages), player_(player) {
  for (const char* key : KeyNames) cbKey.Items.emplace_back(key);
  cbKey.SetItemIndex(0);
  for (const char* name : InstrumentNames) cmbVoiceList.Items.emplace_back(name);
  cmbVoiceList.SetItemIndex(0);
  speOhigh.OnChange = [this] { speOhighChange(); };
  seVoice.OnChange = [this] { seVoiceChange(); };
  GateNormal.OnChange = [this] { GateNormalChange(); };
  GateMute.OnChange = [this] { GateMuteChange(); };
  GateNormalChange();
  GateMuteChange();
  messages_.ErrorClicked = [this](std::int32_t Index) {
    const auto k = static_cast<std::size_t>(Index);
    if (SelectInPattern && k < PatternErrorOffsets.size() && PatternErrorOffsets[k] >= 0)
      SelectInPattern(PatternErrorOffsets[k]);
  };
  PhraseFileName = AppPath() + PhraseFileBaseName;
  ScaleFileName = DataPath() + ScaleFileBaseName;

  Voice.Host.SetVoiceText = [this](const std::string& text) { seVoice.SetText(text); };
  Voice.Host.PatternText = [this] { return memPatten; };
  Voice.Host.CompilePlay = [this] { CompilePlay1Click(); };
  Voice.Host.Stop = [this] { Stop1Click(); };
}

// The message view may outlive the form: its hook into the form goes first.
TForm1::~TForm1() { messages_.ErrorClicked = nullptr; }

ScrollBar* TForm1::FindWeight(const std::string& name) {
  for (const auto& [fieldName, field] : WeightFields)
    if (name == fieldName) return &(this->*field);
  return nullptr;
}

// By position in WeightFields, without building the name: the rhythm draw
// asks for a bar on every try.
ScrollBar& TForm1::Scl(int pitchClass) {
  if (pitchClass < 1 || pitchClass > 12) pitchClass = 1;
  return this->*WeightFields[pitchClass - 1].second;
}

ScrollBar& TForm1::Ryt(int symbol) {
  if (symbol < 1 || symbol > 7) symbol = 1;
  return this->*WeightFields[12 + symbol - 1].second;
}

std::string& TForm1::Slot(int k) {
  if (k < 1 || k > SongSlotCount) k = 1;
  return Notes[static_cast<std::size_t>(NoteNameCount - 1 + k)];
}

// Makes the executable's directory the current one, as start-up and every
// compile do; a failure is shown and reported.
bool TForm1::EnterAppPath() {
  RememberStartDirectory();
  std::error_code ec;
  std::filesystem::current_path(AppPath(), ec);
  if (!ec) return true;
  platform_.ShowError(AppPath() + ": " + ec.message());
  return false;
}

void TForm1::FormCreate() {
  Title = "Vorlumi3";
  Compiler = std::make_unique<MmlCompiler>();
  MmlFileName.clear();
  Rng.Seed = ClockSeed();
  SeedSource.Seed = SystemSeed();
  CompileBase.Seed = FreshSeed();
  for (int k = 0; k < NoteNameCount; ++k) {
    std::string name(NoteNameText + 2 * k, 2);
    if (name.back() == ' ') name.pop_back();
    Notes[static_cast<std::size_t>(k)] = name;
  }
  SongMode = 0;
  cbKey.SetItemIndex(0);
  ScaleList.clear();
  EnterAppPath();
  LoadScaleFile();
  cmbVoiceList.SetItemIndex(0);
}

// Only speOhigh is guarded: a speOlow above it is left so (the pattern then
// draws from the range as if the two were swapped).
void TForm1::speOhighChange() {
  if (speOhigh.Value() < speOlow.Value()) speOhigh.SetValue(speOlow.Value());
}

void TForm1::seVoiceChange() { cmbVoiceList.SetItemIndex(seVoice.Value()); }

void TForm1::cmbVoiceListClick() {
  if (cmbVoiceList.ItemIndex() >= 0) seVoice.SetValue(cmbVoiceList.ItemIndex());
}

void TForm1::lblVoiceRndClick() { seVoice.SetValue(Rng.Random(128)); }

void TForm1::GateNormalChange() { GateNormal.Hint = std::to_string(GateNormal.Position()); }

void TForm1::GateMuteChange() { GateMute.Hint = std::to_string(GateMute.Position()); }

}  // namespace vlm
