#include "compiler/tsmf.h"

namespace vlm {

// Temporary: these commands are not written yet and report their character.

void TSmf::ControllerCurve() { Unhandled(); }
void TSmf::BendCurve() { Unhandled(); }

}  // namespace vlm
