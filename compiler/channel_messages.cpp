#include "compiler/tsmf.h"

namespace vlm {

// Temporary: these commands are not written yet and report their character.

void TSmf::EmitControl(std::int32_t, std::uint8_t, std::uint8_t) { Unhandled(); }
void TSmf::EmitBend(std::int32_t, std::uint8_t, std::uint8_t) { Unhandled(); }
void TSmf::ControlCommand() { Unhandled(); }
void TSmf::ProgramCommand() { Unhandled(); }
void TSmf::BendCommand(std::int32_t) { Unhandled(); }
void TSmf::TempoCommand() { Unhandled(); }
void TSmf::ExclusiveCommand(std::int32_t) { Unhandled(); }
void TSmf::MetaText(std::uint8_t) { Unhandled(); }

}  // namespace vlm
