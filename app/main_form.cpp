#include "app/main_form.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "app/instrument_names.h"
#include "common/app_path.h"
#include "common/random.h"

namespace vlm {

namespace {

// The weights by control name, as the design's operations look them up.
const std::pair<const char*, ScrollBar MainForm::*> WeightFields[] = {
    {"scl1", &MainForm::scl1}, {"scl2", &MainForm::scl2}, {"scl3", &MainForm::scl3},
    {"scl4", &MainForm::scl4}, {"scl5", &MainForm::scl5}, {"scl6", &MainForm::scl6},
    {"scl7", &MainForm::scl7}, {"scl8", &MainForm::scl8}, {"scl9", &MainForm::scl9},
    {"sclA", &MainForm::sclA}, {"sclB", &MainForm::sclB}, {"sclC", &MainForm::sclC},
    {"ryt1", &MainForm::ryt1}, {"ryt2", &MainForm::ryt2}, {"ryt3", &MainForm::ryt3},
    {"ryt4", &MainForm::ryt4}, {"ryt5", &MainForm::ryt5}, {"ryt6", &MainForm::ryt6},
    {"ryt7", &MainForm::ryt7}};

// Thirteen two-character pieces, blanks removed: the rest and the pitch classes C..B.
constexpr const char* NoteNameText = "r c c+d d+e f f+g g+a a+b ";

constexpr const char* KeyNames[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

}  // namespace

MainForm::MainForm(Platform& platform, MessagePort& messages, MediaPlayer* player)
    : Voice(platform), platform_(platform), messages_(messages), player_(player) {
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
  PhraseFileName = AppPath() + PhraseFileBaseName;
  ScaleFileName = AppPath() + ScaleFileBaseName;

  Voice.Host.SetVoiceText = [this](const std::string& text) { seVoice.SetText(text); };
  Voice.Host.PatternText = [this] { return memPatten; };
  Voice.Host.CompilePlay = [this] { CompilePlay1Click(); };
  Voice.Host.Stop = [this] { Stop1Click(); };
}

MainForm::~MainForm() = default;

ScrollBar* MainForm::FindWeight(const std::string& name) {
  for (const auto& [fieldName, field] : WeightFields)
    if (name == fieldName) return &(this->*field);
  return nullptr;
}

ScrollBar& MainForm::Scl(int pitchClass) {
  static constexpr char Hex[] = "0123456789ABC";
  if (pitchClass < 1 || pitchClass > 12) pitchClass = 1;
  return *FindWeight(std::string("scl") + Hex[pitchClass]);
}

ScrollBar& MainForm::Ryt(int symbol) {
  if (symbol < 1 || symbol > 7) symbol = 1;
  return *FindWeight("ryt" + std::to_string(symbol));
}

std::string& MainForm::Slot(int k) {
  if (k < 1 || k > SongSlotCount) k = 1;
  return Notes[static_cast<std::size_t>(NoteNameCount - 1 + k)];
}

// Makes the executable's directory the current one, as start-up and every
// compile do; a failure is shown and reported.
bool MainForm::EnterAppPath() {
  std::error_code ec;
  std::filesystem::current_path(AppPath(), ec);
  if (!ec) return true;
  platform_.ShowError(AppPath() + ": " + ec.message());
  return false;
}

void MainForm::FormCreate() {
  Title = "Vorlumi3";
  Smf = std::make_unique<TSmf>([this](const std::string& text) { messages_.AddMessage(text); });
  MmlFileName.clear();
  Seed = ClockSeed();
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
void MainForm::speOhighChange() {
  if (speOhigh.Value() < speOlow.Value()) speOhigh.SetValue(speOlow.Value());
}

void MainForm::seVoiceChange() { cmbVoiceList.SetItemIndex(seVoice.Value()); }

void MainForm::cmbVoiceListClick() {
  if (cmbVoiceList.ItemIndex() >= 0) seVoice.SetValue(cmbVoiceList.ItemIndex());
}

void MainForm::lblVoiceRndClick() { seVoice.SetValue(Random(128)); }

void MainForm::GateNormalChange() { GateNormal.Hint = std::to_string(GateNormal.Position()); }

void MainForm::GateMuteChange() { GateMute.Hint = std::to_string(GateMute.Position()); }

}  // namespace vlm
