#pragma once
// Every kept phrase written out at once, for a sequencer's project folder:
// each as a MIDI file and as its MML source, made with its own settings.

#include <cstddef>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/phrase_handover.h"
#include "app/phrase_history.h"

namespace vlm {

struct KeptExport {
  std::size_t Written = 0;           // phrases whose two files were both written
  std::vector<std::string> Files;    // every file written, in order
};

// Names each phrase by its place in the list and its name, else its seed
// ("01 chorus.mid", "02 seed 123.mid", and ".vlm"); a name that is taken gets " (2)", " (3)", ... so that no
// file in the folder is written over. The folder is made when missing.
KeptExport ExportKeptPhrases(TForm1& form, const std::vector<PhraseEntry>& entries, const std::string& folder);

// One kept phrase handed to another program (dragged into a sequencer or a
// file manager) as a MIDI file of its own in folder, as HandOverPhrase
// hands over the phrase on the roll. When the compile could not write the
// phrase, Path and Failure are both empty: the compile has told the user why.
HandedPhrase HandOverKeptPhrase(TForm1& form, const PhraseEntry& entry, const std::string& folder);

}  // namespace vlm
