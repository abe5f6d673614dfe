#pragma once
// How toolkit-free code warns the user. The desktop program installs a sink
// that shows a modal box captioned "警告"; command-line tools print to stderr;
// tests install a recording fake.

#include <string>

namespace vlm {

class WarningSink {
 public:
  virtual ~WarningSink() = default;
  virtual void ShowWarning(const std::string& text) = 0;  // modal, one OK button
  virtual void Beep() = 0;                                 // the system beep
};

// Installs the process-wide sink (not owned); nullptr restores the stderr sink.
void SetWarningSink(WarningSink* sink);
WarningSink& Warnings();

inline void ShowWarning(const std::string& text) { Warnings().ShowWarning(text); }
inline void Beep() { Warnings().Beep(); }

}  // namespace vlm
