#pragma once
// The comma text of a list of strings, as the settings file stores the play list.

#include <string>
#include <vector>

namespace vlm {

// Entries joined by ","; an entry holding a blank, a control character, a
// double quote or a comma is put in double quotes with inner quotes doubled.
// An empty last entry (a list of one empty entry too) is written as two
// double quotes, so that every list reads back as it was.
std::string CommaText(const std::vector<std::string>& entries);

// Splits at commas and at blanks outside double quotes, undoing the quoting.
std::vector<std::string> SplitCommaText(const std::string& text);

}  // namespace vlm
