// --png of vlmc and vorlumi3-cli: a PNG file of the documented size whose
// pixels show the notes where midicsv places them, and no toolkit loaded by
// a run that asks for no picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/text_file.h"
#include "tests/cli/png_reading.h"
#include "tests/support/compile_harness.h"
#include "tests/support/run_command.h"

namespace vlmtest {
namespace {

// The picture's scale as the manual gives it.
constexpr double PixelsPerQuarter = 48, RowPixels = 10, MarginPixels = 40;

struct Note {
  long tick, length;
  int pitch;
};

// Notes and the last tick of a MIDI file, as midicsv lists them.
struct CsvSong {
  int timebase = 0;
  long endTick = 0;
  std::vector<Note> notes;
};

CsvSong ReadSong(const std::string& dir, const std::string& midi) {
  CsvSong song;
  std::istringstream lines(RunCommand(dir, "midicsv " + midi).out);
  std::vector<std::pair<long, int>> open;
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> f;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, ',');) f.push_back(field.substr(field.find_first_not_of(' ')));
    if (f.size() < 3) continue;
    const long tick = std::stol(f[1]);
    if (f[2] == "Header") song.timebase = std::stoi(f[5]);
    if (f[2] == "End_track") song.endTick = std::max(song.endTick, tick);
    const bool on = f[2] == "Note_on_c" && std::stoi(f[5]) > 0;
    if (on) open.push_back({tick, std::stoi(f[4])});
    if (!on && (f[2] == "Note_on_c" || f[2] == "Note_off_c")) {
      const int pitch = std::stoi(f[4]);
      const auto it = std::find_if(open.begin(), open.end(), [&](auto& o) { return o.second == pitch; });
      if (it != open.end()) {
        song.notes.push_back({it->first, tick - it->first, pitch});
        open.erase(it);
      }
    }
  }
  return song;
}

bool Coloured(const PngImage::Pixel& p) { return std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b}) > 60; }

// Checks the picture against the song: its size, a track colour along most
// of every note's middle row (a bend's line may cross it), and plain rows
// where no note sounds.
void CheckPicture(const PngImage& image, const CsvSong& song) {
  ASSERT_TRUE(image.error.empty()) << image.error;
  ASSERT_FALSE(song.notes.empty());
  const auto [low, high] = std::minmax_element(song.notes.begin(), song.notes.end(),
                                               [](const Note& a, const Note& b) { return a.pitch < b.pitch; });
  const int top = high->pitch + 2, bottom = low->pitch - 2;
  const double perTick = PixelsPerQuarter / song.timebase;
  EXPECT_EQ(image.height, (top - bottom + 1) * RowPixels);
  EXPECT_EQ(image.width, std::max(320, static_cast<int>(std::ceil(MarginPixels + (song.endTick + song.timebase) * perTick))));
  for (const Note& note : song.notes) {
    const int from = static_cast<int>(std::ceil(MarginPixels + note.tick * perTick));
    const int to = static_cast<int>(MarginPixels + (note.tick + note.length) * perTick);
    const int y = static_cast<int>((top - note.pitch) * RowPixels + RowPixels / 2);
    int coloured = 0;
    for (int x = from; x < to; ++x) coloured += Coloured(image.At(x, y));
    EXPECT_GE(coloured * 2, to - from) << "note " << note.pitch << " at " << note.tick;
  }
  // The spare row above the highest note holds no note.
  for (int x = static_cast<int>(MarginPixels) + 2; x < image.width; x += 7)
    EXPECT_FALSE(Coloured(image.At(x, RowPixels / 2))) << x;
}

class PngOutput : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string dir = ScratchDir();
  CommandRun Run(const std::string& program, const std::string& args, const std::string& environment = "") {
    return RunCommand(dir, environment + "'" + std::string(VLM_BIN_DIR) + "/" + program + "' " + args);
  }
};

TEST_F(PngOutput, VlmcDrawsTheRollOfWhatItCompiled) {
  std::ofstream(dir + "/tune.vlm") << "t120 o4 l4 c e8 g8 r4 c2\n_tr(1) CH=2 o5 l8 c d e f g a b\n";
  const CommandRun run = Run("vlmc", "tune.vlm -q --png tune.png");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  const auto bytes = vlm::ReadFileBytes(dir + "/tune.png");
  ASSERT_TRUE(bytes.has_value());
  CheckPicture(ReadPng(*bytes), ReadSong(dir, "tune.mid"));
}

