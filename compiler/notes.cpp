#include "compiler/tsmf.h"

namespace vlm {

// Temporary: these commands are not written yet and report their character.

void TSmf::NoteCommand() { Unhandled(); }
void TSmf::RestCommand() { Unhandled(); }
std::int32_t TSmf::ReadLength(const std::string&, std::int32_t&) {
  Unhandled();
  return -1;
}
std::int32_t TSmf::ReadNoteNumber(const std::string&, std::int32_t&) {
  Unhandled();
  return -1;
}
std::int32_t TSmf::ReadNoteParams(const std::string&, std::int32_t&) {
  Unhandled();
  return -1;
}

}  // namespace vlm
