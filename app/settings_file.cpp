#include <filesystem>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "app/comma_text.h"
#include "app/ini_file.h"
#include "app/main_form.h"
#include "common/text_file.h"

namespace vlm {

namespace {

const FileFilter SettingsFilter{"vr3", "Vorlumi3 save data|*.vr3|all|*.*"};

struct AlwaysMinusOne {};  // "RandomVel Rate": written as -1, never read

// What a key stores: a numeric field's value, a bar's position, a switch, a
// text, a preset index, the play list, or the constant.
using KeyTarget = std::variant<NumericSetting*, ScrollBar*, bool*, std::string*, ChoiceList*,
                               std::vector<std::string>*, AlwaysMinusOne>;

struct SettingsKey {
  std::string Section;
  std::string Key;
  KeyTarget Target;
  std::int32_t Default;  // what reading gives for a missing key (numbers and switches)
};

// Every key in the order it is written and read.  ORDER SETTINGS KEYS
std::vector<SettingsKey> SettingsKeys(TForm1& f) {
  std::vector<SettingsKey> keys = {
      {"BasicTab", "基本音符", &f.speOnpu, 16},
      {"BasicTab", "音符数", &f.speLength, 16},
      {"BasicTab", "音域低", &f.speOlow, 3},
      {"BasicTab", "音域高", &f.speOhigh, 5},
      {"BasicTab", "テンポ", &f.seTempo, 120},
      {"BasicTab", "音色", &f.seVoice, 0},
      {"BasicTab", "Velocity", &f.seVel, 100},
      {"BasicTab", "option", &f.memOption, 0},
      {"BasicTab", "RandomVel Switch", &f.chkRndVel, 1},
      {"BasicTab", "RandomVel Value", &f.seRndVal, 20},
      {"BasicTab", "RandomVel Rate", AlwaysMinusOne{}, -1},
      {"ScaleTab", "Scale No", &f.cbScale, 31},
  };
  for (int n = 1; n <= 12; ++n) keys.push_back({"ScaleTab", "Scr" + std::to_string(n), &f.Scl(n), 0});
  keys.push_back({"RythmTab", "RythmPattern", &f.memRythm, 0});
  for (int n = 1; n <= 5; ++n)
    keys.push_back({"ScaleTab", "ryt Value" + std::to_string(n), &f.Ryt(n), 100});
  keys.push_back({"ScaleTab", "gaterate normal", &f.GateNormal, 16});
  keys.push_back({"ScaleTab", "gaterate mute", &f.GateMute, 4});
  keys.push_back({"RythmTab", "MML", &f.memPatten, 0});
  for (int k = 1; k <= SongSlotCount; ++k)
    keys.push_back({"SongTab", "MML" + std::to_string(k), &f.Slot(k), 0});
  keys.push_back({"SongTab", "PlayList", &f.lstSong, 0});
  keys.push_back({"SongTab", "Repeat4time", &f.chkRepeat, 1});
  return keys;
}

void WriteKey(IniFile& ini, const SettingsKey& k) {
  const auto& s = k.Section;
  const auto& key = k.Key;
  std::visit(
      [&](auto target) {
        using T = decltype(target);
        if constexpr (std::is_same_v<T, NumericSetting*>) ini.WriteInteger(s, key, target->Value());
        else if constexpr (std::is_same_v<T, ScrollBar*>) ini.WriteInteger(s, key, target->Position());
        else if constexpr (std::is_same_v<T, bool*>) ini.WriteBool(s, key, *target);
        else if constexpr (std::is_same_v<T, std::string*>) ini.WriteString(s, key, *target);
        else if constexpr (std::is_same_v<T, ChoiceList*>) ini.WriteInteger(s, key, target->ItemIndex());
        else if constexpr (std::is_same_v<T, std::vector<std::string>*>) ini.WriteString(s, key, CommaText(*target));
        else ini.WriteInteger(s, key, -1);
      },
      k.Target);
}

// Applies the key at once: numeric fields clamp and fire their change
// handlers, bars clamp, and the preset index is taken without applying it.
void ReadKey(const IniFile& ini, const SettingsKey& k) {
  const auto& s = k.Section;
  const auto& key = k.Key;
  std::visit(
      [&](auto target) {
        using T = decltype(target);
        if constexpr (std::is_same_v<T, NumericSetting*>) target->SetValue(ini.ReadInteger(s, key, k.Default));
        else if constexpr (std::is_same_v<T, ScrollBar*>) target->SetPosition(ini.ReadInteger(s, key, k.Default));
        else if constexpr (std::is_same_v<T, bool*>) *target = ini.ReadBool(s, key, k.Default != 0);
        else if constexpr (std::is_same_v<T, std::string*>) *target = ini.ReadString(s, key).value_or("");
        else if constexpr (std::is_same_v<T, ChoiceList*>) target->SetItemIndex(ini.ReadInteger(s, key, k.Default));
        else if constexpr (std::is_same_v<T, std::vector<std::string>*>) *target = SplitCommaText(ini.ReadString(s, key).value_or(""));
      },
      k.Target);
}

}  // namespace

std::optional<std::string> TForm1::SaveSettings(const std::string& fileName) {
  // Keep what the file holds besides our keys; a file that exists but cannot
  // be read is not overwritten.
  std::error_code ec;
  std::string existing;
  if (std::filesystem::exists(fileName, ec)) {
    const auto text = ReadTextFile(fileName);
    if (!text) return fileName + ": cannot be read";
    existing = *text;
  }
  IniFile ini(existing);
  for (const auto& key : SettingsKeys(*this)) WriteKey(ini, key);
  return WriteFileAtomically(fileName, ini.Text());
}

std::string TForm1::SettingsText() {
  IniFile ini;
  for (const auto& key : SettingsKeys(*this)) WriteKey(ini, key);
  return ini.Text();
}

void TForm1::ApplySettingsText(const std::string& text) {
  songBeforeChange_.reset();
  const IniFile ini(text);
  for (const auto& key : SettingsKeys(*this)) ReadKey(ini, key);
}

bool TForm1::LoadSettings(const std::string& fileName) {
  std::error_code ec;
  std::string text;
  if (std::filesystem::exists(fileName, ec)) {
    const auto read = ReadTextFile(fileName);
    if (!read) {
      platform_.ShowError("Cannot open file " + fileName);
      return false;
    }
    text = *read;
    if (SettingsFileUsed) SettingsFileUsed(fileName);
  }
  settingsBeforeOpen_ = SettingsText();
  ApplySettingsText(text);
  return true;
}

void TForm1::UndoOpen1Click() {
  if (!settingsBeforeOpen_) return;
  const std::string before = std::exchange(settingsBeforeOpen_, std::nullopt).value();
  ApplySettingsText(before);
}

// The file is written whole or not at all: a failed save leaves the old file as it was.
void TForm1::Save1Click() {
  const auto fileName = platform_.SaveFileName(SettingsFilter);
  if (!fileName) return;
  if (const auto failure = SaveSettings(*fileName)) {
    platform_.ShowError("Unable to write to " + *failure);
  } else if (SettingsFileUsed) {
    SettingsFileUsed(*fileName);
  }
}

void TForm1::Open1Click() {
  const auto fileName = platform_.OpenFileName(SettingsFilter);
  if (!fileName) return;
  LoadSettings(*fileName);
}

}  // namespace vlm
