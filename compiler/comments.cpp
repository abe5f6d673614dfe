#include "compiler/tsmf.h"

namespace vlm {

// Temporary: these commands are not written yet and report their character.

void TSmf::SkipComment() { Unhandled(); }
void TSmf::UnderscoreCommand() { Unhandled(); }
void TSmf::Directive() { Unhandled(); }
void TSmf::IncludeFile() { Unhandled(); }

}  // namespace vlm
