#include "compiler/tsmf.h"

namespace vlm {

// Temporary: these commands are not written yet and report their character.

void TSmf::LengthCommand() { Unhandled(); }
void TSmf::OctaveShift() { Unhandled(); }
void TSmf::VelocityCommand() { Unhandled(); }
void TSmf::AccentCommand() { Unhandled(); }

}  // namespace vlm
