#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tapelink::cli {

// --rows LIST: comma-separated 1-based row numbers of the list the command shows ("3", "1,4,2").
// Gives the 0-based rows in ascending order without repeats; nullopt when the text is not such a list or
// names a row outside 1 .. rowCount.
std::optional<std::vector<int>> parseRowList(const std::string& text, int rowCount);

}  // namespace tapelink::cli
