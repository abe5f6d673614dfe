#include "compiler/tsmf.h"

namespace vlm {

// Temporary: these commands are not written yet and report their character.

void TSmf::VariableCommand() { Unhandled(); }

}  // namespace vlm
