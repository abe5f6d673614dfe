#include <gtest/gtest.h>

#include <filesystem>

#include "common/text_encoding.h"
#include "tests/app/form_fixture.h"

namespace vlmtest {
namespace {

using Weights12 = std::vector<std::int32_t>;

// Four presets: three of our own, and a major scale (digits 1,3,5,6,8,10,12 at "A").
const std::string FourPresets =
    "Zero\r\n000000000000\r\nSteps\r\n0123456789AA\r\nBad\r\n01Z000000000\r\nMajor\r\nA0A0AA0A0A0A\r\n";

TEST_F(FormTest, WeightBarsAreReachedByNumberAndByName) {
  auto& f = Start();
  const std::pair<int, vlm::ScrollBar*> scales[] = {{1, &f.scl1}, {2, &f.scl2}, {9, &f.scl9}, {10, &f.sclA},
                                                    {11, &f.sclB}, {12, &f.sclC}};
  for (auto [k, bar] : scales) EXPECT_EQ(&f.Scl(k), bar) << k;
  const std::pair<int, vlm::ScrollBar*> rhythms[] = {{1, &f.ryt1}, {4, &f.ryt4}, {7, &f.ryt7}};
  for (auto [j, bar] : rhythms) EXPECT_EQ(&f.Ryt(j), bar) << j;
  // A number out of range falls back to the first bar.
  EXPECT_EQ(&f.Scl(0), &f.scl1);
  EXPECT_EQ(&f.Scl(13), &f.scl1);
  EXPECT_EQ(&f.Ryt(8), &f.ryt1);
  EXPECT_EQ(f.FindWeight("sclA"), &f.sclA);
  EXPECT_EQ(f.FindWeight("ryt7"), &f.ryt7);
  EXPECT_EQ(f.FindWeight("sclD"), nullptr);
}

TEST_F(FormTest, StartUpLoadsPresetsAndAppliesTheThirtySecond) {
  auto& f = Start();
  EXPECT_EQ(f.Title, "Vorlumi3");
  ASSERT_NE(f.Compiler, nullptr);
  EXPECT_GE(f.cbScale.Items.size(), 40u);
  EXPECT_EQ(f.ScaleList.size(), 2 * f.cbScale.Items.size());
  EXPECT_EQ(f.cbScale.ItemIndex(), 31);
  EXPECT_EQ(f.cbKey.ItemIndex(), 0);
  EXPECT_EQ(f.cmbVoiceList.ItemIndex(), 0);
  EXPECT_EQ(f.SongMode, 0);
  EXPECT_TRUE(f.MmlFileName.empty());
  const std::vector<std::string> names = {"r", "c", "c+", "d", "d+", "e", "f", "f+", "g", "g+", "a", "a+", "b"};
  for (int k = 0; k < 13; ++k) EXPECT_EQ(f.Notes[k], names[k]);
  // Key C: the weights are the digits of preset 31 times ten.
  const std::string& digits = f.ScaleList[63];
  for (int j = 1; j <= 12; ++j) {
    const char c = digits[j - 1];
    EXPECT_EQ(f.Scl(j).Position(), (c == 'A' ? 10 : c - '0') * 10) << "pitch class " << j;
  }
  EXPECT_TRUE(warnings.warnings.empty());
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(dir));
}

TEST_F(FormTest, ShippedPresetsAreWellFormed) {
  const auto lines = vlm::SplitLines(ShippedScaleDat());
  ASSERT_EQ(lines.size() % 2, 0u);
  ASSERT_GE(lines.size(), 80u);
  for (std::size_t i = 0; i < lines.size(); i += 2) {
    EXPECT_FALSE(lines[i].empty()) << "name line " << i;
    ASSERT_EQ(lines[i + 1].size(), 12u) << lines[i];
    EXPECT_EQ(lines[i + 1].find_first_not_of("0123456789A"), std::string::npos) << lines[i];
    EXPECT_EQ(lines[i + 1][0], 'A') << lines[i] << " weights its root fully";
  }
  EXPECT_TRUE(std::filesystem::exists(std::string(VLM_BIN_DIR) + "/Scale.dat"));
}

TEST_F(FormTest, MissingPresetFileWarnsAndKeepsTheStartWeights) {
  auto& f = Start(std::nullopt);
  EXPECT_EQ(warnings.warnings, std::vector<std::string>{"Scale.dat がありません。"});
  EXPECT_TRUE(f.cbScale.Items.empty());
  EXPECT_EQ(f.cbScale.ItemIndex(), -1);
  EXPECT_EQ(Weights(), Weights12(12, 100));
  f.btnRndScaleClick();
  f.btnScaleSetClick();
  EXPECT_EQ(f.cbScale.ItemIndex(), -1);
  EXPECT_EQ(Weights(), Weights12(12, 100));
}

TEST_F(FormTest, FewerThanThirtyTwoPresetsSelectNothing) {
  auto& f = Start(FourPresets);
  EXPECT_EQ(f.cbScale.Items, (std::vector<std::string>{"Zero", "Steps", "Bad", "Major"}));
  EXPECT_EQ(f.cbScale.ItemIndex(), -1);
  EXPECT_EQ(Weights(), Weights12(12, 100));
  f.cbKey.SetItemIndex(5);  // choosing a key with no preset selected changes nothing
  f.btnScaleSetClick();
  EXPECT_EQ(Weights(), Weights12(12, 100));
}

TEST_F(FormTest, ApplyingWithAKeyRotatesFromTheRoot) {
  auto& f = Start(FourPresets);
  f.cbScale.SetItemIndex(3);
  f.cbKey.SetItemIndex(2);  // D
  f.btnScaleSetClick();
  //                C   C#   D   D#   E   F  F#    G  G#    A  A#    B
  EXPECT_EQ(Weights(), (Weights12{0, 100, 100, 0, 100, 0, 100, 100, 0, 100, 0, 100}));

  f.cbScale.SetItemIndex(1);  // digits 0..9, A, A: above "A" would still store at most 100
  f.cbKey.SetItemIndex(0);
  f.btnScaleSetClick();
  EXPECT_EQ(Weights(), (Weights12{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 100}));
}

TEST_F(FormTest, KeyCSharpEqualsKeyCShiftedOnce) {
  auto& f = Start();
  for (int preset : {1, 16, 31}) {
    f.cbScale.SetItemIndex(preset);
    f.cbKey.SetItemIndex(0);
    f.btnScaleSetClick();
    f.btnShiftClick();
    const auto shifted = Weights();
    f.cbKey.SetItemIndex(1);
    f.btnScaleSetClick();
    EXPECT_EQ(Weights(), shifted) << "preset " << preset;
  }
}

TEST_F(FormTest, ShiftsRotateOneSemitoneAndTwelveRestore) {
  auto& f = Start(FourPresets);
  const Weights12 start{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  SetWeights(start);
  f.btnShiftClick();
  EXPECT_EQ(Weights(), (Weights12{12, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  f.btnShiftFlatClick();
  f.btnShiftFlatClick();
  EXPECT_EQ(Weights(), (Weights12{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1}));
  for (int i = 0; i < 11; ++i) f.btnShiftFlatClick();
  EXPECT_EQ(Weights(), (Weights12{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST_F(FormTest, BadDigitStopsWithTheConversionErrorHalfWay) {
  auto& f = Start(FourPresets);
  SetWeights(Weights12(12, 77));
  f.cbScale.SetItemIndex(2);  // "01Z000000000"
  f.btnScaleSetClick();
  EXPECT_EQ(platform.errors, std::vector<std::string>{"'$Z' is not a valid integer value"});
  EXPECT_EQ(Weights(), (Weights12{0, 10, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77}));
}

TEST_F(FormTest, ShortDigitsLineAndUnpairedNameAreHandled) {
  auto& f = Start("Short\r\nAA\r\nLonely\r\n");
  EXPECT_EQ(f.cbScale.Items.size(), 2u);
  f.cbScale.SetItemIndex(1);  // a name without digits: nothing happens
  f.btnScaleSetClick();
  EXPECT_TRUE(platform.errors.empty());
  EXPECT_EQ(Weights(), Weights12(12, 100));
  SetWeights(Weights12(12, 7));
  f.cbScale.SetItemIndex(0);  // "AA": the third digit is missing
  f.btnScaleSetClick();
  EXPECT_EQ(platform.errors, std::vector<std::string>{"'$' is not a valid integer value"});
  EXPECT_EQ(Weights(), (Weights12{100, 100, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7}));
}

TEST_F(FormTest, RandomPresetDrawsItsIndexFromTheGenerator) {
  auto& f = Start();
  const auto count = static_cast<std::int32_t>(f.cbScale.Items.size());
  for (std::uint32_t seed : {5u, 99u, 123456u}) {
    form->Rng.Seed = seed;
    Lcg lcg{seed};
    const std::int32_t expected = lcg.Next(count);
    f.btnRndScaleClick();
    EXPECT_EQ(f.cbScale.ItemIndex(), expected);
  }
}

TEST_F(FormTest, SaveScaleRoundTripsTensAndRewritesTheFile) {
  auto& f = Start(FourPresets);
  SetWeights({55, 100, 0, 9, 10, 99, 20, 30, 40, 50, 60, 71});
  platform.inputAnswer = "Mine";
  f.btnSaveScaleClick();
  EXPECT_EQ(platform.inputCalls, std::vector<std::string>{"スケールの名前を入力してください。|Save Scale|USER"});
  EXPECT_EQ(f.cbScale.Items.back(), "Mine");
  EXPECT_EQ(f.cbScale.ItemIndex(), 4);
  EXPECT_EQ(f.ScaleList.back(), "5A0019234567");
  // Selecting the new preset does not apply it.
  EXPECT_EQ(f.Scl(1).Position(), 55);
  EXPECT_EQ(*vlm::ReadFileBytes(Path("Scale.dat")), FourPresets + "Mine\r\n5A0019234567\r\n");

  f.btnScaleSetClick();
  EXPECT_EQ(Weights(), (Weights12{50, 100, 0, 0, 10, 90, 20, 30, 40, 50, 60, 70}));

  // A fresh start reads the saved preset back.
  form.reset();
  auto& again = Start(std::nullopt);
  EXPECT_EQ(again.cbScale.Items.back(), "Mine");
}

TEST_F(FormTest, SaveScaleWithAKeyTurnsAgainWhenApplied) {
  auto& f = Start(FourPresets);
  f.cbScale.SetItemIndex(3);
  f.cbKey.SetItemIndex(2);
  f.btnScaleSetClick();
  const auto inD = Weights();
  f.btnSaveScaleClick();  // Cancel: the proposal "USER" is saved
  EXPECT_EQ(f.cbScale.Items.back(), "USER");
  f.btnScaleSetClick();  // the saved weights, turned by D once more
  const auto turned = Weights();
  SetWeights(inD);
  f.btnShiftClick();
  f.btnShiftClick();
  EXPECT_EQ(turned, Weights());
}

TEST_F(FormTest, EmptyNameSavesNothing) {
  auto& f = Start(FourPresets);
  platform.inputAnswer = "";
  f.btnSaveScaleClick();
  EXPECT_EQ(f.cbScale.Items.size(), 4u);
  EXPECT_EQ(*vlm::ReadFileBytes(Path("Scale.dat")), FourPresets);
}

TEST_F(FormTest, SaveScaleKeepsPairsAlignedAfterATrailingName) {
  auto& f = Start("One\nAAAAAAAAAAAA\n\n");  // an empty last line reads as a name without digits
  ASSERT_EQ(f.cbScale.Items.size(), 2u);
  platform.inputAnswer = "Two";
  f.btnSaveScaleClick();
  EXPECT_EQ(f.ScaleList, (std::vector<std::string>{"One", "AAAAAAAAAAAA", "Two", "AAAAAAAAAAAA"}));
  EXPECT_EQ(f.cbScale.Items, (std::vector<std::string>{"One", "Two"}));
  EXPECT_EQ(f.cbScale.ItemIndex(), 1);
}

TEST_F(FormTest, FailedSaveSaysSoAndKeepsThePresetInMemory) {
  auto& f = Start(FourPresets);
  f.ScaleFileName = Path("no-such-dir/Scale.dat");
  platform.inputAnswer = "Kept";
  f.btnSaveScaleClick();
  ASSERT_EQ(platform.errors.size(), 1u);
  EXPECT_EQ(platform.errors[0].rfind("Cannot create file ", 0), 0u);
  EXPECT_EQ(f.cbScale.Items.back(), "Kept");
  EXPECT_EQ(*vlm::ReadFileBytes(Path("Scale.dat")), FourPresets);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1)
      << "no temporary file left behind";
}

TEST_F(FormTest, ShiftJisPresetNamesAreDecoded) {
  // "長音階" in code page 932, CR LF line ends, as the Windows program wrote it.
  auto& f = Start(std::string("\x92\xb7\x89\xb9\x8a\x4b\r\nA0A0AA0A0A0A\r\n"));
  ASSERT_EQ(f.cbScale.Items.size(), 1u);
  EXPECT_EQ(f.cbScale.Items[0], "長音階");
}

TEST_F(FormTest, OctaveGuardRaisesOnlyTheHighestOctave) {
  auto& f = Start();
  f.speOlow.SetValue(5);
  f.speOhigh.SetValue(2);
  EXPECT_EQ(f.speOhigh.Value(), 5);
  f.speOhigh.SetText("3");  // typed: raised as well
  EXPECT_EQ(f.speOhigh.Text(), "5");
  f.speOlow.SetValue(8);
  EXPECT_EQ(f.speOlow.Value(), 8);
  EXPECT_EQ(f.speOhigh.Value(), 5);
}

TEST_F(FormTest, VoiceNumberAndInstrumentListFollowEachOther) {
  auto& f = Start();
  f.seVoice.SetValue(40);
  EXPECT_EQ(f.cmbVoiceList.ItemIndex(), 40);
  EXPECT_STREQ(f.cmbVoiceList.Items[40].c_str(), "Violin");
  f.cmbVoiceList.SetItemIndex(73);
  f.cmbVoiceListClick();
  EXPECT_EQ(f.seVoice.Text(), "73");
  f.seVoice.SetText("flute");  // not a number: the field's minimum
  EXPECT_EQ(f.cmbVoiceList.ItemIndex(), 0);
  form->Rng.Seed = 77;
  Lcg lcg{77};
  f.lblVoiceRndClick();
  const std::int32_t expected = lcg.Next(128);
  EXPECT_EQ(f.seVoice.Value(), expected);
  EXPECT_EQ(f.cmbVoiceList.ItemIndex(), expected);
}

}  // namespace
}  // namespace vlmtest
