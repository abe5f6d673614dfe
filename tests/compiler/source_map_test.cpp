// The source map: each note-on and each error traced back to the text the
// user wrote, through macros, loops, selections, includes and long lines.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/text_file.h"
#include "compiler/mml_compiler.h"
#include "compiler/origin_buffer.h"
#include "tests/support/compile_harness.h"
#include "tests/support/source_map_check.h"

namespace {

using vlm::SourceOrigin;

vlm::CompileResult Mapped(const std::string& Text, const std::string& IncludeDir = "") {
  vlm::CompileOptions options;
  options.Seed = 1;
  options.SourceMap = true;
  options.IncludeDirectory = IncludeDir;
  return vlm::CompileMmlText(Text, options);
}

// Line:column of every mapped note, in file order.
std::vector<std::string> Places(const vlm::CompileResult& Result) {
  std::vector<std::string> out;
  for (const auto& note : Result.Map->Notes)
    out.push_back(std::to_string(note.File) + ":" + std::to_string(note.Line) + ":" +
                  std::to_string(note.Column));
  return out;
}

using Strings = std::vector<std::string>;

TEST(SourceMap, OffByDefaultAndTheFileIsTheSameEitherWay) {
  const std::string text = "_m(ARP,\"?1 ?2 ?3 >?1<\")\n[2 ARP(c,e,g) c0e0g4 : /dfa/2 ]\nSEL(2,c,d) IF(~1=0,e,f)";
  vlm::CompileOptions off;
  off.Seed = 3;
  const vlm::CompileResult plain = vlm::CompileMmlText(text, off);
  EXPECT_FALSE(plain.Map.has_value());
  vlm::CompileOptions on = off;
  on.SourceMap = true;
  const vlm::CompileResult mapped = vlm::CompileMmlText(text, on);
  ASSERT_TRUE(mapped.Map.has_value());
  EXPECT_EQ(plain.MidiBytes, mapped.MidiBytes);
  EXPECT_EQ(plain.Messages, mapped.Messages);
  EXPECT_EQ(plain.Lines, mapped.Lines);
  EXPECT_EQ(static_cast<std::int64_t>(mapped.Map->Notes.size()), mapped.NoteCount);
}

TEST(SourceMap, PlainNotesChordsAndCodePointColumns) {
  // "あ" is three bytes and one column; a tab is one column.
  // Notes of one tick stand in the file as the store's sort put them.
  const auto result = Mapped("c d\n{あい}\te0g4\n/ceg/4");
  Strings notes;
  for (const auto& note : result.Map->Notes)
    notes.push_back(std::to_string(note.Tick) + " " + std::to_string(note.Note) + " " +
                    std::to_string(note.Line) + ":" + std::to_string(note.Column));
  std::sort(notes.begin(), notes.end());
  EXPECT_EQ(notes, (Strings{"0 48 1:1", "192 52 2:6", "192 55 2:8", "288 48 3:2", "288 52 3:3", "288 55 3:4",
                            "96 50 1:3"}));
}

TEST(SourceMap, MacroArgumentsKeepTheirPlaceAndGeneratedNotesMapToTheWord) {
  const auto result = Mapped("_m(ARP,\"?1 ?2 ?3 >?1<\") _m(X,\"c d\")\n  ARP(c,e,g) X");
  // The arguments' letters, then the repeated first argument (generated
  // after them) at the word, then X's own notes at X.
  EXPECT_EQ(Places(result), (Strings{"0:2:7", "0:2:9", "0:2:11", "0:2:3", "0:2:14", "0:2:14"}));
}

TEST(SourceMap, EveryLoopPassMapsToTheSameText) {
  const auto result = Mapped("_m(ARP,\"?1 ?2\")\n[3 ARP(c,g) : d ] e");
  Strings expected;
  for (int pass = 0; pass < 3; ++pass) {
    expected.push_back("0:2:8");
    expected.push_back("0:2:10");
    if (pass < 2) expected.push_back("0:2:15");
  }
  expected.push_back("0:2:19");
  EXPECT_EQ(Places(result), expected);
}

TEST(SourceMap, SelectionsAndConditionalsMapIntoTheChosenArgument) {
  const auto result = Mapped("~1=1\nSEL(2,c,d,e) IF(~1=1,f,g) IF(~1=2,a,b) DIV(4,c,d,e)");
  EXPECT_EQ(Places(result), (Strings{"0:2:9", "0:2:22", "0:2:37", "0:2:46", "0:2:48", "0:2:50"}));
}

TEST(SourceMap, LongLinesMapTheSameThroughLoopsAndSections) {
  // Past a few thousand bytes the line's stored copy is rebuilt from its
  // edits: the origins must be rebuilt with it.
  const std::string pad(5000, ' ');
  const auto result = Mapped("_m(ARP,\"?1 ?2\")\n_tr(0,1)" + pad + "[2 ARP(c,e) d] _tr(0)");
  const auto places = Places(result);
  ASSERT_EQ(places.size(), 12u);
  const int start = 9 + 5000;  // the column of "["
  const std::string c = "0:2:" + std::to_string(start + 7), e = "0:2:" + std::to_string(start + 9),
                    d = "0:2:" + std::to_string(start + 12);
  for (std::size_t track = 0; track < 2; ++track)
    EXPECT_EQ(Strings(places.begin() + 6 * track, places.begin() + 6 * track + 6), (Strings{c, e, d, c, e, d}));
}

TEST(SourceMap, IncludedNotesMapToTheIncludedFile) {
  const std::string dir = vlmtest::ScratchDir();
  std::ofstream(dir + "/part.vlm") << "; a part\n  e f\n";
  const auto result = Mapped("c\n#include \"part.vlm\"\ng", dir);
  ASSERT_EQ(result.Map->Files, (Strings{"", "part.vlm"}));
  EXPECT_EQ(Places(result), (Strings{"0:1:1", "1:2:3", "1:2:5", "0:3:1"}));
  std::filesystem::remove_all(dir);
}

TEST(SourceMap, ErrorsMapToWhereTheCompilerStood) {
  const auto result = Mapped("c d $\n_m(RIFF,\"c ` d\")\n  RIFF");
  ASSERT_EQ(result.ErrorLines, 2);
  ASSERT_EQ(result.Map->Errors.size(), 2u);
  EXPECT_EQ(result.Map->Errors[0], (SourceOrigin{0, 1, 5}));
  // The error lies in the macro's value: the word that brought it in.
  EXPECT_EQ(result.Map->Errors[1], (SourceOrigin{0, 3, 3}));
}

// A failure ends the compile without a file: the map has no notes, but the
// error lines given before it keep their places.
TEST(SourceMap, ACompileThatFailsStillTracesItsErrors) {
  const auto result = Mapped("c d $\ne f c99999999999");
  ASSERT_TRUE(result.Failed());
  ASSERT_TRUE(result.Map.has_value());
  EXPECT_TRUE(result.Map->Notes.empty());
  ASSERT_EQ(result.Map->Errors.size(), 1u);
  EXPECT_EQ(result.Map->Errors[0], (SourceOrigin{0, 1, 5}));
}

// Origins one by one, as the runs stand for them.
std::vector<SourceOrigin> Expanded(const vlm::OriginRuns& Runs) {
  std::vector<SourceOrigin> out;
  for (std::size_t i = 0; i < Runs.size(); ++i) out.push_back(Runs.At(i));
  return out;
}

vlm::OriginRuns RunsOf(const std::vector<SourceOrigin>& Origins) {
  vlm::OriginRuns runs;
  for (const SourceOrigin& origin : Origins) runs.Push(origin);
  return runs;
}

std::vector<SourceOrigin> Inherited(std::string_view Region, const std::vector<SourceOrigin>& RegionOrigins,
                                    const SourceOrigin& Fallback, std::string_view New) {
  vlm::OriginRuns out;
  vlm::InheritOrigins(Region, RunsOf(RegionOrigins), Fallback, New, out);
  return Expanded(out);
}

std::vector<SourceOrigin> Written(std::int32_t File, std::int32_t Line, std::string_view Text, SourceOrigin& End) {
  vlm::OriginRuns out;
  vlm::WrittenOrigins(File, Line, Text, out, End);
  return Expanded(out);
}

std::vector<SourceOrigin> Sliced(const vlm::OriginBuffer& Buffer, std::size_t From, std::size_t To) {
  vlm::OriginRuns out;
  Buffer.CopyTo(From, To, out);
  return Expanded(out);
}

TEST(SourceMap, GreedyMatchFollowsTheReplacedTextInOrder) {
  const std::string region = "ARP(c,e,g)";
  std::vector<SourceOrigin> origins;
  for (int i = 0; i < static_cast<int>(region.size()); ++i) origins.push_back({0, 1, 10 + i});
  const SourceOrigin command{0, 1, 99};
  const auto out = Inherited(region, origins, command, "{ARP}c e g >c<");
  const std::vector<int> columns = {99, 10, 11, 12, 99, 14, 99, 16, 99, 18, 99, 99, 99, 99};
  ASSERT_EQ(out.size(), columns.size());
  for (std::size_t i = 0; i < columns.size(); ++i) EXPECT_EQ(out[i].Column, columns[i]) << i;
  EXPECT_TRUE(Inherited("", {}, command, "cde") == std::vector<SourceOrigin>(3, command));
}

// Regions on either side of the short regions' limit (64 bytes), with bytes
// above 0x7F among few others, against a plain search for each byte from
// the place after the last match: a byte matched at the region's last place
// leaves nothing open to the bytes after it.
TEST(SourceMap, GreedyMatchIsThePlainSearchForEveryRegionLength) {
  std::mt19937 random(11);
  const std::string alphabet = "ab \x80\xE3(";
  for (const std::size_t length : {1u, 2u, 63u, 64u, 65u, 130u}) {
    for (int trial = 0; trial < 40; ++trial) {
      std::string region, text;
      for (std::size_t i = 0; i < length; ++i) region += alphabet[random() % alphabet.size()];
      for (std::size_t i = 0; i < 2 * length + 3; ++i) text += alphabet[random() % (alphabet.size() + 1)];
      if (trial % 4 == 0) text = region + "xa";
      std::vector<SourceOrigin> origins;
      for (std::size_t i = 0; i < length; ++i) origins.push_back({1, 3, static_cast<std::int32_t>(100 + i)});
      const SourceOrigin command{1, 3, 7};
      std::vector<SourceOrigin> expected;
      std::size_t next = 0;
      for (const char c : text) {
        const std::size_t found = next < region.size() ? region.find(c, next) : std::string::npos;
        if (found == std::string::npos) {
          expected.push_back(command);
        } else {
          expected.push_back(origins[found]);
          next = found + 1;
        }
      }
      ASSERT_TRUE(Inherited(region, origins, command, text) == expected) << length << " " << trial;
    }
  }
}

TEST(SourceMap, WrittenOriginsCountCodePoints) {
  // "あ" is three bytes on one column; a stray continuation byte at the start
  // is on column 1, as is the character after it.
  vlm::SourceOrigin end;
  const auto origins = Written(2, 7, "a\xE3\x81\x82" "b", end);
  std::vector<int> columns;
  for (const auto& origin : origins) columns.push_back(origin.Column);
  EXPECT_EQ(columns, (std::vector<int>{1, 2, 2, 2, 3}));
  EXPECT_EQ(origins.front(), (SourceOrigin{2, 7, 1}));
  EXPECT_EQ(end, (SourceOrigin{2, 7, 4}));
  const auto stray = Written(0, 1, "\x81x", end);
  EXPECT_EQ(stray, (std::vector<SourceOrigin>{{0, 1, 1}, {0, 1, 1}}));
  EXPECT_EQ(end, (SourceOrigin{0, 1, 2}));
  // Long ASCII stretches with one character of three bytes anywhere in them.
  for (int before = 0; before < 20; ++before) {
    const auto origins = Written(0, 1, std::string(static_cast<std::size_t>(before), 'a') + "\xE3\x81\x82" + std::string(17, 'b'), end);
    std::vector<int> expected;
    for (int k = 1; k <= before; ++k) expected.push_back(k);
    expected.insert(expected.end(), 3, before + 1);
    for (int k = 0; k < 17; ++k) expected.push_back(before + 2 + k);
    columns.clear();
    for (const auto& origin : origins) columns.push_back(origin.Column);
    EXPECT_EQ(columns, expected) << before;
    EXPECT_EQ(end.Column, before + 19);
  }
}

// Random edits of stepping, constant and mixed origins, checked byte by
// byte against a plain vector: splits and joins of runs must keep every origin.
// Each edit is looked up just before and just after it is made, so that a
// run remembered from before an edit would show.
TEST(SourceMap, OriginBufferEditsAgreeWithAPlainVector) {
  std::mt19937 random(5);
  vlm::SourceOrigin end;
  std::vector<SourceOrigin> model = Written(0, 1, "abcdef", end);
  vlm::OriginBuffer buffer;
  buffer.Assign(RunsOf(model), end);
  for (int step = 0; step < 3000; ++step) {
    const std::size_t at = random() % (model.size() + 1);
    const std::size_t count = std::min<std::size_t>(random() % 6, model.size() - at);
    std::vector<SourceOrigin> fresh;
    const int kind = static_cast<int>(random() % 3);
    const std::size_t length = random() % (step % 50 == 0 ? 90 : 8);
    for (std::size_t i = 0; i < length; ++i) {
      const int column = kind == 0 ? step + static_cast<int>(i) : kind == 1 ? step : static_cast<int>(random() % 4);
      fresh.push_back({0, 2 + kind, column});
    }
    if (at < model.size()) {
      ASSERT_EQ(buffer.At(at), model[at]) << step;
    }
    model.erase(model.begin() + static_cast<std::ptrdiff_t>(at), model.begin() + static_cast<std::ptrdiff_t>(at + count));
    model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), fresh.begin(), fresh.end());
    buffer.Replace(at, count, RunsOf(fresh));
    ASSERT_EQ(buffer.size(), model.size());
    for (std::size_t i = at; i < std::min(at + length + 2, model.size()); ++i)
      ASSERT_EQ(buffer.At(i), model[i]) << step << " " << i;
    if (step % 100 == 0) {
      ASSERT_TRUE(Sliced(buffer, 0, buffer.size()) == model) << step;
    }
    if (step % 700 == 0) {
      // Stored whole and packed, and loaded again, as a line left and come back to.
      std::string packed;
      buffer.Pack(packed);
      vlm::OriginRuns loaded;
      loaded.Unpack(packed);
      buffer.Assign(loaded, end);
    }
  }
  // Looked up out of order, so that the remembered run is no help.
  for (int probe = 0; probe < 500; ++probe) {
    const std::size_t i = random() % model.size();
    ASSERT_EQ(buffer.At(i), model[i]) << i;
  }
  EXPECT_EQ(buffer.At(model.size()), end);
  EXPECT_TRUE(Sliced(buffer, 0, buffer.size()) == model);
  EXPECT_TRUE(Sliced(buffer, 3, 9) == std::vector<SourceOrigin>(model.begin() + 3, model.begin() + 9));
  EXPECT_TRUE(Sliced(buffer, 9, 9).empty());
}

