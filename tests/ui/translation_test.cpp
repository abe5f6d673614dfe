// The windows in both languages: with an English locale no window, menu,
// label, hint or message box shows Japanese writing; with a Japanese locale
// the start-up texts are the original ones.
#include "ui/translation.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>
#include <functional>

#include "common/app_path.h"
#include "tests/support/run_command.h"
#include "tests/support/scripted_platform.h"
#include "tests/ui/japanese_text.h"
#include "ui/desktop.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/msg_view_window.h"
#include "ui/qt_platform.h"
#include "ui/voice_editor_window.h"

namespace {

using vlm::test::HasJapanese;

// Every text a user reads on `window` without typing: titles, captions of
// labels, buttons, group boxes, tabs and menus, the texts and hints of every
// action, and every tool tip and status tip. The contents of edit boxes and
// lists (MML, compiler messages, scale, key and instrument names) are data.
QStringList ReadableTexts(QWidget* window) {
  QStringList texts{window->windowTitle(), window->toolTip(), window->statusTip()};
  for (QWidget* w : window->findChildren<QWidget*>()) {
    texts << w->toolTip() << w->statusTip();
    if (auto* label = qobject_cast<QLabel*>(w)) texts << label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) texts << button->text();
    if (auto* group = qobject_cast<QGroupBox*>(w)) texts << group->title();
    if (auto* menu = qobject_cast<QMenu*>(w)) texts << menu->title();
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
      for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i) << tabs->tabToolTip(i);
    }
  }
  for (QAction* action : window->findChildren<QAction*>())
    texts << action->text() << action->iconText() << action->toolTip() << action->statusTip();
  texts.removeAll(QString());
  return texts;
}

QStringList Japanese(const QStringList& texts) {
  QStringList found;
  for (const QString& text : texts)
    if (HasJapanese(text)) found << text;
  return found;
}

// The program's three windows over a folder holding the shipped preset file.
class LocaleTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  std::unique_ptr<QTranslator> translation;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    std::filesystem::copy_file(std::string(VLM_BIN_DIR) + "/Scale.dat",
                               QDir(dir.path()).filePath(QStringLiteral("Scale.dat")).toStdString());
    vlm::SetAppPathForTesting(dir.path().toStdString());
  }
  void TearDown() override {
    translation.reset();
    vlm::SetAppPathForTesting("");
  }
  // The translator goes before any window is made, as the program does it.
  void UseLocale(const QStringList& uiLanguages) { translation = vlm::ui::InstallTranslation(uiLanguages); }
};

TEST(PrefersJapanese, ReadsTheFirstInterfaceLanguage) {
  EXPECT_TRUE(vlm::ui::PrefersJapanese({QStringLiteral("ja-JP")}));
  EXPECT_TRUE(vlm::ui::PrefersJapanese({QStringLiteral("ja")}));
  EXPECT_TRUE(vlm::ui::PrefersJapanese({QStringLiteral("ja_JP.UTF-8")}));
  EXPECT_TRUE(vlm::ui::PrefersJapanese({QStringLiteral("ja-JP"), QStringLiteral("en-US")}));
  EXPECT_FALSE(vlm::ui::PrefersJapanese({QStringLiteral("en-US")}));
  EXPECT_FALSE(vlm::ui::PrefersJapanese({QStringLiteral("de-DE"), QStringLiteral("ja-JP")}));
  EXPECT_FALSE(vlm::ui::PrefersJapanese({QStringLiteral("C")}));
  EXPECT_FALSE(vlm::ui::PrefersJapanese({}));
}

// The choice a fresh process makes under `environment` alone. It runs in the
// temporary folder: the current one may be a test's folder that is gone.
std::string ChoiceUnder(const std::string& environment) {
  const vlmtest::CommandRun run = vlmtest::RunCommand(
      QDir::tempPath().toStdString(), "env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LANG " + environment + " '" VLM_LOCALE_CHOICE "'");
  EXPECT_EQ(run.status, 0) << run.err;
  return run.out.substr(0, run.out.find('\n'));
}

