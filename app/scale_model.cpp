#include <filesystem>
#include <string>
#include <string_view>

#include "app/main_form.h"
#include "common/int_text.h"
#include "common/text_file.h"
#include "common/tr_marker.h"
#include "common/warning.h"

namespace vlm {

// Lines 2i and 2i+1 of ScaleList are the name and the digits of preset i.
void TForm1::LoadScaleFile() {
  std::error_code ec;
  if (!std::filesystem::exists(ScaleFileName, ec)) {
    ShowWarning(platform_.Translate(QT_TRANSLATE_NOOP("Messages", "Scale.dat がありません。")));
    return;
  }
  const auto text = ReadTextFile(ScaleFileName);
  if (!text) {
    platform_.ShowError("Cannot open file " + ScaleFileName);
    return;
  }
  ScaleList = SplitLines(*text);
  cbScale.Items.clear();
  for (std::size_t i = 0; i < ScaleList.size(); i += 2) cbScale.Items.push_back(ScaleList[i]);
  cbScale.SetItemIndex(31);
  btnScaleSetClick();
}

// Digit p of the preset weights the pitch class p-1 semitones above the key;
// the weights themselves stay absolute (scl1 is always C).
void TForm1::btnScaleSetClick() {
  const std::int32_t i = cbScale.ItemIndex();
  if (i < 0) return;
  if (ScaleList.size() < 2 * static_cast<std::size_t>(i) + 2) return;
  const std::string& digits = ScaleList[2 * static_cast<std::size_t>(i) + 1];
  for (int j = 1; j <= 12; ++j) {
    int p = j - cbKey.ItemIndex();
    if (p < 1) p += 12;
    const std::string text =
        "$" + (static_cast<std::size_t>(p) <= digits.size() ? digits.substr(p - 1, 1) : "");
    const auto d = StrToInt(text);
    if (!d) {
      // Weights already set keep their new values, the rest their old ones.
      platform_.ShowError("'" + text + "' is not a valid integer value");
      return;
    }
    Scl(j).SetPosition(*d * 10);
  }
}

void TForm1::btnShiftClick() {
  const std::int32_t top = Scl(12).Position();
  for (int j = 11; j >= 1; --j) Scl(j + 1).SetPosition(Scl(j).Position());
  Scl(1).SetPosition(top);
}

void TForm1::btnShiftFlatClick() {
  const std::int32_t bottom = Scl(1).Position();
  for (int j = 2; j <= 12; ++j) Scl(j - 1).SetPosition(Scl(j).Position());
  Scl(12).SetPosition(bottom);
}

void TForm1::btnRndScaleClick() {
  if (cbScale.Items.empty()) return;
  cbScale.SetItemIndex(Rng.Random(static_cast<std::int32_t>(cbScale.Items.size())));
  btnScaleSetClick();
}

void TForm1::btnSaveScaleClick() {
  std::string name = platform_.InputBox(platform_.Translate(QT_TRANSLATE_NOOP("Messages", "スケールの名前を入力してください。")),
                                        platform_.Translate(QT_TRANSLATE_NOOP("Messages", "Save Scale")), "USER");
  if (name.empty()) return;
  // A line break in the name would shift every later name/digits pair.
  for (char& c : name)
    if (c == '\r' || c == '\n') c = ' ';
  std::string digits;
  for (int j = 1; j <= 12; ++j) digits += "0123456789A"[Scl(j).Position() / 10];

  // A name without digits at the end of the file (often an empty last line)
  // would pair the new name with nothing and the new digits with the next
  // name; drop it so that the pairs stay aligned.
  if (ScaleList.size() % 2 == 1) {
    ScaleList.pop_back();
    if (!cbScale.Items.empty()) cbScale.Items.pop_back();
  }
  ScaleList.push_back(name);
  ScaleList.push_back(digits);
  cbScale.Items.push_back(name);
  // A first name that begins with U+FEFF would be read back as a byte order
  // mark and lose it: a mark of our own goes before it, and the reader takes
  // only that one away.
  constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
  std::string text = JoinLinesCrLf(ScaleList);
  if (text.starts_with(ByteOrderMark)) text.insert(0, ByteOrderMark);
  if (const auto failure = WriteFileAtomically(ScaleFileName, text))
    platform_.ShowError("Cannot create file " + *failure);
  cbScale.SetItemIndex(static_cast<std::int32_t>(cbScale.Items.size()) - 1);
}

}  // namespace vlm