std::string PackedOf(const vlm::OriginRuns& Runs) {
  vlm::OriginBuffer buffer;
  buffer.Assign(Runs, {});
  std::string packed;
  buffer.Pack(packed);
  return packed;
}

// Packing keeps every byte's origin, the extreme numbers and runs of many
// bytes included, and an unpacked buffer is empty of what it held before.
TEST(SourceMap, PackedRunsGiveBackEveryOrigin) {
  constexpr std::int32_t most = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t least = std::numeric_limits<std::int32_t>::min();
  vlm::OriginRuns runs;
  runs.PushRun({0, 1, 1}, 1, 300);
  runs.PushRun({7, most, least}, 0, 2);
  runs.Push({most, 0, most});
  runs.PushRun({0, 3, 5}, 0, 100000);
  runs.Push({least, least, 0});
  runs.PushRun({2, 9, 40}, 1, 3);
  std::string packed = PackedOf(runs);
  vlm::OriginRuns loaded;
  loaded.PushRun({5, 5, 5}, 1, 17);
  loaded.Unpack(packed);
  ASSERT_EQ(loaded.size(), runs.size());
  EXPECT_EQ(loaded.Runs().size(), runs.Runs().size());
  EXPECT_TRUE(Expanded(loaded) == Expanded(runs));
  loaded.Unpack(PackedOf({}));
  EXPECT_TRUE(loaded.empty());
  // What a macro generates: runs of a byte or two near each other on one
  // line, each in three bytes (length, flags, column).
  vlm::OriginRuns generated;
  for (std::int32_t k = 0; k < 100; ++k) generated.PushRun({0, 40, k % 2 == 0 ? 10 + k % 7 : 3}, 0, 1 + k % 2);
  packed = PackedOf(generated);
  EXPECT_LE(packed.size(), 3 * generated.Runs().size() + 6);
  loaded.Unpack(packed);
  EXPECT_TRUE(Expanded(loaded) == Expanded(generated));
}

