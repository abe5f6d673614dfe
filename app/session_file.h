#pragma once
// The main window's settings kept from one run of the program to the next:
// the pattern, the rhythm, the song slots and every other key a settings
// file holds, and the voice editor's rows. The desktop program saves them while it runs and when it ends,
// and applies them again at its next start, so that quitting or a crash
// loses at most the last few seconds of work.

#include <optional>
#include <string>

#include "app/main_form.h"

namespace vlm {

class SessionFile {
 public:
  // The form must outlive the session file.
  SessionFile(TForm1& form, std::string path);

  // Applies the settings saved last, if there are any. A file that cannot be
  // read leaves the form as it is and is never written over: the reason is
  // returned, and later saves are refused, so that a file we failed to read
  // is not replaced by a fresh session.
  std::optional<std::string> Restore();

  // Writes the settings when they differ from those last written or
  // restored; the reason when they could not be written.
  std::optional<std::string> SaveIfChanged();

  const std::string& Path() const { return path_; }

 private:
  TForm1& form_;
  std::string path_;
  std::string saved_;       // the settings as the file holds them
  bool writable_ = true;    // false once the file could not be read
};

}  // namespace vlm
