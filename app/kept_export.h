#pragma once
// Every kept phrase written out at once, for a sequencer's project folder:
// each as a MIDI file and as its MML source, made with its own settings.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/phrase_history.h"

namespace vlm {

struct KeptExport {
  std::size_t Written = 0;           // phrases whose two files were both written
  std::vector<std::string> Files;    // every file written, in order
};

// Names each phrase by its place in the list and its seed ("01 seed 123.mid"
// and ".vlm"); a name that is taken gets " (2)", " (3)", ... so that no
// file in the folder is written over. The folder is made when missing.
KeptExport ExportKeptPhrases(TForm1& form, const std::vector<PhraseEntry>& entries, const std::string& folder);

// The MIDI file of one phrase dragged out of the program (into a sequencer
// or a file manager), written into folder as "seed N.mid" ("phrase.mid"
// without a seed); its path, or nothing when it could not be written (the
// user has been told why). A sequencer may go on reading the file where it
// lies, so a file already there is never written over: the same phrase
// dragged again reuses its file, another one gets " (2)", " (3)", ...
std::optional<std::string> ExportForDrag(TForm1& form, const PhraseEntry& entry, const std::string& folder);

}  // namespace vlm
