#pragma once
// The stretch of text that made a note, from the note's origin: a note or
// rest command with its accidentals, length and dots ("c+8."), or a command
// word with its bracketed arguments ("ACB(0,64,,0,,0)"). Offsets and lengths
// count code points of a UTF-8 line, as source origins do.

#include <cstdint>
#include <string_view>

namespace vlm::roll {

// Code points from offset that belong to the command starting there; 1 for
// any other character, 0 at or past the end of the line.
std::int32_t CommandLengthAt(std::string_view utf8Line, std::int32_t offset);

}  // namespace vlm::roll
