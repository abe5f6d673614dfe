#include "compiler/tsmf.h"

namespace vlm {

// Temporary: these commands are not written yet and report their character.

void TSmf::TrackSelect() { Unhandled(); }
void TSmf::TrackListCommand(bool) { Unhandled(); }
void TSmf::TrackFromCommand(bool) { Unhandled(); }
void TSmf::LastPtrCommand() { Unhandled(); }
void TSmf::StrumChordCommand() { Unhandled(); }

}  // namespace vlm
