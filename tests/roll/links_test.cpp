// The links between the roll and the text: a note to the text that made it,
// a caret to every note its text made (loops and macros included), the
// stretch of text a click selects, and the generator's steps of a phrase.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "compiler/mml_compiler.h"
#include "roll/phrase_steps.h"
#include "roll/roll_model.h"
#include "roll/text_span.h"

namespace {

using vlm::SourceOrigin;
using vlm::roll::RollModel;
using vlm::roll::StepMark;

RollModel CompileRoll(const std::string& text) {
  vlm::CompileOptions options;
  options.Seed = 1;
  options.SourceMap = true;
  const vlm::CompileResult result = vlm::CompileMmlText(text, options);
  EXPECT_EQ(result.ErrorLines, 0);
  return RollModel::FromMidi(result.MidiBytes, &*result.Map);
}

std::vector<int> PitchesOf(const RollModel& model, const std::vector<std::size_t>& notes) {
  std::vector<int> pitches;
  for (std::size_t i : notes) pitches.push_back(model.Notes()[i].Pitch);
  return pitches;
}

// Columns count from 1: in "l8 cde" the c is column 4; o4c is note 48.
TEST(RollLinks, EachNoteKnowsTheCommandThatMadeIt) {
  const RollModel model = CompileRoll("l8 o4 cde\n");
  ASSERT_EQ(model.Notes().size(), 3u);
  const SourceOrigin expected[] = {{0, 1, 7}, {0, 1, 8}, {0, 1, 9}};
  for (std::size_t i = 0; i < 3; ++i) {
    ASSERT_TRUE(model.Notes()[i].At.has_value());
    EXPECT_EQ(*model.Notes()[i].At, expected[i]);
  }
  EXPECT_EQ(PitchesOf(model, model.NotesMadeAt({0, 1, 8})), std::vector<int>({50}));
}

TEST(RollLinks, ACaretHighlightsEveryNoteItsTextMadeThroughLoopsAndMacros) {
  const RollModel model = CompileRoll("o4 l8 c\n[3 d e]\n_m(RIFF, \"f g\") RIFF o5 RIFF\n");
  // Just after the d of the loop (column 4 of line 2): the three d's.
  EXPECT_EQ(PitchesOf(model, model.NotesAtCaret({0, 2, 5})), std::vector<int>({50, 50, 50}));
  // Just before the e (no note command before the caret on that character).
  EXPECT_EQ(PitchesOf(model, model.NotesAtCaret({0, 2, 6})), std::vector<int>({52, 52, 52}));
  // Inside the first use of the macro word: its two notes, in octave 4.
  const std::string line3 = "_m(RIFF, \"f g\") RIFF o5 RIFF";
  const int firstUse = static_cast<int>(line3.find("RIFF", 10)) + 1;
  const int secondUse = static_cast<int>(line3.rfind("RIFF")) + 1;
  EXPECT_EQ(PitchesOf(model, model.NotesAtCaret({0, 3, firstUse + 2})), std::vector<int>({53, 55}));
  EXPECT_EQ(PitchesOf(model, model.NotesAtCaret({0, 3, secondUse + 2})), std::vector<int>({65, 67}));
  // On a line without notes, or in another file: nothing.
  EXPECT_TRUE(model.NotesAtCaret({0, 4, 1}).empty());
  EXPECT_TRUE(model.NotesAtCaret({1, 2, 5}).empty());
}

TEST(RollLinks, ACaretPrefersTheCharacterBeforeItThenAfterItThenTheNearestBefore) {
  const std::vector<SourceOrigin> origins = {{0, 1, 3}, {0, 1, 4}, {0, 1, 9}, {0, 0, 0}, {0, 1, 4}};
  EXPECT_EQ(vlm::roll::IndicesAtCaret(origins, {0, 1, 5}), std::vector<std::size_t>({1, 4}));  // after column 4
  EXPECT_EQ(vlm::roll::IndicesAtCaret(origins, {0, 1, 3}), std::vector<std::size_t>({0}));     // before column 3
  EXPECT_EQ(vlm::roll::IndicesAtCaret(origins, {0, 1, 8}), std::vector<std::size_t>({1, 4}));  // nearest before
  EXPECT_TRUE(vlm::roll::IndicesAtCaret(origins, {0, 1, 1}).empty());
  EXPECT_TRUE(vlm::roll::IndicesAtCaret(origins, {0, 0, 1}).empty());  // line 0 is no place
}

TEST(RollLinks, AClickSelectsTheWholeCommand) {
  using vlm::roll::CommandLengthAt;
  EXPECT_EQ(CommandLengthAt("o5c+8.d", 2), 4);            // c+8.
  EXPECT_EQ(CommandLengthAt("r16c", 0), 3);
  EXPECT_EQ(CommandLengthAt("ACB(0,64,,0,,0)c", 0), 15);   // the word and its arguments
  EXPECT_EQ(CommandLengthAt("ARP(c,(e),g) d", 0), 12);     // nested brackets
  EXPECT_EQ(CommandLengthAt("RIFF(c", 0), 6);              // unclosed: the rest of the line
  EXPECT_EQ(CommandLengthAt("あいc16", 2), 3);             // offsets in characters, not bytes
  EXPECT_EQ(CommandLengthAt("o5", 0), 1);
  EXPECT_EQ(CommandLengthAt("c", 1), 0);
  EXPECT_EQ(CommandLengthAt("c", -1), 0);
}

TEST(PhraseSteps, FindEachStepOfTheGeneratorsPatterns) {
  // Basic value 16, rhythm N r N ^: "l16o5q16cro4g^".
  const auto steps = vlm::roll::FindSteps("NrN^", 4, "l16o5q16cro4g^");
  ASSERT_TRUE(steps.has_value());
  ASSERT_EQ(steps->size(), 4u);
  const std::string pattern = "l16o5q16cro4g^";
  const char* texts[] = {"o5q16c", "r", "o4g", "^"};
  for (std::size_t i = 0; i < 4; ++i)
    EXPECT_EQ(pattern.substr((*steps)[i].Begin, (*steps)[i].End - (*steps)[i].Begin), texts[i]);
  // A split step before a chord: the chord's first note "e0" is no third split note.
  const std::string split = "l16o4q16c32d32e0f";
  const auto dw = vlm::roll::FindSteps("dW", 2, split);
  ASSERT_TRUE(dw.has_value());
  EXPECT_EQ(split.substr((*dw)[1].Begin), "e0f");
  // Three forty-eighths make a split step of a sixteenth; the rhythm repeats.
  EXPECT_TRUE(vlm::roll::FindSteps("d", 2, "l16c48d48e48f32g32").has_value());
  // Edited out of shape, or cut short: no steps.
  EXPECT_FALSE(vlm::roll::FindSteps("N", 1, "l16cd").has_value());
  EXPECT_FALSE(vlm::roll::FindSteps("NN", 2, "l16c").has_value());
  EXPECT_FALSE(vlm::roll::FindSteps("d", 1, "l16c32d48").has_value());
  EXPECT_FALSE(vlm::roll::FindSteps("", 1, "l16c").has_value());
}

// A phrase as the generator writes it (rhythm N m d B W ^ r, basic value 16),
// compiled inside the four-times loop the assembly puts it in.
TEST(PhraseSteps, NotesCarryTheirStepsMarkAsTheyWereCompiled) {
  const std::string pattern = "l16o5q16cq4do4q16e32f32ACB(0,64,,0,,0)go5a0b^r";
  vlm::CompileOptions options;
  options.Seed = 1;
  options.SourceMap = true;
  const vlm::CompileResult result = vlm::CompileMml({"BR=2", "[4 " + pattern + "]"}, options);
  ASSERT_EQ(result.ErrorLines, 0);
  RollModel model = RollModel::FromMidi(result.MidiBytes, &*result.Map);
  model.MarkSteps("NmdBW^r", 7, pattern, [](const SourceOrigin& at) { return at.Line == 2 ? at.Column - 4 : -1; });
  std::map<StepMark, int> counts;
  for (const auto& note : model.Notes()) ++counts[note.Mark];
  EXPECT_EQ(counts[StepMark::Note], 4);
  EXPECT_EQ(counts[StepMark::Muted], 4);
  EXPECT_EQ(counts[StepMark::Split], 8);
  EXPECT_EQ(counts[StepMark::BendUp], 4);
  EXPECT_EQ(counts[StepMark::Chord], 8);
  EXPECT_EQ(counts[StepMark::None], 0);
  const auto first = [&](StepMark mark) {
    return *std::find_if(model.Notes().begin(), model.Notes().end(), [&](const auto& n) { return n.Mark == mark; });
  };
  // The mute gate (4 of 16) sounds shorter than the normal gate; a split
  // note is a thirty-second; the chord's two notes start together and are tied.
  EXPECT_LT(first(StepMark::Muted).LengthTicks, first(StepMark::Note).LengthTicks);
  EXPECT_LE(first(StepMark::Split).LengthTicks, 12);
  const auto chord = std::find_if(model.Notes().begin(), model.Notes().end(), [](const auto& n) { return n.Mark == StepMark::Chord; });
  EXPECT_EQ(chord->StartTick, std::next(chord)->StartTick);
  EXPECT_EQ(chord->TiedSteps, 1);
  EXPECT_EQ(first(StepMark::Note).TiedSteps, 0);
  EXPECT_GE(first(StepMark::BendUp).BendCurve, 0);
}

}  // namespace
