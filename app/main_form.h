#pragma once
// The main window's model: every setting of the phrase generator under the
// name of its control, the generator's working state, and the handlers of
// the window's commands. The desktop program binds its widgets to the fields
// and calls the handlers (a choice in cbScale or cbKey runs btnScaleSetClick,
// Enter in editSong runs SongPBtnClick); the command-line tool drives the
// same handlers without windows. Nothing here knows the toolkit.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/phrase_history.h"
#include "msgview/msg_view.h"
#include "common/controls.h"
#include "common/media_player.h"
#include "common/platform.h"
#include "common/random.h"
#include "compiler/mml_compiler.h"
#include "voice/voice_editor.h"

namespace vlm {

constexpr int SongSlotCount = 30;      // song slots 1..30
constexpr int NoteNameCount = 13;      // Notes entries 0..12: the rest and the twelve pitch classes
constexpr const char* PhraseFileBaseName = "vorlumi3.mid";  // the one spelling of the phrase file
constexpr const char* ScaleFileBaseName = "Scale.dat";

class TForm1 {
 public:
  // platform and messages must outlive the form; player may be null (the play
  // commands then compile and sound nothing) and may be set later.
  TForm1(Platform& platform, TfrmMsg& messages, MediaPlayer* player = nullptr);
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;
  ~TForm1();

  // ---- scale page ("ScaleTab") ----
  ChoiceList cbScale;               // preset names; choosing one applies it
  ChoiceList cbKey;                 // "C".."B"; choosing one re-applies the preset
  ScrollBar scl1{0, 100, 100}, scl2{0, 100, 100}, scl3{0, 100, 100};  // weights of C, C#, D
  ScrollBar scl4{0, 100, 100}, scl5{0, 100, 100}, scl6{0, 100, 100};  // D#, E, F
  ScrollBar scl7{0, 100, 100}, scl8{0, 100, 100}, scl9{0, 100, 100};  // F#, G, G#
  ScrollBar sclA{0, 100, 100}, sclB{0, 100, 100}, sclC{0, 100, 100};  // A, A#, B

  // ---- rhythm page ("RythmTab") ----
  std::string memRythm = "NNNNNNNNNNNNNNNN";  // the rhythm, one symbol per step
  ScrollBar ryt1{2, 100, 80};  // weight of "N"; never below 2, so every draw ends
  ScrollBar ryt2{0, 100, 10};  // "r"
  ScrollBar ryt3{0, 100, 60};  // "^"
  ScrollBar ryt4{0, 100, 20};  // "m"
  ScrollBar ryt5{0, 100, 8};   // "d"
  ScrollBar ryt6{0, 100, 8};   // "B"
  ScrollBar ryt7{0, 100, 8};   // "W"
  ScrollBar GateNormal{1, 32, 16};  // gate of normally sounded notes
  ScrollBar GateMute{1, 32, 4};     // gate of muted notes
  std::string memPatten;            // the pattern: the phrase's notes in MML

  // ---- basic page ("BasicTab") ----
  NumericSetting speOnpu{1, 128, 16};    // basic note value (16 = sixteenths)
  NumericSetting speLength{1, 128, 16};  // steps in a pattern
  NumericSetting speOlow{0, 9, 4};       // lowest octave
  NumericSetting speOhigh{0, 9, 6};      // highest octave
  NumericSetting seTempo{20, 999, 120};  // tempo
  NumericSetting seVoice{0, 127, 0};     // program number
  ChoiceList cmbVoiceList;               // instrument names; follows seVoice
  NumericSetting seVel{0, 127, 100};     // note velocity
  std::string memOption;                 // option text; its first line goes into the MML
  bool chkRndVel = false;                // "RNDV"
  NumericSetting seRndVal{1, 127, 10};
  bool chkRNDN = false;                  // "RNDN"
  NumericSetting seRNDN{1, 127, 3};
  bool chkRNDB = false;                  // "RNDB"
  NumericSetting seRNDB{1, 127, 10};
  NumericSetting edtBendRange{0, 24, 2};  // pitch-bend range

  // ---- song page ("SongTab") ----
  NumericSetting seCopyTo{1, SongSlotCount, 1};  // slot "コピーする" writes
  std::vector<std::string> lstSong;              // play list: slot numbers as typed
  std::string editSong;                          // the next play-list entry
  bool chkRepeat = true;                         // "x4 Repeat"

  // ---- private fields of the window, in the design's order ----
  std::unique_ptr<MmlCompiler> Compiler;  // the compiler, created at start-up
  CompileOptions CompileBase;             // what every compile starts from (its work bounds)
  std::vector<std::string> ScaleList; // every line of the preset file, plus presets saved since
  std::int32_t LastOctave = -1;       // octave last written into the pattern, -1 none
  std::int32_t LastGate = -1;         // gate last written into the pattern, -1 none
  std::int32_t SongMode = 0;          // 1: the assembly uses SongText instead of the pattern
  std::string SongText;               // the joined slot texts of the play list
  std::string MmlFileName;            // pending MML export, empty when none
  std::array<std::string, NoteNameCount + SongSlotCount> Notes;  // note names, then slots 1..30

