#include "compiler/tsmf.h"

namespace vlm {

// Temporary: these commands are not written yet and report their character.

void TSmf::LoopCommand() { Unhandled(); }
void TSmf::IfCommand() { Unhandled(); }
void TSmf::SlashChord() { Unhandled(); }
std::int32_t TSmf::ReadSingleValue(const std::string&, std::int32_t&, std::int32_t&) {
  Unhandled();
  return -1;
}

}  // namespace vlm
