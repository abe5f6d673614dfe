#include <filesystem>
#include <string>
#include <system_error>

#include "app/main_form.h"
#include "common/tr_marker.h"

namespace vlm {

namespace {
// Status-bar note of a failed open after the first: the player's own text
// follows.
constexpr const char* kNoSoundStatus = QT_TRANSLATE_NOOP("Messages", "音が出ません: ");
constexpr const char* kEditQueuedStatus = QT_TRANSLATE_NOOP("Messages", "変更は次のループから鳴ります。");
constexpr const char* kEditFailedStatus =
    QT_TRANSLATE_NOOP("Messages", "変更にエラーがあります。ループは前のまま鳴ります。");
}  // namespace

// Closing first releases the file played before, so the freshly compiled
// file is read anew; a new play interrupts the phrase that is sounding.
void TForm1::Play2Click() {
  std::error_code ec;
  if (!player_ || !std::filesystem::exists(PhraseFileName, ec)) return;
  player_->Close();
  player_->SetFileName(PhraseFileName);
  try {
    player_->Open();
  } catch (const MediaError& e) {
    player_->Close();
    // A missing device stays missing: twenty F5 presses must not mean twenty boxes.
    if (playFailureShown_) {
      platform_.ShowStatus(platform_.Translate(kNoSoundStatus) + e.what());
    } else {
      playFailureShown_ = true;
      platform_.ShowError(e.what());
    }
    return;
  }
  player_->Play();
  followLoop_ = true;
  editedSource_.reset();
}

bool TForm1::FollowEditsInLoop() {
  if (!followLoop_ || !player_ || !player_->Looping() || player_->GetMode() != MediaPlayer::Mode::Playing ||
      player_->OpenedFile() != PhraseFileName)
    return false;
  std::vector<std::string> source = AssembleSource();
  if (source == LastSource || source != editedSource_) {
    editedSource_ = source == LastSource ? std::nullopt : std::optional(std::move(source));
    return false;
  }
  editedSource_.reset();
  CompileAssembled(false);
  if (messages_.MessageText().find("err(") != std::string::npos || !player_->QueueNextPass(PhraseFileName)) {
    platform_.ShowStatus(platform_.Translate(kEditFailedStatus));
    return true;
  }
  RecordPhrase("compile", memPatten);
  platform_.ShowStatus(platform_.Translate(kEditQueuedStatus));
  return true;
}

void TForm1::Stop1Click() {
  if (player_ && player_->GetMode() == MediaPlayer::Mode::Playing) player_->Stop();
}

void TForm1::MakePlay1Click() { PlaySeeded(NextDrawSeed(), true); }

void TForm1::PlayMakeP1Click() { PlaySeeded(NextDrawSeed(), false); }

// A pattern edited by hand is compiled unchanged; only an empty one is made anew.
// Draws made for an empty pattern come from the generator as it stands.
void TForm1::CompilePlay1Click() {
  if (memPatten.empty()) MakePattern1Click();
  DrawSeed.reset();
  CompileBase.Seed = FreshSeed();
  Compile1Click();
  RecordPhrase("compile", memPatten);
  Play2Click();
}

}  // namespace vlm
