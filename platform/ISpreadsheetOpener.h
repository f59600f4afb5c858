#pragma once

#include <string>

namespace tapelink {

// The desktop's spreadsheet application, as far as an xlsx export needs it.
class ISpreadsheetOpener {
public:
    virtual ~ISpreadsheetOpener() = default;
    // Whether there is a way to open a workbook at all; checked before anything is written.
    virtual bool available() = 0;
    // Hands the workbook to the application that opens .xlsx files. True only once the desktop has
    // said the application was started; false with error set when it said otherwise or could not be
    // asked. Does not wait for the application itself.
    virtual bool open(const std::string& path, std::string& error) = 0;
};

}  // namespace tapelink
