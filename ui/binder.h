#pragma once
// Binds widgets to the fields of a toolkit-free model. A widget's user change
// writes its field and runs the field's handler (the model's own OnChange, or
// the handler given here); then every window shows the models again through
// the `changed` callback, which calls Refresh of each binder. Refresh writes
// the fields into the widgets with their signals blocked, so showing a value
// never runs a handler.

#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "common/controls.h"

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QScrollBar;

namespace vlm::ui {

class NumericEdit;

// Multi-line texts: the model keeps "\r\n" between lines, the widgets "\n".
std::string ModelText(const QString& shown);
QString ShownText(const std::string& model);

// Runs one command of the user. Memory running out inside it abandons the
// command with a message box instead of ending the program; every command
// the windows run goes through here.
void RunGuarded(const std::function<void()>& command);

// The binder is the context of every connection it makes: once it is gone
// (its window is being destroyed), no widget signal reaches the models.
class Binder : public QObject {
 public:
  explicit Binder(std::function<void()> changed);

  // Runs a handler of the model (guarded), then lets every window show the
  // result, also of a handler abandoned half-way.
  void Run(const std::function<void()>& handler);
  void Refresh() const;

  void Bind(QScrollBar* bar, ScrollBar& field);  // position, range and hint
  void Bind(NumericEdit* edit, NumericSetting& field);
  void Bind(QPlainTextEdit* edit, std::string& field);  // program changes can be undone in the box
  void Bind(QLineEdit* edit, std::string& field);
  // `choose` runs after the user's choice is stored (selecting from the
  // program runs nothing).
  void Bind(QComboBox* box, ChoiceList& field, std::function<void()> choose = {});
  void Bind(QCheckBox* box, bool& field);
  void Show(QListWidget* list, const std::vector<std::string>& field);  // shown only
  void OnClick(QAbstractButton* button, std::function<void()> handler);
  void OnTrigger(QAction* action, std::function<void()> handler);
  // Any other piece of a window that follows the models.
  void OnRefresh(std::function<void()> show);

 private:
  std::function<void()> changed_;
  std::vector<std::function<void()>> refreshers_;
};

}  // namespace vlm::ui
