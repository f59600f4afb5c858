#include "tests/support/RecordingSpreadsheet.h"

#include <algorithm>

namespace tapelink::test {

bool RecordingSpreadsheet::putCellText(int row, int column, const std::string& text) {
    return record("putCellText " + std::to_string(row) + " " + std::to_string(column) + " " + text);
}

bool RecordingSpreadsheet::record(const std::string& call) {
    calls.push_back(call);
    return call != failAt;
}

std::vector<std::string> RecordingSpreadsheet::cellCalls() const {
    std::vector<std::string> cells;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(cells),
                 [](const std::string& call) { return call.starts_with("putCellText "); });
    return cells;
}

std::vector<std::string> openingCalls() {
    return {"createApplication", "openWorkbooks", "addWorkbook", "openWorksheets", "openWorksheet 1", "openAllCells"};
}

std::vector<std::string> closingCalls() {
    return {"openWholeColumns",  "autoFitColumns", "centreHorizontally", "centreVertically", "showApplication",
            "giveControlToUser", "release"};
}

}  // namespace tapelink::test