TEST(SystemLocale, FollowsTheLocaleVariables) {
  EXPECT_EQ(ChoiceUnder("LANG=ja_JP.UTF-8"), "english=0");
  EXPECT_EQ(ChoiceUnder("LANG=en_US.UTF-8"), "english=1");
  EXPECT_EQ(ChoiceUnder("LANG=de_DE.UTF-8"), "english=1");
  EXPECT_EQ(ChoiceUnder("LANG=C"), "english=1");
  EXPECT_EQ(ChoiceUnder(""), "english=1");
  // The messages category wins over LANG, and LC_ALL over both.
  EXPECT_EQ(ChoiceUnder("LANG=ja_JP.UTF-8 LC_MESSAGES=en_US.UTF-8"), "english=1");
  EXPECT_EQ(ChoiceUnder("LANG=en_US.UTF-8 LC_MESSAGES=ja_JP.UTF-8"), "english=0");
  EXPECT_EQ(ChoiceUnder("LANG=en_US.UTF-8 LC_MESSAGES=en_US.UTF-8 LC_ALL=ja_JP.UTF-8"), "english=0");
  // A list of preferred languages counts by its first entry.
  EXPECT_EQ(ChoiceUnder("LANG=en_US.UTF-8 LANGUAGE=ja:en"), "english=0");
  EXPECT_EQ(ChoiceUnder("LANG=ja_JP.UTF-8 LANGUAGE=en:ja"), "english=1");
}

TEST_F(LocaleTest, EnglishWindowsShowNoJapanese) {
  UseLocale({QStringLiteral("en-US")});
  ASSERT_NE(translation, nullptr);
  vlm::test::ScriptedPlatform platform;
  vlm::test::RecordingWarnings warnings;
  vlm::SetWarningSink(&warnings);
  {
    vlm::ui::Desktop desktop(platform, nullptr);
    desktop.Start();
    desktop.Main().VoiceEdeiter1Click();
    desktop.Messages.ShowView();
    for (QWidget* window : {static_cast<QWidget*>(&desktop.Main()), static_cast<QWidget*>(&desktop.VoiceEditor()),
                            static_cast<QWidget*>(&desktop.MessageView())}) {
      const QStringList texts = ReadableTexts(window);
      EXPECT_GT(texts.size(), 5) << window->objectName().toStdString();
      EXPECT_EQ(Japanese(texts), QStringList()) << window->objectName().toStdString();
    }
    // The wording is the English one, not merely the untranslated English originals.
    QTabWidget* pages = desktop.Main().Pages();
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Rhythm"));
    EXPECT_EQ(desktop.VoiceEditor().windowTitle(), QStringLiteral("Voice Editor"));
    EXPECT_TRUE(warnings.shown.empty());
  }
  vlm::SetWarningSink(nullptr);
}

TEST_F(LocaleTest, JapaneseWindowsKeepTheOriginalTexts) {
  UseLocale({QStringLiteral("ja-JP")});
  EXPECT_EQ(translation, nullptr);
  vlm::test::ScriptedPlatform platform;
  vlm::ui::Desktop desktop(platform, nullptr);
  desktop.Start();
  QTabWidget* pages = desktop.Main().Pages();
  ASSERT_EQ(pages->count(), 4);
  EXPECT_EQ(pages->tabText(0), QStringLiteral("Scale"));
  EXPECT_EQ(pages->tabText(1), QStringLiteral("Rythm"));
  EXPECT_EQ(pages->tabText(2), QStringLiteral("Basic"));
  EXPECT_EQ(pages->tabText(3), QStringLiteral("Song"));
  const QStringList main = ReadableTexts(&desktop.Main());
  for (const QString& original :
       {QStringLiteral("新しいパターンを作成し演奏します。"), QStringLiteral("演奏を止めます。"), QStringLiteral("&Voice Edeiter"),
        QStringLiteral("&Play (Make R+P)"), QStringLiteral("基本音符"), QStringLiteral("ミュートして発音"),
        QStringLiteral("ｹﾞｰﾄﾚｲﾄ"), QStringLiteral("～"), QStringLiteral("パターン演奏リスト")})
    EXPECT_TRUE(main.contains(original)) << original.toStdString();
  EXPECT_EQ(desktop.VoiceEditor().windowTitle(), QStringLiteral("Voice Editer"));
  const QStringList voice = ReadableTexts(&desktop.VoiceEditor());
  EXPECT_TRUE(voice.contains(QStringLiteral("全てのチェックをつける(&A)")));
  EXPECT_TRUE(voice.contains(QStringLiteral("Vib Rate")));
  EXPECT_EQ(desktop.MessageView().windowTitle(), QStringLiteral("Message View"));
}

