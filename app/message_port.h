#pragma once
// What the main window uses of the message view: the compiler's messages go
// to its Message pane, and a compile with errors brings it up with the
// compiled source on its Debug pane.

#include <string>
#include <vector>

namespace vlm {

class MessagePort {
 public:
  virtual ~MessagePort() = default;
  // Appends one line to the Message pane (the compiler's message sink).
  virtual void AddMessage(const std::string& text) = 0;
  virtual void ClearMessages() = 0;
  // The Message pane's whole text.
  virtual std::string MessageText() const = 0;
  // Makes the view visible with its "&Message" page selected and the Message pane focused.
  virtual void ShowMessagePage() = 0;
  // Replaces the Debug pane's lines.
  virtual void SetDebugLines(const std::vector<std::string>& lines) = 0;
};

}  // namespace vlm
