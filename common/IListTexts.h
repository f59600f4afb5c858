#pragma once

#include <string>

namespace tapelink {

// Read access to the texts of a recording list (the phone list, the recycle-bin list, the search
// results), so that core code can work on what a window shows without knowing the window.
class IListTexts {
public:
    virtual ~IListTexts() = default;
    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    virtual std::string columnTitle(int column) const = 0;
    virtual std::string cellText(int row, int column) const = 0;
    // The contact's name and the remark (note, then tags in brackets) of a row, which the exports add after
    // the list's columns; empty where the list knows none.
    virtual std::string nameText(int /*row*/) const { return {}; }
    virtual std::string remarkText(int /*row*/) const { return {}; }
};

}  // namespace tapelink
