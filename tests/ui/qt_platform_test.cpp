#include "ui/qt_platform.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>

#include <functional>

#include "ui/help_window.h"


namespace {

// Runs `inspect` on the modal dialog that the next call opens, then lets the
// dialog (the inspector accepts or rejects it).
void WhenModalOpens(std::function<void(QWidget*)> inspect) {
  QTimer::singleShot(0, [inspect] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    inspect(modal);
  });
}

TEST(QtFilter, TurnsFilterPairsIntoQtEntries) {
  EXPECT_EQ(vlm::ui::QtFilter("Vorlumi3 save data|*.vr3|all|*.*"),
            QStringLiteral("Vorlumi3 save data (*.vr3);;all (*)"));
  EXPECT_EQ(vlm::ui::QtFilter("(*.vlm)|*.vlm|(*.*)|*.*"), QStringLiteral("(*.vlm) (*.vlm);;(*.*) (*)"));
  EXPECT_EQ(vlm::ui::QtFilter("smf|*.mid;*.midi"), QStringLiteral("smf (*.mid *.midi)"));
  EXPECT_EQ(vlm::ui::QtFilter(""), QString());
}

TEST(DisplayText, AcceptsEveryLineBreakForm) {
  EXPECT_EQ(vlm::ui::DisplayText("a\r\rb\r\nc\nd"), QStringLiteral("a\n\nb\nc\nd"));
}

TEST(QtPlatform, WarningBoxHasItsCaptionIconAndOneButton) {
  vlm::ui::QtPlatform platform;
  bool seen = false;
  WhenModalOpens([&seen](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("警告"));
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->text(), QStringLiteral("No Song !"));
    EXPECT_EQ(box->buttons().size(), 1);
    seen = true;
    box->accept();
  });
  platform.ShowWarning("No Song !");
  EXPECT_TRUE(seen);
}

TEST(QtPlatform, CaptionedBoxShowsCarriageReturnsAsLineBreaks) {
  vlm::ui::QtPlatform platform;
  WhenModalOpens([](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Version Info."));
    EXPECT_EQ(box->text(), QStringLiteral("Vorlumi3\n\nver"));
    box->accept();
  });
  platform.ShowMessageCaption("Version Info.", "Vorlumi3\r\rver");
}

TEST(QtPlatform, InputBoxReturnsTheTextOnOkAndTheProposalOnCancel) {
  vlm::ui::QtPlatform platform;
  WhenModalOpens([](QWidget* modal) {
    auto* dialog = qobject_cast<QInputDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("スケールの名前を入力してください。"));
    EXPECT_EQ(dialog->labelText(), QStringLiteral("Save Scale"));
    auto* edit = dialog->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), QStringLiteral("USER"));
    edit->setText(QString(300, QLatin1Char('x')));  // held to 255 characters
    dialog->accept();
  });
  EXPECT_EQ(platform.InputBox("スケールの名前を入力してください。", "Save Scale", "USER"), std::string(255, 'x'));

  WhenModalOpens([](QWidget* modal) {
    auto* edit = modal->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->setText(QStringLiteral("changed"));
    qobject_cast<QDialog*>(modal)->reject();
  });
  EXPECT_EQ(platform.InputBox("c", "p", "proposal"), "proposal");
}

TEST(QtPlatform, SaveDialogAddsTheDefaultExtensionAndRemembersTheFolder) {
  vlm::ui::QtPlatform platform;
  const QString folder = QDir::tempPath();
  WhenModalOpens([&folder](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->nameFilters(), (QStringList{"smf (*.mid)", "all (*)"}));
    dialog->setDirectory(folder);
    dialog->selectFile(QStringLiteral("phrase"));
    static_cast<QDialog*>(dialog)->accept();
  });
  const auto chosen = platform.SaveFileName({"mid", "smf|*.mid|all|*.*"});
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(QString::fromStdString(*chosen), QDir(folder).filePath(QStringLiteral("phrase.mid")));

  WhenModalOpens([&folder](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(folder).canonicalPath());
    dialog->reject();
  });
  EXPECT_FALSE(platform.OpenFileName({"vr3", "Vorlumi3 save data|*.vr3|all|*.*"}).has_value());
}

