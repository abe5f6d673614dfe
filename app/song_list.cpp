#include <cstddef>
#include <optional>
#include <string>

#include "app/main_form.h"
#include "common/int_text.h"
#include "common/warning.h"

namespace vlm {

namespace {
// The most text a play list may join: thousands of times a long song, and
// little enough that a hand-made settings file (one long slot named many
// times) cannot exhaust memory.
constexpr std::size_t MaxSongTextBytes = std::size_t{16} << 20;

// The slot a play-list entry names, or nothing when it names none.
std::optional<int> SlotNumber(const std::string& entry) {
  const auto n = StrToInt(entry);
  if (!n || *n < 1 || *n > SongSlotCount) return std::nullopt;
  return *n;
}
}  // namespace

void TForm1::KeepSongForUndo() {
  SongState state;
  for (int k = 1; k <= SongSlotCount; ++k) state.Slots[static_cast<std::size_t>(k - 1)] = Slot(k);
  state.List = lstSong;
  songBeforeChange_ = std::move(state);
}

void TForm1::UndoSong1Click() {
  if (!songBeforeChange_) return;
  for (int k = 1; k <= SongSlotCount; ++k) Slot(k) = std::move(songBeforeChange_->Slots[static_cast<std::size_t>(k - 1)]);
  lstSong = std::move(songBeforeChange_->List);
  songBeforeChange_.reset();
}

void TForm1::Button1Click() {
  KeepSongForUndo();
  Slot(seCopyTo.ClampedValue()) = memPatten;
  Beep();
}

void TForm1::SongPBtnClick() {
  if (!StrToInt(editSong)) {
    platform_.ShowError("'" + editSong + "' is not a valid integer value");
    return;
  }
  if (SlotNumber(editSong))
    lstSong.push_back(editSong);
  else
    Beep();
  editSong.clear();
}

void TForm1::SongClearBtnClick() {
  KeepSongForUndo();
  lstSong.clear();
}

// Entries that name no slot (possible in a hand-edited settings file) are
// skipped. A song longer than MaxSongTextBytes is refused before it is
// joined. Song mode lasts for the one compile.
void TForm1::PlaySong1Click() { PlaySongSeeded(FreshSeed()); }

void TForm1::PlaySongSeeded(std::uint32_t compileSeed) {
  if (lstSong.empty()) {
    ShowWarning("No Song !");
    return;
  }
  std::size_t songBytes = 0;
  for (const auto& entry : lstSong)
    if (const auto k = SlotNumber(entry)) songBytes += Slot(*k).size();
  if (songBytes > MaxSongTextBytes) {
    ShowWarning("The song is too long: its play list joins " + std::to_string(songBytes >> 20) +
                " MiB of pattern text, more than the 16 MiB a song may have.");
    return;
  }
  SongMode = 1;
  SongText.clear();
  for (const auto& entry : lstSong)
    if (const auto k = SlotNumber(entry)) SongText += Slot(*k);
  DrawSeed.reset();
  CompileBase.Seed = compileSeed;
  Compile1Click();
  SongMode = 0;
  RecordPhrase("song", SongText);
  Play2Click();
  followLoop_ = false;  // its source is the song list's, which the loop does not follow
}

}  // namespace vlm
