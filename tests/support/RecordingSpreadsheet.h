#pragma once

#include <string>
#include <vector>

#include "export/ISpreadsheet.h"

namespace tapelink::test {

// Keeps every call made to it, in order, as a readable line: "putCellText 2 3  通话录音".
// failAt makes the call with that name (and, for putCellText, the given cell) fail.
class RecordingSpreadsheet : public ISpreadsheet {
public:
    bool createApplication() override { return record("createApplication"); }
    bool openWorkbooks() override { return record("openWorkbooks"); }
    bool addWorkbook() override { return record("addWorkbook"); }
    bool openWorksheets() override { return record("openWorksheets"); }
    bool openWorksheet(int index) override { return record("openWorksheet " + std::to_string(index)); }
    bool openAllCells() override { return record("openAllCells"); }
    bool putCellText(int row, int column, const std::string& text) override;
    bool openWholeColumns() override { return record("openWholeColumns"); }
    bool autoFitColumns() override { return record("autoFitColumns"); }
    bool centreHorizontally() override { return record("centreHorizontally"); }
    bool centreVertically() override { return record("centreVertically"); }
    bool showApplication() override { return record("showApplication"); }
    bool giveControlToUser() override { return record("giveControlToUser"); }
    void release() override { record("release"); }
    std::string errorText() const override { return error; }

    // Only the putCellText calls, in order.
    std::vector<std::string> cellCalls() const;

    std::vector<std::string> calls;
    std::string failAt;  // a whole call line, e.g. "addWorkbook" or "putCellText 3 1 2"
    std::string error = "the spreadsheet failed";

private:
    bool record(const std::string& call);
};

// The calls an export makes before its first cell and after its last one.
std::vector<std::string> openingCalls();
std::vector<std::string> closingCalls();

}  // namespace tapelink::test
