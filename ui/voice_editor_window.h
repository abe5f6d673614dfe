#pragma once
// The voice editor window "Voice Editer" over the model TfrmVEdit: ten rows
// of switch, value box, bar and "Rnd", the group random buttons, the reset
// switches, Play, Stop and Ok, and the Check and Copy menus.

#include <QWidget>
#include <array>
#include <functional>

#include "ui/binder.h"
#include "voice/voice_editor.h"

class QCheckBox;
class QLineEdit;
class QScrollBar;
class QPushButton;
class QMenu;
class QMenuBar;
class QKeySequence;

namespace vlm::ui {

class VoiceEditorWindow : public QWidget {
  Q_OBJECT

 public:
  // `changed` runs after every user action, so that all windows show the
  // models again (a row may change the main window's program number).
  VoiceEditorWindow(TfrmVEdit& model, std::function<void()> changed, QWidget* parent = nullptr);

  // Shows the model: every control, and the window's visibility.
  void Refresh();

  QCheckBox* Switch(int row) const { return switches_[static_cast<std::size_t>(row - 1)]; }  // 1..12
  QLineEdit* Box(int row) const { return boxes_[static_cast<std::size_t>(row - 1)]; }       // 1..10
  QScrollBar* Bar(int row) const { return bars_[static_cast<std::size_t>(row - 1)]; }       // 1..10
  QPushButton* RowRandom(int row) const { return randoms_[static_cast<std::size_t>(row - 1)]; }
  QMenuBar* Menu() const { return menu_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TfrmVEdit& model_;
  Binder binder_;
  std::array<QCheckBox*, 12> switches_{};
  std::array<QLineEdit*, TfrmVEdit::RowCount> boxes_{};
  std::array<QScrollBar*, TfrmVEdit::RowCount> bars_{};
  std::array<QPushButton*, TfrmVEdit::RowCount> randoms_{};
  QMenuBar* menu_;

  QPushButton* Button(const QString& caption, const QString& name, std::function<void()> handler);
  void MenuEntry(QMenu* menu, const QString& caption, const QString& name, const QKeySequence& key,
                 std::function<void()> handler);
};

}  // namespace vlm::ui
