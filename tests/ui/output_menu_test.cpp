// The output menu: what it offers, what it remembers and where.
#include "ui/output_menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTemporaryDir>
#include <stdexcept>

#include "tests/support/scripted_platform.h"
#include "ui/desktop.h"
#include "ui/main_window.h"

namespace {

class StatusPlatform : public vlm::test::ScriptedPlatform {
 public:
  std::vector<std::string> statuses;
  void ShowStatus(const std::string& text) override { statuses.push_back(text); }
};

class OutputMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(config.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    vlm::ui::SetSoundOutputs({[this](std::string* system) {
                                if (!reason.empty()) throw std::runtime_error(reason);
                                if (system) *system = "MIDI out through JACK";
                                return ports;
                              },
                              [this](const std::string& destination) {
                                chosen.push_back(destination);
                                return std::string("MIDI out through JACK");
                              },
                              {},
                              {}});
  }
  void TearDown() override { vlm::ui::SetSoundOutputs({}); }

  // The menu's entries as the user sees them when opening it, "*" before the checked one.
  static std::vector<std::string> Shown(vlm::ui::OutputMenu& menu) {
    emit menu.Menu()->aboutToShow();
    std::vector<std::string> shown;
    for (QAction* action : menu.Menu()->actions()) {
      if (action->isSeparator()) continue;
      shown.push_back((action->isChecked() ? "*" : "") + action->text().toStdString() +
                      (action->isEnabled() ? "" : " [disabled]"));
    }
    return shown;
  }

  static QAction* Entry(vlm::ui::OutputMenu& menu, const std::string& caption) {
    for (QAction* action : menu.Menu()->actions())
      if (action->text().toStdString() == caption) return action;
    return nullptr;
  }

  std::string ConfigFile() const { return (config.path() + "/vorlumi3/vorlumi3.conf").toStdString(); }

  QTemporaryDir config;
  StatusPlatform platform;
  std::vector<std::string> ports = {"synth:in", "Midi Through:Port-0 14:0"};
  std::string reason;                // non-empty: listing fails with it
  std::vector<std::string> chosen;  // what the menu told the sound side
};

TEST_F(OutputMenuTest, AChoiceIsAppliedAndKeptInTheProgramsOwnConfiguration) {
  {
    QMenuBar bar;
    vlm::ui::OutputMenu menu(&bar, platform);
    Shown(menu);
    Entry(menu, "Midi Through:Port-0 14:0")->trigger();
    EXPECT_EQ(chosen.back(), "Midi Through:Port-0 14:0");
    ASSERT_FALSE(platform.statuses.empty());
    EXPECT_NE(platform.statuses.back().find("JACK"), std::string::npos) << platform.statuses.back();
  }
  QFile file(QString::fromStdString(ConfigFile()));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << ConfigFile();
  const QByteArray text = file.readAll();
  EXPECT_TRUE(text.contains("MidiDestination=Midi Through:Port-0 14:0")) << text.toStdString();
  // The next start applies it before anything plays.
  chosen.clear();
  QMenuBar bar;
  vlm::ui::OutputMenu menu(&bar, platform);
  EXPECT_EQ(chosen, (std::vector<std::string>{"Midi Through:Port-0 14:0"}));
  EXPECT_EQ(Shown(menu)[2], "*Midi Through:Port-0 14:0");
}

TEST_F(OutputMenuTest, ListsAfreshKeepsAnAbsentDestinationChosenAndSaysWhyNoneAreListed) {
  QSettings(QSettings::NativeFormat, QSettings::UserScope, "vorlumi3", "vorlumi3")
      .setValue(vlm::ui::OutputSettingKey, "hardware synth");
  QMenuBar bar;
  vlm::ui::OutputMenu menu(&bar, platform);
  EXPECT_EQ(Shown(menu), (std::vector<std::string>{"ソフトウェア シンセサイザー(&S)", "synth:in", "Midi Through:Port-0 14:0",
                                                   "*hardware synth (見つかりません)", "仮想ポート \"Vorlumi3\"(&V)"}));
  ports.push_back("hardware synth");  // plugged in while the program runs
  EXPECT_EQ(Shown(menu)[3], "*hardware synth");
  reason = "No JACK server is running";
  const std::vector<std::string> shown = Shown(menu);
  EXPECT_EQ(shown, (std::vector<std::string>{"ソフトウェア シンセサイザー(&S)", "(MIDI の出力先がありません) [disabled]",
                                             "*hardware synth (見つかりません)", "仮想ポート \"Vorlumi3\"(&V)"}));
  for (QAction* action : menu.Menu()->actions()) {
    if (!action->isEnabled() && !action->isSeparator()) {
      EXPECT_EQ(action->toolTip().toStdString(), reason);
    }
  }
}