  // ---- outside the window's fields ----
  std::string Title;           // application title, set at start-up
  std::string PhraseFileName;  // where every compile writes; AppPath + "vorlumi3.mid"
  std::string ScaleFileName;   // the preset file; AppPath + "Scale.dat"
  std::vector<std::string> LastSource;  // the line list of the last assembly, for display
  std::vector<std::string> CompiledLines;  // the source as the last compile left it
  // Where each error line of the last compile lies in the pattern, as a
  // code point offset into memPatten; -1 when it lies elsewhere.
  std::vector<std::int32_t> PatternErrorOffsets;
  // Where each note of the last phrase compiled came from; none after a song
  // or a file was compiled.
  std::optional<SourceMap> LastMap;
  // The window selects the code point at Offset of the pattern box.
  std::function<void(std::int32_t Offset)> SelectInPattern;
  // The offset in memPatten of Origin in the source Lines assembled from it,
  // -1 when it lies outside the pattern.
  std::int32_t PatternOffsetOf(const std::vector<std::string>& Lines, const SourceOrigin& Origin) const;
  // The pattern as the last compile of a phrase read it (the last source
  // line inside "[4 " .. "]"); empty after a song or without a compile.
  std::string CompiledPattern() const;
  // The generator of the rhythm, the pattern and the voice editor's "Rnd"
  // buttons; seeded from the clock at start-up. The compiler draws from its
  // own, so compiling never moves this one.
  RandomGenerator Rng;
  TfrmVEdit Voice;           // the voice editor window's model; draws from Rng

  // Weights by control name ("scl1".."sclC", "ryt1".."ryt7"); nullptr for any other name.
  ScrollBar* FindWeight(const std::string& name);
  ScrollBar& Scl(int pitchClass);  // 1..12 (C..B), the bar named "scl" + one hex digit
  ScrollBar& Ryt(int symbol);      // 1..7, the bar named "ryt" + the number
  std::string& Slot(int k);        // song slot k (1..30), entry 12 + k of Notes

  // Renders a MIDI file to a WAV file through the synthesizer the player
  // sounds with; the reason when it could not. Unset where there is no
  // synthesizer: then there is no WAV export.
  std::function<std::optional<std::string>(const std::string& MidiFile, const std::string& WavFile)> RenderWav;

  // Told the name of each settings file opened or saved, for a list of
  // recent files.
  std::function<void(const std::string& FileName)> SettingsFileUsed;

  void SetMediaPlayer(MediaPlayer* player) { player_ = player; }
  MediaPlayer* Player() const { return player_; }  // may be null

  // ---- start-up and change handlers (main_form.cpp) ----
  void FormCreate();
  void speOhighChange();
  void seVoiceChange();
  void cmbVoiceListClick();
  void lblVoiceRndClick();
  void GateNormalChange();
  void GateMuteChange();

  // ---- scale model (scale_model.cpp) ----
  void LoadScaleFile();
  void btnScaleSetClick();
  void btnShiftClick();
  void btnShiftFlatClick();
  void btnRndScaleClick();
  void btnSaveScaleClick();

  // ---- rhythm (rhythm.cpp) ----
  void MakeRythm1Click();
  void btnRythmRndClick();

  // ---- pitch pattern (pattern.cpp) ----
  void MakePattern1Click();
  std::int32_t RetNoteNo();
  std::string MakeNote();
  std::string MakeMuteNote();
  std::string MakeDivNote();

  // ---- assembly (assembly.cpp) ----
  // The MML source lines of the current settings, in order; runs MakeVoiceMML.
  std::vector<std::string> AssembleSource();
  void Compile1Click();

  // ---- playback (playback.cpp) ----
  // A player that cannot open (no audio device) is told in a message box
  // once per run; later failures only leave a note in the status bar.
  void Play2Click();
  void Stop1Click();
  // While a phrase plays in a loop, an edit of anything its source is made
  // of (pattern, tempo, voice, ...) is compiled, recorded in the history and
  // heard from the next pass. The window calls this on a timer; an edit is
  // taken once it has stood for two calls in a row, so that a word being
  // typed is not compiled letter by letter. A source with errors is not
  // queued: the loop plays on as it was. True when it compiled.
  bool FollowEditsInLoop();
  void MakePlay1Click();
  void PlayMakeP1Click();
  void CompilePlay1Click();

