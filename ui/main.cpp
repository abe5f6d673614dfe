// vorlumi3: the desktop program. Makes the platform services, the media
// player and the three windows, opens a file named on the command line, then
// runs the event loop until the main window closes.
#include <QApplication>
#include <QDBusConnection>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "common/app_path.h"
#include "common/command_line.h"
#include "common/xdg_dirs.h"
#include "ui/app_icon.h"
#include "ui/data_files.h"
#include "ui/desktop.h"
#include "ui/main_window.h"
#include "ui/mpris_service.h"
#include "ui/qt_platform.h"
#include "ui/session_keeper.h"
#include "ui/workshop_actions.h"
#include "ui/translation.h"
#ifdef VLM_HAVE_AUDIO
#include "audio/midi_out.h"
#include "audio/output_choice.h"
#include "audio/renderer.h"
#include "ui/output_menu.h"
#endif

namespace {

constexpr const char* kHelp =
    "usage: vorlumi3 [OPTION]... [FILE]\n"
    "Draws random musical phrases from a scale and rhythm weights, writes them\n"
    "in MML and plays them.\n"
    "\n"
    "FILE is opened at start-up: a settings file (.vr3) is loaded; any other\n"
    "file is compiled as an MML source and its messages are shown in the\n"
    "message view.\n"
    "\n"
    "The settings of the last run (pattern, rhythm, song slots, ...) come back\n"
    "at start-up: they are saved every few seconds and at the end in\n"
    "~/.local/share/vorlumi3/session.vr3 (under $XDG_DATA_HOME when it is set).\n"
    "\n"
    "  -h, --help     show this text\n"
    "  --version      show the version\n"
    "  --             end of options: a FILE may then begin with -\n"
    "Qt's own options (-platform NAME, -style NAME, ...) are accepted too.\n"
    "\n"
    "Exit status: 0 the window was closed, 2 bad arguments or an unreadable FILE.\n";

enum DesktopOption { kHelpOption, kVersion };
constexpr vlm::CommandOption kOptions[] = {
    {"help", 'h', vlm::CommandOption::Value::None},
    {"version", 0, vlm::CommandOption::Value::None},
};

// --help and --version are answered before the toolkit starts, so that they
// work without a display; Qt's options ("-style", ...) are not parsed yet, so
// only the exact words count here.
std::optional<int> AnswerWithoutDisplay(int argc, char** argv) {
  for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::fputs(vlm::VersionText("vorlumi3").c_str(), stdout);
      return 0;
    }
  }
  return std::nullopt;
}

int UsageError(const std::string& text) {
  std::fprintf(stderr, "vorlumi3: %s\nTry 'vorlumi3 --help' for more information.\n", text.c_str());
  return 2;
}