// Plain notes: no step draws a mark over its note.
TEST_F(PngOutput, Vorlumi3CliDrawsItsPhrase) {
  const CommandRun run =
      Run("vorlumi3-cli", "--seed 11 --rhythm NNNNrNNNNNNNrNNN -q --out phrase.mid --png phrase.png");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto bytes = vlm::ReadFileBytes(dir + "/phrase.png");
  ASSERT_TRUE(bytes.has_value());
  CheckPicture(ReadPng(*bytes), ReadSong(dir, "phrase.mid"));
}

// The steps are marked as the window marks them: a chord step puts a dark
// diamond on the start of each of its notes, which a plain step does not.
TEST_F(PngOutput, Vorlumi3CliMarksTheStepsOfItsPhrase) {
  const auto diamonds = [&](const std::string& rhythm) {
    const CommandRun run = Run("vorlumi3-cli", "--seed 5 --rhythm " + rhythm + " -q --out p.mid --png p.png");
    EXPECT_EQ(run.status, 0) << run.err;
    const PngImage image = ReadPng(vlm::ReadFileBytes(dir + "/p.png").value_or(""));
    const CsvSong song = ReadSong(dir, "p.mid");
    EXPECT_TRUE(image.error.empty()) << image.error;
    EXPECT_FALSE(song.notes.empty());
    const int top = std::max_element(song.notes.begin(), song.notes.end(), [](const Note& a, const Note& b) {
                      return a.pitch < b.pitch;
                    })->pitch + 2;
    int marked = 0;
    for (const Note& note : song.notes) {
      const int x = static_cast<int>(MarginPixels + note.tick * PixelsPerQuarter / song.timebase);
      const int y = static_cast<int>((top - note.pitch) * RowPixels + RowPixels / 2);
      bool dark = false;
      for (int dx = -3; dx <= 0; ++dx) {
        const PngImage::Pixel p = image.At(x + dx, y);
        dark = dark || std::max({p.r, p.g, p.b}) < 0x40;
      }
      marked += dark;
    }
    return std::pair<int, std::size_t>(marked, song.notes.size());
  };
  const auto [chordMarks, chordNotes] = diamonds("WWWWWWWWWWWWWWWW");
  EXPECT_EQ(chordNotes, 16u * 2 * 4) << "two notes a step, the phrase played four times";
  EXPECT_EQ(static_cast<std::size_t>(chordMarks), chordNotes);
  EXPECT_EQ(diamonds("NNNNNNNNNNNNNNNN").first, 0);
}

// The dynamic loader's own log says which libraries a run loaded.
TEST_F(PngOutput, OnlyARunThatDrawsLoadsTheToolkit) {
  std::ofstream(dir + "/tune.vlm") << "c d e\n";
  const CommandRun plain = Run("vlmc", "tune.vlm -q", "LD_DEBUG=libs ");
  ASSERT_EQ(plain.status, 0);
  EXPECT_EQ(plain.err.find("libQt6Gui"), std::string::npos);
  const CommandRun drawing = Run("vlmc", "tune.vlm -q --png tune.png", "LD_DEBUG=libs ");
  ASSERT_EQ(drawing.status, 0);
  EXPECT_NE(drawing.err.find("libQt6Gui"), std::string::npos);
}

TEST_F(PngOutput, APictureMayNotReplaceTheSourceOrTheMidiFile) {
  std::ofstream(dir + "/tune.vlm") << "c d e\n";
  EXPECT_EQ(Run("vlmc", "tune.vlm --png tune.vlm").status, 2);
  EXPECT_EQ(Run("vlmc", "tune.vlm -o out.mid --png out.mid").status, 2);
  EXPECT_EQ(Run("vorlumi3-cli", "--out x.mid --png x.mid").status, 2);
  EXPECT_EQ(Run("vlmc", "tune.vlm --png=").status, 2);
  EXPECT_FALSE(std::filesystem::exists(dir + "/out.mid"));
}

}  // namespace
}  // namespace vlmtest
