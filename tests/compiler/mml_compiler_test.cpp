// The compiler's one way in: what a result holds, checked against the
// strict reader of the tests, and what one compiler keeps between compiles.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/random.h"
#include "compiler/mml_compiler.h"
#include "tests/support/compile_harness.h"
#include "tests/support/smf_dump.h"

namespace {

using Lines = std::vector<std::string>;

vlmtest::SmfFile Parse(const std::string& bytes) {
  return vlmtest::ParseSmf(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

// Note-ons (velocity above 0) of a track as "time:key:velocity".
Lines NoteOns(const vlmtest::SmfFile& file, std::size_t track = 0) {
  Lines notes;
  for (const auto& e : file.tracks.at(track))
    if ((e.bytes[0] & 0xF0) == 0x90 && e.bytes[2] != 0)
      notes.push_back(std::to_string(e.time) + ":" + std::to_string(e.bytes[1]) + ":" + std::to_string(e.bytes[2]));
  return notes;
}

vlm::CompileOptions Seeded(std::uint32_t seed) {
  vlm::CompileOptions options;
  options.Seed = seed;
  return options;
}

struct ScratchDir {
  std::string path = vlmtest::ScratchDir();
  ~ScratchDir() { std::filesystem::remove_all(path); }
};

// ---- the result ----

TEST(MmlCompiler, ResultHoldsMessagesLinesFileAndCountsThatAgreeWithAReader) {
  const vlm::CompileResult r = vlm::CompileMmlText("t120 o4 l4\nc d e\n2 _tr(1) g0>c\n", Seeded(1));
  ASSERT_FALSE(r.Failed()) << *r.Failure;
  ASSERT_EQ(r.Messages.size(), 3u);
  EXPECT_EQ(r.Messages.front(), "Compile Start");
  EXPECT_EQ(r.Messages[1].rfind("err(2)\"2\"", 0), 0u) << r.Messages[1];  // a digit has no handler
  EXPECT_EQ(r.Messages.back(), "ok");
  EXPECT_EQ(r.ErrorLines, 1);
  EXPECT_TRUE(r.HasErrors());
  EXPECT_EQ(r.Lines, (Lines{"t120 o4 l4", "c d e", "2 _tr(1) g0>c"}));

  const vlmtest::SmfFile file = Parse(r.MidiBytes);
  ASSERT_TRUE(file.valid) << file.error;
  EXPECT_EQ(file.division, 96);
  ASSERT_EQ(file.tracks.size(), 2u);
  EXPECT_EQ(NoteOns(file, 0), (Lines{"0:48:100", "96:50:100", "192:52:100"}));
  Lines chord = NoteOns(file, 1);
  std::sort(chord.begin(), chord.end());  // equal times: the order is the sort's
  EXPECT_EQ(chord, (Lines{"0:55:100", "0:60:100"}));
  std::int64_t events = 0, last = 0;
  for (const auto& track : file.tracks) {
    events += static_cast<std::int64_t>(track.size());
    for (const auto& e : track) last = std::max(last, e.time);
  }
  EXPECT_EQ(r.EventCount, events);
  EXPECT_EQ(r.NoteCount, 5);
  EXPECT_EQ(r.TickCount, last);
  EXPECT_EQ(r.TickCount, 192 + 84 - 1);  // the last note-off: gate 14/16 of 96, a tick early
}

TEST(MmlCompiler, EmptySourceGivesAnEmptyButValidFile) {
  const vlm::CompileResult r = vlm::CompileMml({});
  EXPECT_EQ(r.Messages, (Lines{"Compile Start", "ok"}));
  EXPECT_TRUE(r.Lines.empty());
  EXPECT_EQ(r.EventCount, 0);
  EXPECT_EQ(r.NoteCount, 0);
  EXPECT_EQ(r.TickCount, 0);
  const vlmtest::SmfFile file = Parse(r.MidiBytes);
  ASSERT_TRUE(file.valid) << file.error;
  EXPECT_TRUE(file.tracks.empty());
}

TEST(MmlCompiler, TextIsSplitAtEveryKindOfLineEnd) {
  const vlm::CompileResult r = vlm::CompileMmlText(";a\r\n;b\r;c\n;d", {});
  EXPECT_EQ(r.Lines, (Lines{";a", ";b", ";c", ";d"}));
  EXPECT_EQ(r.ErrorLines, 0);
}

TEST(MmlCompiler, TheTenthErrorStopsAndLeavesTheBlankEntry) {
  const vlm::CompileResult r = vlm::CompileMmlText("}}}}}}}}}} c\nc\n", {});
  EXPECT_EQ(r.ErrorLines, 10);
  EXPECT_EQ(r.Lines, (Lines{"}}}}}}}}}} c", "c", " "}));
  EXPECT_EQ(r.NoteCount, 0);
  EXPECT_EQ(r.Messages.back(), "ok");
}

// ---- options ----

TEST(MmlCompiler, TheSeedOptionFixesTheCompilersDraws) {
  const std::string source = "RNDV(10) c c c c c c c c c c c c c c c c";
  const vlm::CompileResult a = vlm::CompileMmlText(source, Seeded(42));
  const vlm::CompileResult b = vlm::CompileMmlText(source, Seeded(42));
  const vlm::CompileResult c = vlm::CompileMmlText(source, Seeded(43));
  EXPECT_EQ(a.MidiBytes, b.MidiBytes);
  EXPECT_NE(a.MidiBytes, c.MidiBytes);
  // Each note draws its velocity first, then its timing and one bend.
  vlm::RandomGenerator g{42};
  const int velocity = 100 + g.Random(20) - 10;
  const Lines notes = NoteOns(Parse(a.MidiBytes));
  ASSERT_EQ(notes.size(), 16u);
  EXPECT_EQ(notes[0], "0:48:" + std::to_string(velocity));
}

TEST(MmlCompiler, AnOutputFileIsWrittenInsteadOfReturned) {
  const ScratchDir dir;
  vlm::CompileOptions options = Seeded(7);
  options.OutputFile = dir.path + "/out.mid";
  const vlm::CompileResult written = vlm::CompileMmlText("RNDN(5) c d e", options);
  const vlm::CompileResult kept = vlm::CompileMmlText("RNDN(5) c d e", Seeded(7));
  EXPECT_TRUE(written.MidiBytes.empty());
  const auto bytes = vlmtest::ReadFileBytes(options.OutputFile);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), kept.MidiBytes);
  EXPECT_EQ(written.Messages, kept.Messages);
  EXPECT_EQ(written.EventCount, kept.EventCount);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1) << "no temporary file left";
}

