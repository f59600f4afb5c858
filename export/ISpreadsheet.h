#pragma once

#include <string>

namespace tapelink {

// The spreadsheet application an export drives, one call per automation step in the order the
// exporter makes them: the application, its workbook collection, a new workbook, its sheet
// collection, one sheet, that sheet's cells, one text value per cell, the whole columns, auto-fit,
// centring, showing the workbook and handing it to the user, and finally releasing everything.
// Rows and columns are numbered from 1. A call that fails returns false and errorText() says why;
// release() is still called after a failure so that nothing half-made is left behind.
class ISpreadsheet {
public:
    virtual ~ISpreadsheet() = default;

    virtual bool createApplication() = 0;
    virtual bool openWorkbooks() = 0;
    virtual bool addWorkbook() = 0;
    virtual bool openWorksheets() = 0;
    virtual bool openWorksheet(int index) = 0;
    virtual bool openAllCells() = 0;
    virtual bool putCellText(int row, int column, const std::string& text) = 0;
    virtual bool openWholeColumns() = 0;
    virtual bool autoFitColumns() = 0;
    virtual bool centreHorizontally() = 0;
    virtual bool centreVertically() = 0;
    virtual bool showApplication() = 0;
    // False when the application did not take the workbook; the export then counts as having none.
    virtual bool giveControlToUser() = 0;
    virtual void release() = 0;

    virtual std::string errorText() const = 0;
};

}  // namespace tapelink