// The file to open from what Qt left of the command line (empty: none); an
// exit status when the program should end at once. The name is made absolute:
// start-up changes the current directory.
std::optional<int> FileToOpen(int argc, char** argv, std::string& file) {
  using Kind = vlm::CommandItem::Kind;
  for (const vlm::CommandItem& item : vlm::ParseCommandLine(argc, argv, kOptions)) {
    if (item.kind == Kind::Unknown) return UsageError("unknown option " + item.text);
    if (item.kind == Kind::UnwantedValue) return UsageError(item.text + " takes no value");
    if (item.kind != Kind::Operand) continue;  // --help and --version were answered already
    if (!file.empty()) return UsageError("only one FILE, please");
    std::error_code ec;
    if (item.text.empty() || !std::filesystem::is_regular_file(item.text, ec)) {
      std::fprintf(stderr, "vorlumi3: cannot open %s: not a readable file\n", item.text.c_str());
      return 2;
    }
    file = std::filesystem::absolute(item.text).string();
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  if (const auto status = AnswerWithoutDisplay(argc, argv)) return *status;
  QApplication app(argc, argv);  // takes Qt's own options out of argv
  std::string file;
  if (const auto status = FileToOpen(argc, argv, file)) return *status;
  QApplication::setApplicationName(QStringLiteral("Vorlumi3"));
  QApplication::setDesktopFileName(QStringLiteral("org.vorlumi3.Vorlumi3"));
  QApplication::setWindowIcon(vlm::ui::AppIcon());
  // Before the first window is made: every text is translated once, as it is built.
  const std::unique_ptr<QTranslator> translation = vlm::ui::InstallTranslation();

  vlm::ui::QtPlatform platform;
  vlm::SetWarningSink(&platform);
  // The player finds its audio device on the first play; a missing device is
  // reported there, and the program goes on without sound.
  std::unique_ptr<vlm::MediaPlayer> player;
#ifdef VLM_HAVE_AUDIO
  auto sound = std::make_unique<vlm::MidiFilePlayer>(vlm::OutputFactory(""));
  // What the output menu chose; the menu applies its saved choice at start.
  std::string destination;
  vlm::SynthOptions synth;
  bool midiClock = false;  // the menu's choice; sent only to a MIDI destination
  vlm::ui::SetSoundOutputs({[](std::string* system) { return vlm::MidiDestinations(system); },
                            [sound = sound.get(), &destination, &synth, &midiClock](const std::string& chosen) {
                              destination = chosen;
                              sound->SetEngineFactory(vlm::OutputFactory(destination, synth));
                              sound->SetMidiClock(midiClock && !destination.empty());
                              std::string system;
                              if (!destination.empty()) vlm::ChooseMidiSystem(&system);
                              return system;
                            },
                            [sound = sound.get(), &destination, &synth](const std::string& soundFont) {
                              synth.soundFont = soundFont;
                              if (destination.empty()) sound->SetEngineFactory(vlm::OutputFactory("", synth));
                            },
                            [sound = sound.get(), &destination, &midiClock](bool on) {
                              midiClock = on;
                              sound->SetMidiClock(on && !destination.empty());
                            }});
  player = std::move(sound);
#endif
  int status = 0;
  {
    vlm::ui::Desktop desktop(platform, player.get());
    const std::string appDir = vlm::AppPath();
    const vlm::ui::DataFiles files =
        vlm::ui::ChooseDataFiles(appDir, vlm::DataPath(), vlm::ui::CanWrite(appDir), vlm::ui::UserDataDir());
    desktop.Form.PhraseFileName = files.PhraseFile;
#ifdef VLM_HAVE_AUDIO
    // A phrase renders in well under a second, a long song in a few: the
    // window waits with a busy pointer instead of a progress dialog.
    desktop.Form.RenderWav = [&synth](const std::string& midi, const std::string& wav) -> std::optional<std::string> {
      QApplication::setOverrideCursor(Qt::WaitCursor);
      std::optional<std::string> failure;
      try {
        vlm::RenderMidiFile(midi, wav, synth);
      } catch (const std::exception& e) {  // MediaError, and a MIDI file the reader refuses
        failure = e.what();
      }
      QApplication::restoreOverrideCursor();
      return failure;
    };
#endif
    desktop.Form.ScaleFileName = files.ScaleFile;
    const std::string userDir = vlm::UserDataDirectory();
    std::unique_ptr<vlm::ui::SessionKeeper> session;
    if (!userDir.empty()) {
      desktop.Workshop().OpenHistory(userDir + "history.jsonl");
      session = std::make_unique<vlm::ui::SessionKeeper>(desktop.Form, userDir + "session.vr3");
    }
    platform.SetOwner(&desktop.Main());
    platform.BeforeProcessEvents = [&desktop] { desktop.RefreshAll(); };
    desktop.Start();
    // Media keys and the desktop's player controls reach the play commands.
    new vlm::ui::MprisService(QDBusConnection::sessionBus(), desktop.Main(), desktop.Form);
    // The last session comes back over the start-up values; a file named on
    // the command line is opened over the session (Undo Open returns to it).
    if (session) {
      session->Start();
      desktop.RefreshAll();
    }
    if (!file.empty()) {
      desktop.Form.OpenFile(file);
      desktop.RefreshAll();
    }
    status = QApplication::exec();
    session.reset();  // saved before the windows go
    platform.SetOwner(nullptr);
    platform.BeforeProcessEvents = nullptr;
    if (player) player->Close();
  }
  vlm::SetWarningSink(nullptr);
  return status;
}