TEST(MmlCompiler, IncludesAreReadFromTheGivenDirectory) {
  const ScratchDir dir;
  std::ofstream(dir.path + "/part.vlm") << "e f\n";
  vlm::CompileOptions options;
  options.IncludeDirectory = dir.path;
  const vlm::CompileResult r = vlm::CompileMmlText("c #include \"part.vlm\" d", options);
  EXPECT_EQ(r.ErrorLines, 0) << r.Messages[1];
  EXPECT_EQ(r.NoteCount, 4);
  EXPECT_NE(std::find(r.Messages.begin(), r.Messages.end(), "include = part.vlm"), r.Messages.end());
  // An absolute name is read where it says.
  options.IncludeDirectory = "/nonexistent-directory";
  EXPECT_EQ(vlm::CompileMmlText("#include \"" + dir.path + "/part.vlm\"", options).NoteCount, 2);
  // Without the directory the name is looked for here, where it is not.
  EXPECT_EQ(vlm::CompileMmlText("#include \"part.vlm\"", {}).ErrorLines, 1);
}

TEST(MmlCompiler, WorkBoundsEndARunawaySourceWithAnErrorLine) {
  vlm::CompileOptions options;
  options.MaxCompileSteps = 1000;
  const vlm::CompileResult r = vlm::CompileMmlText("[2147483647 c ]", options);
  ASSERT_FALSE(r.Failed());
  ASSERT_EQ(r.ErrorLines, 2);  // the bound, then the loop it left open
  EXPECT_NE(r.Messages[1].find("処理が多すぎる"), std::string::npos) << r.Messages[1];
  EXPECT_NE(r.Messages[2].find("] が1つ足りません"), std::string::npos) << r.Messages[2];
  EXPECT_LE(r.NoteCount, 1000);
}

// ---- failures ----

TEST(MmlCompiler, AFailureEndsTheCompileAndIsReturnedWithTheMessagesSoFar) {
  const ScratchDir dir;
  vlm::CompileOptions options;
  options.OutputFile = dir.path + "/out.mid";
  const vlm::CompileResult r = vlm::CompileMmlText("}\nc99999999999", options);
  ASSERT_TRUE(r.Failed());
  EXPECT_NE(r.Failure->find("99999999999"), std::string::npos) << *r.Failure;
  ASSERT_EQ(r.Messages.size(), 2u);  // Compile Start and the "}" error, no "ok"
  EXPECT_EQ(r.ErrorLines, 1);
  EXPECT_FALSE(std::filesystem::exists(options.OutputFile));
  EXPECT_EQ(r.Lines, (Lines{"}", "c99999999999"}));

  options.OutputFile = dir.path + "/missing/out.mid";
  const vlm::CompileResult unwritable = vlm::CompileMmlText("c", options);
  ASSERT_TRUE(unwritable.Failed());
  EXPECT_NE(unwritable.Failure->find(options.OutputFile), std::string::npos) << *unwritable.Failure;
}

// ---- one compiler, many compiles ----

TEST(MmlCompiler, ACompilerKeepsVariablesButResetsTheRest) {
  vlm::MmlCompiler compiler;
  const vlm::CompileResult first = compiler.CompileText("~7=33 o6 l8 v90 _tr(2) c", Seeded(1));
  ASSERT_EQ(first.ErrorLines, 0) << first.Messages[1];
  const vlm::CompileResult second = compiler.CompileText("v~7 c", Seeded(1));
  ASSERT_EQ(second.ErrorLines, 0) << second.Messages[1];
  const vlmtest::SmfFile file = Parse(second.MidiBytes);
  ASSERT_TRUE(file.valid) << file.error;
  ASSERT_EQ(file.tracks.size(), 1u);  // the track of the first compile is gone
  // Octave 4 and a quarter note again, with the velocity the variable kept.
  EXPECT_EQ(NoteOns(file), (Lines{"0:48:33"}));
  EXPECT_EQ(second.TickCount, 84 - 1);
  EXPECT_EQ(second.Messages, (Lines{"Compile Start", "ok"}));
  // On a fresh compiler the variable is 0: the note sounds at velocity 0.
  EXPECT_TRUE(NoteOns(Parse(vlm::CompileMmlText("v~7 c", Seeded(1)).MidiBytes)).empty());
}

}  // namespace
