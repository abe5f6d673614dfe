#pragma once
// The output menu ("出力(&O)") of the main window: play on the software synthesizer,
// with the SoundFont of the user's choice, or send to a MIDI destination
// (another program, an instrument, a DAW recording from our own port). The choice is kept in the program's own
// configuration (vorlumi3/vorlumi3.conf under the XDG config folder), never
// in a settings file: it belongs to this machine, not to the phrase.

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "common/platform.h"

class QActionGroup;
class QMenu;
class QMenuBar;

namespace vlm::ui {

// The sound side the menu drives; the program fills it when it has sound.
struct SoundOutputs {
  // The MIDI destinations there are now; throws std::exception with the
  // reason when none can be reached. `system` gets a line saying which MIDI
  // system was asked.
  std::function<std::vector<std::string>(std::string* system)> ListMidiDestinations;
  // Plays on `destination` from the next play on; "" is the synthesizer,
  // VirtualOutput a port of our own. Returns a line for the status bar
  // (which MIDI system carries it), or "".
  std::function<std::string(const std::string& destination)> Choose;
  // Loads soundFont (a .sf2 or .sf3 file; "" the usual search) into the
  // synthesizer from the next play on, and into the WAV renderer.
  std::function<void(const std::string& soundFont)> UseSoundFont;
  // Sends MIDI beat clock with the notes from the next play on, while a MIDI
  // destination is chosen; the synthesizer never gets it.
  std::function<void(bool on)> SendMidiClock;
};

// Process-wide, set before the main window is made. Without it the menu
// offers the synthesizer only.
void SetSoundOutputs(SoundOutputs outputs);

// The destination word of our own port, and the key of the choice in the
// configuration file (an empty value is the synthesizer).
inline constexpr const char* VirtualOutput = "virtual";
inline constexpr const char* OutputSettingKey = "Output/MidiDestination";
inline constexpr const char* SoundFontSettingKey = "Output/SoundFont";  // empty or absent: the usual search
inline constexpr const char* MidiClockSettingKey = "Output/MidiClock";  // absent: no beat clock

class OutputMenu : public QObject {
  Q_OBJECT

 public:
  // Adds the menu to `bar` (its parent) and applies the saved choice.
  OutputMenu(QMenuBar* bar, Platform& platform);

  QMenu* Menu() const { return menu_; }
  const std::string& Chosen() const { return chosen_; }
  // The SoundFont the synthesizer loads, "" for the usual search; kept in
  // the configuration like the destination.
  const std::string& SoundFont() const { return soundFont_; }
  void UseSoundFont(const std::string& file);
  bool MidiClock() const { return midiClock_; }
  void SetMidiClock(bool on);

 private:
  // Lists the destinations afresh: ports come and go while the program runs.
  void Rebuild();
  void Choose(const std::string& destination);
  void AskSoundFont();

  Platform& platform_;
  QMenu* menu_;
  QActionGroup* group_;  // makes the entries exclusive; rebuilt with them
  std::string chosen_;   // "" the synthesizer, else a destination or VirtualOutput
  std::string soundFont_;
  bool midiClock_ = false;  // beat clock with a MIDI destination; kept while the synthesizer plays
};

}  // namespace vlm::ui