// The SoundFont the user names is loaded from the next play on, named in the
// menu and kept for the next start; going back to the usual one forgets it.
TEST_F(OutputMenuTest, ASoundFontChosenIsLoadedAndKept) {
  std::vector<std::string> loaded;
  vlm::ui::SetSoundOutputs({{}, [](const std::string&) { return std::string(); },
                            [&loaded](const std::string& file) { loaded.push_back(file); }, {}});
  {
    QMenuBar bar;
    vlm::ui::OutputMenu menu(&bar, platform);
    EXPECT_EQ(loaded, std::vector<std::string>{""}) << "the usual search at start";
    EXPECT_EQ(Shown(menu), (std::vector<std::string>{"*ソフトウェア シンセサイザー(&S)", "SoundFont: 標準...",
                                                     "標準の SoundFont に戻す [disabled]"}));
    platform.fileAnswers.push_back("/fonts/My Piano.sf2");
    Entry(menu, "SoundFont: 標準...")->trigger();
    EXPECT_EQ(loaded.back(), "/fonts/My Piano.sf2");
    EXPECT_NE(platform.fileFilters.back().Filter.find("*.sf2;*.sf3"), std::string::npos);
    EXPECT_EQ(Shown(menu)[1], "SoundFont: My Piano.sf2...");
  }
  loaded.clear();
  QMenuBar bar;
  vlm::ui::OutputMenu menu(&bar, platform);
  EXPECT_EQ(loaded, std::vector<std::string>{"/fonts/My Piano.sf2"});
  Shown(menu);
  Entry(menu, "標準の SoundFont に戻す")->trigger();
  EXPECT_EQ(loaded.back(), "");
  EXPECT_EQ(menu.SoundFont(), "");
}

// Beat clock is offered with a MIDI destination only, applied at once and
// at the next start, and remembered while the synthesizer plays.
TEST_F(OutputMenuTest, MidiClockIsOfferedWithADestinationAndKept) {
  std::vector<bool> clock;  // what the menu told the sound side
  vlm::ui::SetSoundOutputs({[this](std::string*) { return ports; },
                            [this](const std::string& destination) {
                              chosen.push_back(destination);
                              return std::string();
                            },
                            {},
                            [&clock](bool on) { clock.push_back(on); }});
  const std::string entry = "MIDI クロックを送る(&C)";
  {
    QMenuBar bar;
    vlm::ui::OutputMenu menu(&bar, platform);
    EXPECT_EQ(clock, std::vector<bool>{false});
    EXPECT_EQ(Shown(menu).back(), entry + " [disabled]") << "the synthesizer is chosen";
    Entry(menu, "synth:in")->trigger();
    EXPECT_EQ(Shown(menu).back(), entry);
    Entry(menu, entry)->trigger();
    EXPECT_EQ(clock.back(), true);
    Entry(menu, "ソフトウェア シンセサイザー(&S)")->trigger();
    EXPECT_EQ(Shown(menu).back(), "*" + entry + " [disabled]") << "kept for the next destination";
  }
  QFile file(QString::fromStdString(ConfigFile()));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << ConfigFile();
  EXPECT_TRUE(file.readAll().contains("MidiClock=true"));
  clock.clear();
  QMenuBar bar;
  vlm::ui::OutputMenu menu(&bar, platform);
  EXPECT_EQ(clock, std::vector<bool>{true}) << "applied at start";
}

// The main window carries the menu, and the choice never enters the
// settings file (.vr3) the user saves.
TEST_F(OutputMenuTest, TheMainWindowHasTheMenuAndItsSettingsLeaveTheChoiceOut) {
  vlm::ui::Desktop desktop(platform, nullptr);
  QMenu* output = desktop.Main().findChild<QMenu*>("OutputMenu");
  ASSERT_NE(output, nullptr);
  emit output->aboutToShow();
  for (QAction* action : output->actions())
    if (action->text() == "synth:in") action->trigger();
  EXPECT_EQ(chosen.back(), "synth:in");
  EXPECT_EQ(desktop.Form.SettingsText().find("synth:in"), std::string::npos);
}

}  // namespace
