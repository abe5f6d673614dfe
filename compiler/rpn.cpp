#include "compiler/tsmf.h"

namespace vlm {

// Temporary: these commands are not written yet and report their character.

void TSmf::ParamWrite(std::uint8_t, std::uint8_t) { Unhandled(); }

}  // namespace vlm