// What the boxes of one command show: caption, text and input label.
struct Box {
  QString caption;
  QString text;
};

// Runs `command`, answering every box it opens (Cancel for input boxes) and
// recording what each showed.
std::vector<Box> BoxesOf(const std::function<void()>& command) {
  std::vector<Box> boxes;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&boxes] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      boxes.push_back({box->windowTitle(), box->text()});
      box->accept();
    } else if (auto* input = qobject_cast<QInputDialog*>(modal)) {
      boxes.push_back({input->windowTitle(), input->labelText()});
      input->reject();
    }
  });
  watch.start(5);
  command();
  return boxes;
}

// The message boxes the models raise through the Qt platform, in each language.
std::vector<Box> ModelBoxes() {
  vlm::ui::QtPlatform platform;
  vlm::SetWarningSink(&platform);
  std::vector<Box> all;
  {
    vlm::ui::Desktop desktop(platform, nullptr);
    platform.SetOwner(&desktop.Main());
    desktop.Start();
    const auto add = [&all](const std::vector<Box>& boxes) { all.insert(all.end(), boxes.begin(), boxes.end()); };
    desktop.Messages.SearchText = "zzz";
    add(BoxesOf([&desktop] { desktop.Messages.FindNext1Click(); }));
    add(BoxesOf([&desktop] { desktop.Messages.Find1Click(); }));
    desktop.Form.memPatten.clear();
    add(BoxesOf([&desktop] { desktop.Form.SaveAsMMLTORAMI1Click(); }));
    add(BoxesOf([&desktop] { desktop.Form.Voice.CopyToClipbrd1Click(); }));
    add(BoxesOf([&desktop] { desktop.Main().VerInfo1Click(); }));
    desktop.Form.memRythm = "Nx";  // "x" is no rhythm symbol
    add(BoxesOf([&desktop] { desktop.Form.MakePattern1Click(); }));
    desktop.Form.ScaleFileName = "/nonexistent-vorlumi3-folder/Scale.dat";
    add(BoxesOf([&desktop] { desktop.Form.LoadScaleFile(); }));
    platform.SetOwner(nullptr);
  }
  vlm::SetWarningSink(nullptr);
  return all;
}

TEST_F(LocaleTest, EnglishMessageBoxesShowNoJapanese) {
  UseLocale({QStringLiteral("en-GB")});
  const std::vector<Box> boxes = ModelBoxes();
  ASSERT_EQ(boxes.size(), 8u);
  for (const Box& box : boxes) {
    EXPECT_FALSE(HasJapanese(box.caption)) << box.caption.toStdString();
    EXPECT_FALSE(HasJapanese(box.text)) << box.text.toStdString();
  }
  // The searched text goes where the English sentence wants it.
  EXPECT_EQ(boxes[0].caption, QStringLiteral("Warning"));
  EXPECT_EQ(boxes[0].text, QStringLiteral("\"zzz\" was not found."));
  // The copied text follows the translated first line unchanged.
  EXPECT_TRUE(boxes[4].text.endsWith(QStringLiteral("\n@0"))) << boxes[4].text.toStdString();
}

