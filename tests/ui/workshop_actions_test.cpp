// The workshop in the main window, driven by keys and clicks offscreen: the
// history's back and forward, keeping, the kept list and the seed.
#include "ui/workshop_actions.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QInputDialog>
#include <QTimer>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <filesystem>

#include "common/app_path.h"
#include "common/text_file.h"
#include "tests/support/scripted_platform.h"
#include "ui/desktop.h"
#include "ui/history_pane.h"
#include "ui/main_window.h"

namespace {

class WorkshopTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  vlm::test::ScriptedPlatform platform;
  vlm::test::RecordingWarnings warnings;
  std::unique_ptr<vlm::ui::Desktop> desktop;
  std::string historyFile;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    std::filesystem::copy_file(std::string(VLM_BIN_DIR) + "/Scale.dat", Path("Scale.dat"));
    vlm::SetAppPathForTesting(dir.path().toStdString());
    vlm::SetWarningSink(&warnings);
    historyFile = Path("data/history.jsonl");
    Open();
  }
  void TearDown() override {
    desktop.reset();
    vlm::SetWarningSink(nullptr);
    vlm::SetAppPathForTesting("");
  }
  // The program as main starts it, with the history in the scratch folder.
  void Open() {
    desktop.reset();
    desktop = std::make_unique<vlm::ui::Desktop>(platform, nullptr);
    desktop->Workshop().OpenHistory(historyFile);
    desktop->Start();
    Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
  }

  std::string Path(const char* name) const { return dir.path().toStdString() + "/" + name; }
  vlm::ui::MainWindow& Main() const { return desktop->Main(); }
  QAction* Action(const char* name) const { return Main().findChild<QAction*>(QString::fromLatin1(name)); }
  QString Shown(const char* box) const {
    return Main().findChild<QPlainTextEdit*>(QString::fromLatin1(box))->toPlainText();
  }
  QString SeedShown() const { return Main().findChild<QPushButton*>(QStringLiteral("SeedLabel"))->text(); }
  vlm::PhraseHistory& History() const { return desktop->Workshop().History(); }
};

TEST_F(WorkshopTest, AltLeftAndAltRightWalkThePhrasesPlayed) {
  ASSERT_NE(Action("HistoryBack"), nullptr);
  EXPECT_FALSE(Action("HistoryBack")->isEnabled());
  QTest::keyClick(&Main(), Qt::Key_F5);
  const QString first = Shown("memPatten");
  const QString firstRhythm = Shown("memRythm");
  QTest::keyClick(&Main(), Qt::Key_F5);
  const QString second = Shown("memPatten");
  ASSERT_NE(first, second);
  EXPECT_TRUE(Action("HistoryBack")->isEnabled());
  EXPECT_FALSE(Action("HistoryForward")->isEnabled());

  QTest::keyClick(&Main(), Qt::Key_Left, Qt::AltModifier);
  EXPECT_EQ(Shown("memPatten"), first);
  EXPECT_EQ(Shown("memRythm"), firstRhythm);
  EXPECT_TRUE(SeedShown().contains(QString::number(*History().Entries()[0].Seed))) << SeedShown().toStdString();
  QTest::keyClick(&Main(), Qt::Key_Right, Qt::AltModifier);
  EXPECT_EQ(Shown("memPatten"), second);

  // What the window showed is what the store holds, line by line.
  const auto lines = vlm::SplitLines(vlm::ReadFileBytes(historyFile).value_or(""));
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(vlm::PhraseEntryFromJson(lines[0])->Pattern, first.toStdString());
  EXPECT_EQ(vlm::PhraseEntryFromJson(lines[1])->Pattern, second.toStdString());
}

