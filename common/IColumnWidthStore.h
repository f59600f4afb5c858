#pragma once

#include <string>
#include <vector>

namespace tapelink {

// Where the widths the user dragged a list's columns to are kept between runs, by the list's name.
class IColumnWidthStore {
public:
    virtual ~IColumnWidthStore() = default;
    // The widths stored for list, one per column from the first; empty when none are.
    virtual std::vector<int> columnWidths(const std::string& list) const = 0;
    // Keeps widths for list at once; false when they could not be written.
    virtual bool setColumnWidths(const std::string& list, const std::vector<int>& widths) = 0;
};

}  // namespace tapelink
