#include <string>

#include "app/main_form.h"
#include "common/text_file.h"
#include "common/warning.h"

namespace vlm {

// Two draws of 16 bits: Random keeps only the high bits of the generator's
// state, which are the ones worth having.
std::uint32_t TForm1::FreshSeed() {
  const auto high = static_cast<std::uint32_t>(SeedSource.Random(0x10000));
  return (high << 16) | static_cast<std::uint32_t>(SeedSource.Random(0x10000));
}

std::uint32_t TForm1::NextDrawSeed() { return LockSeed && DrawSeed ? *DrawSeed : FreshSeed(); }

void TForm1::DrawSeeded(std::uint32_t seed, bool newRhythm) {
  Rng.Seed = seed;
  DrawSeed = seed;
  CompileBase.Seed = seed;
  if (newRhythm) MakeRythm1Click();
  MakePattern1Click();
}

void TForm1::PlaySeeded(std::uint32_t seed, bool newRhythm) {
  DrawSeeded(seed, newRhythm);
  Compile1Click();
  RecordPhrase(newRhythm ? "draw" : "redraw", memPatten);
  Play2Click();
}

// A store that cannot be written is told once in a box; later failures only
// in the status bar, so that every F5 does not bring a box.
void TForm1::RecordPhrase(const char* kind, const std::string& pattern) {
  if (!History) return;
  PhraseEntry entry;
  entry.Seed = DrawSeed;
  entry.CompileSeed = CompileBase.Seed.value_or(0);
  entry.Kind = kind;
  entry.Rhythm = memRythm;
  entry.Pattern = pattern;
  entry.Settings = SettingsText();
  entry.Time = UtcTimeText();
  const auto failure = History->Add(std::move(entry));
  if (!failure) return;
  if (historyFailed_) {
    platform_.ShowStatus(*failure);
  } else {
    historyFailed_ = true;
    platform_.ShowError(*failure);
  }
}

void TForm1::RestoreEntry(const PhraseEntry& entry, bool play) {
  memRythm = entry.Rhythm;
  memPatten = entry.Pattern;
  DrawSeed = entry.Seed;
  CompileBase.Seed = entry.CompileSeed;
  if (!play) return;
  Compile1Click();
  Play2Click();
}

// An entry without settings (written by hand) changes nothing.
void TForm1::RestoreEntrySettings(const PhraseEntry& entry) {
  if (!entry.Settings.empty()) ApplySettingsText(entry.Settings);
}

void TForm1::EntryToSlot(const PhraseEntry& entry) {
  KeepSongForUndo();
  Slot(seCopyTo.Value()) = entry.Pattern;
  Beep();
}

bool TForm1::ExportEntry(const PhraseEntry& entry, const std::string& fileName, bool asMml) {
  const std::string savedSettings = SettingsText();
  const auto savedSeed = CompileBase.Seed;
  const auto savedDrawSeed = DrawSeed;
  const std::string savedPhraseFile = PhraseFileName;
  std::optional<SongState> savedSongUndo = songBeforeChange_;  // the song is the same afterwards
  RestoreEntrySettings(entry);
  RestoreEntry(entry, false);
  bool written = true;
  if (asMml) {
    if (const auto failure = WriteFileAtomically(fileName, JoinLinesCrLf(AssembleSource()))) {
      platform_.ShowError(*failure);
      written = false;
    }
  } else {
    PhraseFileName = fileName;
    Compile1Click();
    PhraseFileName = savedPhraseFile;
  }
  ApplySettingsText(savedSettings);
  songBeforeChange_ = std::move(savedSongUndo);
  CompileBase.Seed = savedSeed;
  DrawSeed = savedDrawSeed;
  return written;
}

}  // namespace vlm
