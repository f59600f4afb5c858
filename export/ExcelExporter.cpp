#include "export/ExcelExporter.h"

#include "export/SheetLayout.h"

namespace tapelink {

namespace {

constexpr int kTitleRow = 1;
constexpr int kFirstValueRow = 2;

}  // namespace

ExportOutcome ExcelExporter::Export(const IListTexts& list, ISpreadsheet& spreadsheet) {
    if (!spreadsheet.createApplication()) {
        m_messages.showMessage("创建Excel服务失败!", MessageIcon::Warning);
        return ExportOutcome::NoApplication;
    }
    const bool filled = fillWorkbook(list, spreadsheet);
    if (filled && !spreadsheet.giveControlToUser()) {
        // The application would not take the workbook: the same as having none, and nothing stays behind.
        m_messages.showMessage("创建Excel服务失败!", MessageIcon::Warning);
        spreadsheet.release();
        return ExportOutcome::NoApplication;
    }
    if (!filled) {
        const std::string error = spreadsheet.errorText();
        m_messages.showMessage(error.empty() ? "导出EXCEL失败!" : error, MessageIcon::Warning);
    }
    spreadsheet.release();
    return filled ? ExportOutcome::Exported : ExportOutcome::Failed;
}

bool ExcelExporter::fillWorkbook(const IListTexts& list, ISpreadsheet& spreadsheet) {
    if (!spreadsheet.openWorkbooks() || !spreadsheet.addWorkbook() || !spreadsheet.openWorksheets() ||
        !spreadsheet.openWorksheet(1) || !spreadsheet.openAllCells()) {
        return false;
    }
    const int exported = exportedColumnCount(list.columnCount());
    if (!putTitles(list, spreadsheet, exported)) return false;
    // Column by column; the kind column's pass also writes the number column it depends on.
    for (int column = 0; column < exported; ++column) {
        if (column == kKindColumn) {
            const bool withNumber = exported > kNumberColumn;
            if (!putKindAndNumberColumns(list, spreadsheet, withNumber)) return false;
            if (withNumber) ++column;
        } else if (!putColumn(list, spreadsheet, column)) {
            return false;
        }
    }
    if (!putNamesAndRemarks(list, spreadsheet, exported)) return false;
    return spreadsheet.openWholeColumns() && spreadsheet.autoFitColumns() && spreadsheet.centreHorizontally() &&
           spreadsheet.centreVertically() && spreadsheet.showApplication();
}

bool ExcelExporter::putTitles(const IListTexts& list, ISpreadsheet& spreadsheet, int exported) {
    for (int column = 0; column < exported; ++column) {
        if (!spreadsheet.putCellText(kTitleRow, column + 1, cutTitle(list.columnTitle(column)))) return false;
    }
    return spreadsheet.putCellText(kTitleRow, exported + 1, kNameTitle) &&
           spreadsheet.putCellText(kTitleRow, exported + 2, kRemarkTitle);
}

bool ExcelExporter::putNamesAndRemarks(const IListTexts& list, ISpreadsheet& spreadsheet, int exported) {
    for (int row = 0; row < list.rowCount(); ++row) {
        if (!spreadsheet.putCellText(row + kFirstValueRow, exported + 1, list.nameText(row))) return false;
    }
    for (int row = 0; row < list.rowCount(); ++row) {
        if (!spreadsheet.putCellText(row + kFirstValueRow, exported + 2, list.remarkText(row))) return false;
    }
    return true;
}

bool ExcelExporter::putColumn(const IListTexts& list, ISpreadsheet& spreadsheet, int column) {
    // The row count is read again before every row, as the list may be changing under a long export.
    for (int row = 0; row < list.rowCount(); ++row) {
        if (!spreadsheet.putCellText(row + kFirstValueRow, column + 1, list.cellText(row, column))) return false;
    }
    return true;
}

bool ExcelExporter::putKindAndNumberColumns(const IListTexts& list, ISpreadsheet& spreadsheet, bool withNumber) {
    const bool hasNumber = list.columnCount() > kNumberColumn;
    for (int row = 0; row < list.rowCount(); ++row) {
        const std::string number = hasNumber ? list.cellText(row, kNumberColumn) : std::string();
        const int sheetRow = row + kFirstValueRow;
        if (withNumber && !spreadsheet.putCellText(sheetRow, kNumberColumn + 1, number)) return false;
        const std::string kind = kindCellText(list.cellText(row, kKindColumn), number);
        if (!spreadsheet.putCellText(sheetRow, kKindColumn + 1, kind)) return false;
    }
    return true;
}

}  // namespace tapelink