  // ---- phrase seeds and history (phrase_seeds.cpp) ----
  // The seed of the last F5 or F3 draws; none before the first and after
  // Ctrl+P or a song, which draw nothing. CompileBase.Seed holds the seed of
  // the last compile a play command asked for.
  std::optional<std::uint32_t> DrawSeed;
  bool LockSeed = false;             // F5 and F3 draw again with DrawSeed
  RandomGenerator SeedSource;        // fresh seeds; seeded at start-up
  PhraseHistory* History = nullptr;  // where played phrases go; not owned, may be null
  std::uint32_t FreshSeed();
  // The seed F5 and F3 draw with: DrawSeed while the lock is on, else a fresh one.
  std::uint32_t NextDrawSeed();
  // F5 (newRhythm) or F3 drawn from seed, compiled with the same seed and
  // played: one number gives the whole phrase. Both programs make a seeded
  // phrase through here.
  void PlaySeeded(std::uint32_t seed, bool newRhythm);
  // The draws of PlaySeeded, the compile seed set but nothing compiled: a
  // batch compiles the phrase into memory itself.
  void DrawSeeded(std::uint32_t seed, bool newRhythm);
  // The song list compiled with compileSeed and played.
  void PlaySongSeeded(std::uint32_t compileSeed);
  // Rhythm and pattern of an entry back in their boxes, with its seeds; with
  // play, compiled with its compile seed and played. Adds no entry.
  void RestoreEntry(const PhraseEntry& entry, bool play);
  void RestoreEntrySettings(const PhraseEntry& entry);
  // The entry's pattern into the slot seCopyTo names, as "コピーする" does.
  void EntryToSlot(const PhraseEntry& entry);
  // The entry made again with its own settings and compile seed, written as
  // a MIDI file or as its MML source; the current settings, rhythm and
  // pattern come back afterwards. False when the file could not be written.
  bool ExportEntry(const PhraseEntry& entry, const std::string& fileName, bool asMml);

  // ---- song list (song_list.cpp) ----
  void Button1Click();
  void SongPBtnClick();
  void SongClearBtnClick();
  void PlaySong1Click();
  // Undoes the last change the song page made to the slots or the play list
  // (a copy into a slot, a cleared list), so that a mistaken click loses
  // nothing; one step, forgotten when other settings are applied wholesale.
  void UndoSong1Click();
  bool CanUndoSong() const { return songBeforeChange_.has_value(); }

  // ---- settings file (settings_file.cpp) ----
  void Save1Click();
  void Open1Click();
  // Writes every key into fileName, keeping its other content; the reason on failure.
  std::optional<std::string> SaveSettings(const std::string& fileName);
  // Reads every key from fileName and applies it; a missing file gives the
  // defaults. False (after telling the user) when the file exists but cannot be read.
  bool LoadSettings(const std::string& fileName);
  // Every key as a settings file would hold it, and the reverse: applying a
  // text sets every key (missing keys take their defaults), as loading does.
  // They let a history entry or an undo keep the settings in memory.
  std::string SettingsText();
  void ApplySettingsText(const std::string& text);
  // "Undo Open": the settings as they were before the last file was loaded
  // come back; one step only, and only after a load.
  void UndoOpen1Click();
  bool CanUndoOpen() const { return settingsBeforeOpen_.has_value(); }

  // ---- a file named on the command line (open_file.cpp) ----
  // Loads a settings file (.vr3), or compiles any other file as an MML source
  // into the phrase file and shows its messages and compiled lines in the
  // message view. False (after telling the user) when that failed.
  bool OpenFile(const std::string& fileName);
  bool CompileSourceFile(const std::string& fileName);

  // ---- exports (exports.cpp) ----
  void SaveSMF1Click();
  void SaveAsWav1Click();
  void SaveAsMML1Click();
  void SaveAsMMLTORAMI1Click();

 private:
  std::string MakeNoteWithGate(std::int32_t gate);
  void RecordPhrase(const char* kind, const std::string& pattern);
  void CompileAssembled(bool showErrors);
  bool EnterAppPath();

  Platform& platform_;
  TfrmMsg& messages_;
  MediaPlayer* player_;
  bool historyFailed_ = false;  // a history write failed already (told once in a box)
  bool playFailureShown_ = false;                   // a failed open was told in a box this run
  bool followLoop_ = false;                         // the phrase played last may follow edits (not a song)
  std::optional<std::vector<std::string>> editedSource_;  // an edit seen once by FollowEditsInLoop
  std::optional<std::string> settingsBeforeOpen_;  // SettingsText() before the last load
  struct SongState {
    std::array<std::string, SongSlotCount> Slots;
    std::vector<std::string> List;
  };
  void KeepSongForUndo();
  std::optional<SongState> songBeforeChange_;  // the slots and play list before the last song-page change
};

}  // namespace vlm