TEST_F(LocaleTest, JapaneseMessageBoxesKeepTheOriginalTexts) {
  UseLocale({QStringLiteral("ja-JP")});
  const std::vector<Box> boxes = ModelBoxes();
  ASSERT_EQ(boxes.size(), 8u);
  EXPECT_EQ(boxes[0].caption, QStringLiteral("警告"));
  EXPECT_EQ(boxes[0].text, QStringLiteral("検索文字列\"zzz\"はありません。"));
  EXPECT_EQ(boxes[1].caption, QStringLiteral("検索文字列を入力してください。"));
  EXPECT_EQ(boxes[1].text, QStringLiteral("検索"));
  // Cancel keeps the searched text, which is searched for again.
  EXPECT_EQ(boxes[2].text, QStringLiteral("検索文字列\"zzz\"はありません。"));
  EXPECT_EQ(boxes[3].text, QStringLiteral("一度は演奏をさせてください。"));
  EXPECT_EQ(boxes[4].text, QStringLiteral("以下の文字列をコピーしました。\n@0"));
  EXPECT_EQ(boxes[5].caption, QStringLiteral("Version Info."));
  EXPECT_EQ(boxes[6].text, QStringLiteral("Rythm窓に指定エラーがあります。"));
  EXPECT_EQ(boxes[7].text, QStringLiteral("Scale.dat がありません。"));
}

// The help page shown, and its text, in a window that was just opened.
struct ShownHelp {
  QString page;
  QString text;
  QStringList widgetTexts;
};

ShownHelp ShowHelpPage() {
  vlm::ui::QtPlatform platform;
  platform.ShowHelp(std::string(VLM_SOURCE_DIR) + "/resources/vorlumi3.hlp");
  ShownHelp shown;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* help = qobject_cast<vlm::ui::HelpWindow*>(window);
    if (!help || !help->isVisible()) continue;
    shown.page = QFileInfo(help->Source()).fileName();
    shown.text = help->findChild<QTextBrowser*>()->toPlainText();
    shown.widgetTexts = ReadableTexts(help);
    help->close();
  }
  return shown;
}

// The help names the controls as the windows name them: the English page
// has no Japanese in it at all, the Japanese page the Japanese menus.
TEST_F(LocaleTest, TheHelpPageSpeaksTheLanguageOfTheWindows) {
  UseLocale({QStringLiteral("en-US")});
  ShownHelp english = ShowHelpPage();
  EXPECT_EQ(english.page, QStringLiteral("vorlumi3.hlp"));
  EXPECT_EQ(Japanese(english.widgetTexts), QStringList());
  EXPECT_EQ(Japanese(english.text.split(QLatin1Char('\n'))), QStringList());
  EXPECT_TRUE(english.text.contains(QStringLiteral("Draw and Play")));

  UseLocale({QStringLiteral("ja-JP")});
  ShownHelp japanese = ShowHelpPage();
  EXPECT_EQ(japanese.page, QStringLiteral("vorlumi3.ja.hlp"));
  for (const char* entry : {"Play (Make R+P)", "履歴", "キープ", "ピアノロール", "出力"})
    EXPECT_TRUE(japanese.text.contains(QString::fromUtf8(entry))) << entry;
}

// Both pages have the same sections, so that neither falls behind the other.
TEST(HelpPages, HaveTheSameSections) {
  const auto sections = [](const char* name) {
    QFile file(QStringLiteral(VLM_SOURCE_DIR "/resources/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    const QString html = QString::fromUtf8(file.readAll());
    QStringList ids;
    static const QRegularExpression id(QStringLiteral(R"re(<(h[1-3]) id="([^"]+)")re"));
    for (auto match = id.globalMatch(html); match.hasNext();) ids << match.next().captured(2);
    return ids;
  };
  const QStringList english = sections("vorlumi3.hlp");
  EXPECT_GE(english.size(), 9);
  EXPECT_EQ(sections("vorlumi3.ja.hlp"), english);
}

}  // namespace
