#pragma once
// The comma text of a list of strings, as the settings file stores the play list.

#include <string>
#include <vector>

namespace vlm {

// Entries joined by ","; an entry holding a blank, a control character, a
// double quote or a comma is put in double quotes with inner quotes doubled.
// A list of one empty entry is written as two double quotes.
std::string CommaText(const std::vector<std::string>& entries);

// Splits at commas and at blanks outside double quotes, undoing the quoting.
std::vector<std::string> SplitCommaText(const std::string& text);

}  // namespace vlm