// Every note of the examples and of the reference's examples leads to the
// text that made it.
std::vector<std::string> ReferenceExamples() {
  std::ifstream in(std::string(VLM_SOURCE_DIR) + "/docs/mml.md");
  std::vector<std::string> examples;
  bool open = false;
  for (std::string line; std::getline(in, line);) {
    if (open && line.rfind("```", 0) == 0) {
      open = false;
    } else if (open) {
      examples.back() += line + "\n";
    } else if (line == "```vlm" || line == "```vlm-error") {
      examples.emplace_back();
      open = true;
    }
  }
  return examples;
}

TEST(SourceMap, EveryExampleNoteLeadsToItsText) {
  const std::string dir = vlmtest::ScratchDir();
  std::ofstream(dir + "/drums.vlm") << "_tr(9) CH=10 n36 n38 n36 n38\n_tr(0)\n";
  std::vector<std::string> sources = ReferenceExamples();
  ASSERT_GT(sources.size(), 20u);
  for (const auto& entry : std::filesystem::directory_iterator(std::string(VLM_SOURCE_DIR) + "/examples"))
    if (entry.path().extension() == ".vlm") sources.push_back(vlm::ReadTextFile(entry.path().string()).value());
  std::int64_t notes = 0;
  for (const std::string& source : sources) {
    const auto result = Mapped(source, dir);
    ASSERT_TRUE(result.Map.has_value()) << source;
    notes += static_cast<std::int64_t>(result.Map->Notes.size());
    EXPECT_EQ(result.Map->Errors.size(), static_cast<std::size_t>(result.ErrorLines));
    const auto wrong = vlmtest::WrongNoteOrigins(vlm::SplitLines(source), result, dir);
    EXPECT_TRUE(wrong.empty()) << source << "\n" << (wrong.empty() ? "" : wrong.front()) << "\n(" << wrong.size()
                               << " notes)";
  }
  EXPECT_GT(notes, 500);
  std::filesystem::remove_all(dir);
}

}  // namespace
