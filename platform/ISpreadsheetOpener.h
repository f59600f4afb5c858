#pragma once

#include <string>

namespace tapelink {

// The desktop's spreadsheet application, as far as an xlsx export needs it.
class ISpreadsheetOpener {
public:
    virtual ~ISpreadsheetOpener() = default;
    // The application that opens .xlsx workbooks (a desktop-entry id), empty when there is none.
    virtual std::string defaultApplication() = 0;
    // Starts that application on the workbook without waiting for it; false with error set when it
    // could not be started.
    virtual bool open(const std::string& path, std::string& error) = 0;
};

}  // namespace tapelink
