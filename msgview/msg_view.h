#pragma once
// The message view ("Message View") without its widgets: the Message pane
// (the compiler's messages), the Debug pane (the source as compiled), the
// jump from an error line to its source line, Find, Find Next and Copy.
//
// The model keeps the state; the window that shows it implements
// MsgViewWindow and is told about every change the model makes. The window
// feeds user actions back: it keeps the panes' selections and the selected
// page up to date in the model before calling a handler.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/platform.h"
#include "msgview/text_pane.h"

namespace vlm {

// Shown in a pane where a message or a compiled line holds a line break
// (a pattern typed over two lines), so that pane line n stays source line n.
constexpr const char* LineBreakMark = "\u23CE";  // "⏎"
// `text` with every CR LF, CR and LF replaced by the mark.
std::string OnePaneLine(const std::string& text);

// The two pages of the view, in tab order.
enum class MsgPage { Message, Debug };

// What the model asks of the window that shows it. Every call happens after
// the model's state already holds the change.
class MsgViewWindow {
 public:
  virtual ~MsgViewWindow() = default;
  virtual void PaneReplaced(MsgPage pane) = 0;                // lines cleared or replaced
  virtual void MessageAppended(const std::string& line) = 0;  // one line added to the Message pane
  virtual void SelectionMoved(MsgPage pane) = 0;              // show the pane's new selection
  virtual void ShowWindow() = 0;                              // make the window visible and raise it
  virtual void PageSelected(MsgPage page) = 0;                // bring this page to the front
  virtual void PaneFocused(MsgPage pane) = 0;                 // give this pane the keyboard focus
};

class TfrmMsg {
 public:
  // `platform` (input box, clipboard) must outlive the model.
  explicit TfrmMsg(Platform& platform);

  // Attaches the window (not owned); nullptr detaches it.
  void SetWindow(MsgViewWindow* window);

  TextPane RichEdit1;                    // the Message pane
  TextPane reDebug;                      // the Debug pane
  std::string SearchText;                // current search string
  MsgPage ActivePage = MsgPage::Debug;   // selected page; Debug until something else is chosen
  bool Visible = false;                  // whether the window is shown
  // Told, after the jump, which error line (0-based among the "err(" lines)
  // was clicked, so that its owner can show the error in the user's text.
  std::function<void(std::int32_t ErrorIndex)> ErrorClicked;

  // ---- used by the compile step and the main window ----
  void ClearMessages();
  void AddMessage(const std::string& text);  // one message, shown on one line
  std::string MessageText() const;
  void SetDebugLines(const std::vector<std::string>& lines);  // one pane line per source line
  void ShowView();         // make the window visible and raise it
  void ShowMessagePage();  // visible, "&Message" page selected, Message pane focused
  void Hide();             // the user closed the window

  // ---- handlers of the window ----
  // Jump from the message line holding the Message pane's caret to the
  // source line it names; both panes' mouse presses run it.
  void RichEdit1MouseDown();
  void Copy1Click();
  void Find1Click();
  void FindNext1Click();

 private:
  Platform& platform_;
  MsgViewWindow* window_ = nullptr;

  void SelectPage(MsgPage page);
  void Focus(MsgPage pane);
};

}  // namespace vlm
