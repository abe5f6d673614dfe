#include "ui/output_menu.h"

#include <QAction>
#include <QCoreApplication>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <exception>
#include <filesystem>

#include "ui/configuration.h"

namespace vlm::ui {

namespace {

// The menu's texts: Japanese is the program's own language; each is
// translated under the context "Output".
namespace text {
constexpr const char* Menu = QT_TRANSLATE_NOOP("Output", "出力(&O)");
constexpr const char* Synth = QT_TRANSLATE_NOOP("Output", "ソフトウェア シンセサイザー(&S)");
constexpr const char* NoDestinations = QT_TRANSLATE_NOOP("Output", "(MIDI の出力先がありません)");
constexpr const char* NotFound = QT_TRANSLATE_NOOP("Output", "%1 (見つかりません)");
constexpr const char* VirtualPort = QT_TRANSLATE_NOOP("Output", "仮想ポート \"Vorlumi3\"(&V)");
constexpr const char* SynthChosen = QT_TRANSLATE_NOOP("Output", "出力: ソフトウェア シンセサイザー");
constexpr const char* MidiChosen = QT_TRANSLATE_NOOP("Output", "出力: MIDI %1");
constexpr const char* SoundFontEntry = QT_TRANSLATE_NOOP("Output", "SoundFont: %1...");
constexpr const char* UsualSoundFont = QT_TRANSLATE_NOOP("Output", "標準");
constexpr const char* UsualSoundFontEntry = QT_TRANSLATE_NOOP("Output", "標準の SoundFont に戻す");
constexpr const char* SoundFontFilter = QT_TRANSLATE_NOOP("Output", "SoundFont|*.sf2;*.sf3|すべてのファイル|*.*");
constexpr const char* SoundFontChosen = QT_TRANSLATE_NOOP("Output", "SoundFont: %1 (次の演奏から)");
constexpr const char* MidiClockEntry = QT_TRANSLATE_NOOP("Output", "MIDI クロックを送る(&C)");
}  // namespace text

QString OutputText(const char* source) { return QCoreApplication::translate("Output", source); }

SoundOutputs& Outputs() {
  static SoundOutputs outputs;
  return outputs;
}

}  // namespace

void SetSoundOutputs(SoundOutputs outputs) { Outputs() = std::move(outputs); }

OutputMenu::OutputMenu(QMenuBar* bar, Platform& platform)
    : QObject(bar), platform_(platform), menu_(bar->addMenu(OutputText(text::Menu))), group_(nullptr) {
  menu_->setObjectName(QStringLiteral("OutputMenu"));
  chosen_ = Configuration().value(QString::fromLatin1(OutputSettingKey)).toString().toStdString();
  soundFont_ = Configuration().value(QString::fromLatin1(SoundFontSettingKey)).toString().toStdString();
  midiClock_ = Configuration().value(QString::fromLatin1(MidiClockSettingKey), false).toBool();
  if (Outputs().UseSoundFont) Outputs().UseSoundFont(soundFont_);
  if (Outputs().SendMidiClock) Outputs().SendMidiClock(midiClock_);
  if (Outputs().Choose) Outputs().Choose(chosen_);
  connect(menu_, &QMenu::aboutToShow, this, &OutputMenu::Rebuild);
  Rebuild();
}

void OutputMenu::Rebuild() {
  menu_->clear();
  delete group_;
  group_ = new QActionGroup(this);
  const auto entry = [this](const QString& caption, const std::string& destination) {
    QAction* action = menu_->addAction(caption);
    action->setObjectName(destination.empty() ? QStringLiteral("OutputSynth") : QStringLiteral("OutputMidi"));
    action->setData(QString::fromStdString(destination));
    action->setCheckable(true);
    action->setChecked(destination == chosen_);
    group_->addAction(action);
    connect(action, &QAction::triggered, this, [this, destination] { Choose(destination); });
    return action;
  };
  entry(OutputText(text::Synth), "");
  const SoundOutputs& outputs = Outputs();
  // The synthesizer's SoundFont: a file the user names, or the usual search.
  if (outputs.UseSoundFont) {
    const QString shown = soundFont_.empty() ? OutputText(text::UsualSoundFont)
                                             : QString::fromStdString(std::filesystem::path(soundFont_).filename().string());
    QAction* pick = menu_->addAction(OutputText(text::SoundFontEntry).arg(shown));
    pick->setObjectName(QStringLiteral("OutputSoundFont"));
    pick->setToolTip(QString::fromStdString(soundFont_));
    connect(pick, &QAction::triggered, this, &OutputMenu::AskSoundFont);
    QAction* usual = menu_->addAction(OutputText(text::UsualSoundFontEntry));
    usual->setObjectName(QStringLiteral("OutputUsualSoundFont"));
    usual->setEnabled(!soundFont_.empty());
    connect(usual, &QAction::triggered, this, [this] { UseSoundFont(""); });
  }
  if (!outputs.ListMidiDestinations) return;
  menu_->addSeparator();
  std::vector<std::string> destinations;
  try {
    destinations = outputs.ListMidiDestinations(nullptr);
  } catch (const std::exception& e) {
    QAction* none = menu_->addAction(OutputText(text::NoDestinations));
    none->setObjectName(QStringLiteral("OutputNone"));
    none->setEnabled(false);
    none->setToolTip(QString::fromStdString(e.what()));
    none->setStatusTip(none->toolTip());
  }
  bool listed = chosen_.empty() || chosen_ == VirtualOutput;
  for (const std::string& destination : destinations) {
    entry(QString::fromStdString(destination), destination);
    listed = listed || destination == chosen_;
  }
  // A saved destination that is away (an instrument switched off) stays
  // chosen and shown, so that plugging it in again is all it takes.
  if (!listed) entry(OutputText(text::NotFound).arg(QString::fromStdString(chosen_)), chosen_);
  menu_->addSeparator();
  entry(OutputText(text::VirtualPort), VirtualOutput);
  // Beat clock means nothing to the synthesizer: offered with a MIDI
  // destination only, and remembered while the synthesizer plays.
  if (!outputs.SendMidiClock) return;
  menu_->addSeparator();
  QAction* clock = menu_->addAction(OutputText(text::MidiClockEntry));
  clock->setObjectName(QStringLiteral("OutputMidiClock"));
  clock->setCheckable(true);
  clock->setChecked(midiClock_);
  clock->setEnabled(!chosen_.empty());
  connect(clock, &QAction::toggled, this, &OutputMenu::SetMidiClock);
}

void OutputMenu::SetMidiClock(bool on) {
  midiClock_ = on;
  QSettings configuration = Configuration();
  configuration.setValue(QString::fromLatin1(MidiClockSettingKey), on);
  configuration.sync();
  if (Outputs().SendMidiClock) Outputs().SendMidiClock(on);
}

void OutputMenu::AskSoundFont() {
  if (const auto file = platform_.OpenFileName({"sf2", OutputText(text::SoundFontFilter).toStdString()}))
    UseSoundFont(*file);
}

// A file that cannot be loaded is reported by the next play, which names it.
void OutputMenu::UseSoundFont(const std::string& file) {
  soundFont_ = file;
  QSettings configuration = Configuration();
  configuration.setValue(QString::fromLatin1(SoundFontSettingKey), QString::fromStdString(file));
  configuration.sync();
  if (Outputs().UseSoundFont) Outputs().UseSoundFont(file);
  const QString shown = file.empty() ? OutputText(text::UsualSoundFont)
                                     : QString::fromStdString(std::filesystem::path(file).filename().string());
  platform_.ShowStatus(OutputText(text::SoundFontChosen).arg(shown).toStdString());
}

void OutputMenu::Choose(const std::string& destination) {
  chosen_ = destination;
  QSettings configuration = Configuration();
  configuration.setValue(QString::fromLatin1(OutputSettingKey), QString::fromStdString(destination));
  configuration.sync();
  const SoundOutputs& outputs = Outputs();
  // A destination that cannot be opened is reported by the next play.
  const std::string system = outputs.Choose ? outputs.Choose(destination) : "";
  const QString status = destination.empty() ? OutputText(text::SynthChosen)
                                             : OutputText(text::MidiChosen).arg(QString::fromStdString(destination));
  platform_.ShowStatus(status.toStdString() + (destination.empty() || system.empty() ? "" : " — " + system));
}

}  // namespace vlm::ui
