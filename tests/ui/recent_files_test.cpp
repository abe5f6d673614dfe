// File > Open Recent as the user meets it: the files opened or saved are
// listed newest first, each once, and open again as they were opened; the
// list outlasts the run.
#include "ui/recent_files.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "common/app_path.h"
#include "common/text_file.h"
#include "tests/support/scripted_platform.h"
#include "ui/desktop.h"
#include "ui/mml_roll_window.h"
#include "ui/roll_pane.h"

namespace {

class RecentFilesTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QTemporaryDir config;
  vlm::test::ScriptedPlatform platform;
  std::unique_ptr<vlm::ui::Desktop> desktop;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid() && config.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    std::filesystem::copy_file(std::string(VLM_BIN_DIR) + "/Scale.dat", Path("Scale.dat"));
    vlm::SetAppPathForTesting(dir.path().toStdString());
    desktop = std::make_unique<vlm::ui::Desktop>(platform, nullptr);
    desktop->Start();
  }
  void TearDown() override {
    for (QWidget* window : QApplication::topLevelWidgets())
      if (auto* roll = qobject_cast<vlm::ui::MmlRollWindow*>(window)) roll->close();
    desktop.reset();
    vlm::SetAppPathForTesting("");
  }
  std::string Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)).toStdString(); }

  // The entries the menu shows when it opens, without the accelerator.
  std::vector<std::string> Shown() const {
    QMenu* menu = desktop->Recent().Menu();
    emit menu->aboutToShow();
    std::vector<std::string> shown;
    for (QAction* entry : menu->actions())
      if (entry->data().isValid()) shown.push_back(entry->data().toString().toStdString());
    return shown;
  }
  void Choose(std::size_t index) const {
    QMenu* menu = desktop->Recent().Menu();
    emit menu->aboutToShow();
    std::size_t k = 0;
    for (QAction* entry : menu->actions())
      if (entry->data().isValid() && k++ == index) entry->trigger();
  }
};

TEST_F(RecentFilesTest, FilesOpenedOrSavedComeBackFromTheMenu) {
  vlm::TForm1& form = desktop->Form;
  EXPECT_TRUE(Shown().empty());
  form.memPatten = "l8 o5 c e g";
  platform.fileAnswers = {Path("first.vr3")};
  form.Save1Click();
  ASSERT_TRUE(vlm::WriteFileAtomically(Path("song.vlm"), "o4 l8 c d e f\n") == std::nullopt);
  desktop->Roll().OpenMmlWindow(Path("song.vlm"));
  EXPECT_EQ(Shown(), (std::vector<std::string>{Path("song.vlm"), Path("first.vr3")}));

  // The settings file opens as Open opens it.
  form.memPatten = "changed";
  Choose(1);
  EXPECT_EQ(form.memPatten, "l8 o5 c e g");
  EXPECT_EQ(Shown(), (std::vector<std::string>{Path("first.vr3"), Path("song.vlm")})) << "each file once";

  // An MML file opens in a window of its own.
  Choose(1);
  int windows = 0;
  for (QWidget* window : QApplication::topLevelWidgets())
    if (auto* roll = qobject_cast<vlm::ui::MmlRollWindow*>(window); roll && roll->isVisible()) ++windows;
  EXPECT_EQ(windows, 2);

  // A file gone for now is not shown, but is kept for when it comes back.
  std::filesystem::rename(Path("first.vr3"), Path("away.vr3"));
  EXPECT_EQ(Shown(), std::vector<std::string>{Path("song.vlm")});
  std::filesystem::rename(Path("away.vr3"), Path("first.vr3"));

  // The next run has the same list.
  desktop.reset();
  desktop = std::make_unique<vlm::ui::Desktop>(platform, nullptr);
  EXPECT_EQ(Shown(), (std::vector<std::string>{Path("song.vlm"), Path("first.vr3")}));
}

TEST_F(RecentFilesTest, TheListKeepsTheNewestTenAndCanBeCleared) {
  for (int k = 0; k < 12; ++k) {
    const std::string name = Path(("s" + std::to_string(k) + ".vr3").c_str());
    platform.fileAnswers = {name};
    desktop->Form.Save1Click();
  }
  const auto shown = Shown();
  ASSERT_EQ(shown.size(), 10u);
  EXPECT_EQ(shown.front(), Path("s11.vr3"));
  EXPECT_EQ(shown.back(), Path("s2.vr3"));

  for (QAction* entry : desktop->Recent().Menu()->actions())
    if (entry->objectName() == QLatin1String("ClearRecentFiles")) entry->trigger();
  EXPECT_TRUE(Shown().empty());
}

}  // namespace
