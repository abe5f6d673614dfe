#pragma once
// The main window "Vorlumi3" over the model TForm1: the menus, the tool bar
// with its hints, and the pages "ScaleTab", "RythmTab", "BasicTab" and
// "SongTab". Handlers live in the model; the window commands that only move
// windows (voice editor, message view, help, version box, close) live here.

#include <QMainWindow>
#include <functional>

#include "app/main_form.h"
#include "msgview/msg_view.h"
#include "ui/binder.h"

class QTabWidget;
class QToolBar;

namespace vlm::ui {

class PlayStatus;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // The models and the platform must outlive the window. `changed` runs after
  // every user action so that all windows show the models again.
  MainWindow(TForm1& form, TfrmMsg& messages, Platform& platform, std::function<void()> changed,
             QWidget* parent = nullptr);

  void Refresh();
  QTabWidget* Pages() const { return pages_; }
  // The menu of the menu bar holding the entry named actionName; null when none does.
  QMenu* MenuHolding(const QString& actionName) const;
  PlayStatus& Playing() const { return *playStatus_; }

  // ---- window commands ----
  void VoiceEdeiter1Click();
  void MessageView1Click();
  void Help2Click();
  void VerInfo1Click();
  void Close1Click();

 signals:
  // The voice editor is to be brought to the front.
  void VoiceEditorRaised();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  TForm1& form_;
  TfrmMsg& messages_;
  Platform& platform_;
  Binder binder_;
  QTabWidget* pages_;
  PlayStatus* playStatus_;
  QAction* loop_ = nullptr;  // Play > Loop, also on the tool bar

  void BuildMenus();
  QAction* Entry(QMenu* menu, const QString& caption, const QString& name, const QKeySequence& key,
                 std::function<void()> handler);
  void AddLoopEntry(QMenu* play);
  void BuildToolBar();
  void FitToPages();
  // ---- pages (main_pages.cpp) ----
  QWidget* ScalePage();
  QWidget* RythmPage();
  QWidget* BasicPage();
  QWidget* SongPage();
};

// The text of the version box; line breaks are single CR characters.
std::string VersionText();

}  // namespace vlm::ui