// The find box of the message view: owned by the window that asked (the
// active one), not by the main window, and wide enough for its whole title.
TEST(QtPlatform, InputBoxBelongsToTheActiveWindowAndShowsItsWholeTitle) {
  vlm::ui::QtPlatform platform;
  QWidget main, view;
  platform.SetOwner(&main);
  main.show();
  view.show();
  view.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  const QString title = QStringLiteral("検索文字列を入力してください。");
  WhenModalOpens([&view, &title](QWidget* modal) {
    EXPECT_EQ(modal->parentWidget(), &view);
    // Room for the title and for the window manager's buttons beside it.
    EXPECT_GE(modal->width(), modal->fontMetrics().horizontalAdvance(title) + 100);
    EXPECT_TRUE(modal->screen()->availableGeometry().contains(modal->frameGeometry()));
    qobject_cast<QDialog*>(modal)->reject();
  });
  EXPECT_EQ(platform.InputBox(title.toStdString(), "検索", "c"), "c");
}

// Before any file was chosen in this run the dialogs start in the home
// folder, not in the program's own.
TEST(QtPlatform, FileDialogsStartAtHomeBeforeAnyFolderWasUsed) {
  vlm::ui::QtPlatform platform;
  WhenModalOpens([](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->directory().canonicalPath(), QDir::home().canonicalPath());
    dialog->reject();
  });
  EXPECT_FALSE(platform.OpenFileName({"vr3", "Vorlumi3 save data|*.vr3|all|*.*"}).has_value());
  EXPECT_EQ(vlm::ui::StartFolder(QString()), QDir::homePath());
  EXPECT_EQ(vlm::ui::StartFolder(QStringLiteral("/srv/songs")), QStringLiteral("/srv/songs"));
}

TEST(QtPlatform, StatusNotesGoToTheOwnersStatusBarOnOneLine) {
  vlm::ui::QtPlatform platform;
  platform.ShowStatus("nowhere to go");  // no owner: dropped
  QMainWindow main;
  platform.SetOwner(&main);
  platform.ShowStatus("音が出ません: no device\rinstall a server");
  EXPECT_EQ(main.statusBar()->currentMessage(), QStringLiteral("音が出ません: no device install a server"));
}

TEST(QtPlatform, ClipboardTakesTheText) {
  vlm::ui::QtPlatform platform;
  platform.SetClipboardText("M(20) @0");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("M(20) @0"));
}


// No translation is installed here, so the windows speak Japanese and the
// help shows the Japanese page beside the file it was given.
TEST(QtPlatform, HelpShowsOurHelpFileAndReportsAMissingOne) {
  vlm::ui::QtPlatform platform;
  const std::string help = std::string(VLM_BIN_DIR) + "/vorlumi3.hlp";
  platform.ShowHelp(help);
  vlm::ui::HelpWindow* window = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* h = qobject_cast<vlm::ui::HelpWindow*>(w); h && h->isVisible()) window = h;
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->Source(), QString::fromStdString(std::string(VLM_BIN_DIR) + "/vorlumi3.ja.hlp"));
  EXPECT_TRUE(window->screen()->availableGeometry().contains(window->frameGeometry()));
  EXPECT_TRUE(window->findChild<QTextBrowser*>()->toPlainText().contains(QStringLiteral("Voice Editer")));

  bool reported = false;
  WhenModalOpens([&reported](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_TRUE(box->text().contains(QStringLiteral("nowhere.hlp")));
    reported = true;
    box->accept();
  });
  platform.ShowHelp("/nowhere.hlp");
  EXPECT_TRUE(reported);
}

TEST(QtPlatform, ProcessEventsLetsTheWindowsCatchUpFirst) {
  vlm::ui::QtPlatform platform;
  int refreshes = 0;
  platform.BeforeProcessEvents = [&refreshes] { ++refreshes; };
  platform.ProcessEvents();
  EXPECT_EQ(refreshes, 1);
}

}  // namespace
