#pragma once
// The message view window "Message View": the pages "&Message" and "&Debug"
// over the model TfrmMsg. The window only shows the model and passes the
// user's presses, keys and page choices to it.

#include <QPointer>
#include <QWidget>
#include <functional>

#include "msgview/msg_view.h"

class QTabWidget;
class QAction;

namespace vlm::ui {

class TextPaneWidget;

class MsgViewWindowQt : public QWidget, public MsgViewWindow {
  Q_OBJECT

 public:
  // The model must outlive the window; the window attaches itself to it.
  explicit MsgViewWindowQt(TfrmMsg& model, QWidget* parent = nullptr);
  ~MsgViewWindowQt() override;

  TextPaneWidget* MessagePane() const { return richEdit1_; }
  TextPaneWidget* DebugPane() const { return reDebug_; }
  QTabWidget* Pages() const { return pages_; }
  // The window this one opens beside (the main window); not owned.
  void SetAnchor(QWidget* anchor) { anchor_ = anchor; }

  // ---- MsgViewWindow ----
  void PaneReplaced(MsgPage pane) override;
  void MessageAppended(const std::string& line) override;
  void SelectionMoved(MsgPage pane) override;
  void ShowWindow() override;
  void PageSelected(MsgPage page) override;
  void PaneFocused(MsgPage pane) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  TfrmMsg& model_;
  QTabWidget* pages_;
  TextPaneWidget* richEdit1_;
  TextPaneWidget* reDebug_;
  QPointer<QWidget> anchor_;

  TextPaneWidget* Pane(MsgPage pane) const;
  void StoreSelections();
  // `context` says where the key works: the Debug pane only, or the whole window.
  QAction* AddDebugAction(const QString& caption, const QKeySequence& key, Qt::ShortcutContext context,
                          std::function<void()> handler);
};

}  // namespace vlm::ui