TEST_F(WorkshopTest, CtrlDKeepsThePhraseAcrossARestartAndTheKeptListSendsItOn) {
  QTest::keyClick(&Main(), Qt::Key_F5);
  const std::string kept = desktop->Form.memPatten;
  QTest::keyClick(&Main(), Qt::Key_D, Qt::ControlModifier);
  EXPECT_TRUE(Action("KeepPhrase")->isChecked());
  QTest::keyClick(&Main(), Qt::Key_F5);
  EXPECT_FALSE(Action("KeepPhrase")->isChecked()) << "the new phrase is not kept";

  Open();  // a restart reads the store back
  ASSERT_EQ(History().Entries().size(), 2u);
  QListWidget* list = desktop->Workshop().Pane().List();
  ASSERT_EQ(list->count(), 1);
  EXPECT_TRUE(list->item(0)->text().startsWith(QStringLiteral("★ ")));

  // One click puts the kept pattern into the slot "コピーする" names.
  desktop->Form.seCopyTo.SetValue(4);
  list->setCurrentRow(0);
  desktop->Workshop().Pane().findChild<QPushButton*>(QStringLiteral("btnKeptToSlot"))->click();
  EXPECT_EQ(desktop->Form.Slot(4), kept);

  // Out as a MIDI file in one step.
  platform.fileAnswers.push_back(Path("kept.mid"));
  desktop->Workshop().Pane().findChild<QPushButton*>(QStringLiteral("btnKeptMidi"))->click();
  EXPECT_EQ(vlm::ReadFileBytes(Path("kept.mid")).value_or("").substr(0, 4), "MThd");
  EXPECT_EQ(platform.fileFilters.back().DefaultExt, "mid");

  // F2 names the phrase; the list shows the name, and the store keeps it.
  QTimer::singleShot(100, [] {
    if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
      dialog->setTextValue(QStringLiteral(" chorus idea "));
      dialog->accept();
    }
  });
  QTest::keyClick(list, Qt::Key_F2);
  EXPECT_TRUE(list->item(0)->text().startsWith(QStringLiteral("★ chorus idea  "))) << list->item(0)->text().toStdString();
  EXPECT_EQ(vlm::PhraseEntryFromJson(vlm::SplitLines(*vlm::ReadFileBytes(historyFile))[0])->Label, "chorus idea");

  // Every kept phrase out at once: the one kept, as MIDI and as MML.
  desktop->Workshop().Pane().ExportAll(Path("all"));
  std::vector<std::string> written;
  for (const auto& file : std::filesystem::directory_iterator(Path("all"))) written.push_back(file.path().extension());
  std::sort(written.begin(), written.end());
  EXPECT_EQ(written, (std::vector<std::string>{".mid", ".vlm"}));
  EXPECT_TRUE(std::filesystem::exists(Path("all/01 chorus idea.mid")));

  // Dragged out, the entry is its MIDI file, offered to be copied only.
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString(Path("data")));
  EXPECT_EQ(list->model()->supportedDragActions(), Qt::CopyAction);
  const std::unique_ptr<QMimeData> drag(list->model()->mimeData({list->model()->index(0, 0)}));
  ASSERT_NE(drag, nullptr);
  ASSERT_EQ(drag->urls().size(), 1);
  const std::string dragged = drag->urls()[0].toLocalFile().toStdString();
  EXPECT_EQ(dragged.rfind(Path("data/vorlumi3/dragged/vorlumi3-") + std::to_string(*History().Entries()[0].Seed), 0), 0u)
      << dragged;
  EXPECT_EQ(vlm::ReadFileBytes(dragged), vlm::ReadFileBytes(Path("kept.mid")));
  EXPECT_EQ(drag->data(QStringLiteral("audio/midi")).toStdString(), vlm::ReadFileBytes(Path("kept.mid")));

  // The whole history, newest first: the phrase not kept on top, kept from there.
  auto* all = desktop->Workshop().Pane().findChild<QCheckBox*>(QStringLiteral("chkShowAllHistory"));
  ASSERT_NE(all, nullptr);
  all->setChecked(true);
  ASSERT_EQ(list->count(), 2);
  EXPECT_TRUE(list->item(0)->text().startsWith(QStringLiteral("☆ "))) << list->item(0)->text().toStdString();
  EXPECT_TRUE(list->item(1)->text().startsWith(QStringLiteral("★ chorus idea")));
  list->setCurrentRow(0);
  auto* keep = desktop->Workshop().Pane().findChild<QPushButton*>(QStringLiteral("btnKeptUnkeep"));
  EXPECT_EQ(keep->text(), QStringLiteral("キープ"));
  keep->click();
  EXPECT_TRUE(History().Entries()[1].Kept);
  keep->click();
  EXPECT_FALSE(History().Entries()[1].Kept);
  // Naming a phrase not kept keeps it.
  desktop->Workshop().Pane().SetName(1, "verse");
  EXPECT_TRUE(History().Entries()[1].Kept);
  all->setChecked(false);
  EXPECT_EQ(list->count(), 2) << "both are kept now";
}

TEST_F(WorkshopTest, TheSeedInTheStatusBarIsCopiedByAClickAndCanBeLocked) {
  QTest::keyClick(&Main(), Qt::Key_F5);
  const std::uint32_t seed = *desktop->Form.DrawSeed;
  EXPECT_TRUE(SeedShown().contains(QString::number(seed)));
  Main().findChild<QPushButton*>(QStringLiteral("SeedLabel"))->click();
  EXPECT_EQ(platform.clipboard, std::to_string(seed));

  Action("LockSeed")->trigger();
  EXPECT_TRUE(desktop->Form.LockSeed);
  const QString pattern = Shown("memPatten");
  QTest::keyClick(&Main(), Qt::Key_F5);
  EXPECT_EQ(Shown("memPatten"), pattern) << "locked: the same seed draws the same phrase";
  EXPECT_EQ(*desktop->Form.DrawSeed, seed);
}

}  // namespace
