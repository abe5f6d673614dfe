#include "compiler/tsmf.h"

namespace vlm {

// Temporary: these commands are not written yet and report their character.

void TSmf::ExpandMacro() {}
void TSmf::ExpandArg(std::string&, std::int32_t&) {}
void TSmf::DefineMacro() { Unhandled(); }

}  // namespace vlm
