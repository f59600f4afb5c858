#pragma once

#include <string>

namespace tapelink {

// The width of a cell text in character units, as a spreadsheet's auto-fit sees it: East Asian
// wide and full-width characters (Chinese among them) count two, every other character one.
// Bytes that are not valid UTF-8 count one each and are replaced by U+FFFD in repaired, which is
// left empty when the text is valid.
int cellTextWidth(const std::string& text, std::string& repaired);

}  // namespace tapelink
