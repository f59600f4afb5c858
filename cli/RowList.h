#pragma once

#include <string>
#include <vector>

namespace tapelink::cli {

// Parses a comma-separated list of 1-based row numbers as the 序号 column shows them ("1,3,7"; "2-5" for
// a range) into 0-based row indices, ascending and without repeats. False with a reason in error when
// the list is empty, malformed, or names a row outside 1..rowCount.
bool parseRowList(const std::string& text, int rowCount, std::vector<int>& rows, std::string& error);

}  // namespace tapelink::cli
