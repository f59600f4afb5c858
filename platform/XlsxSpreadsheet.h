#pragma once

#include <string>
#include <vector>

#include "export/ISpreadsheet.h"
#include "platform/ISpreadsheetOpener.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace tapelink {

// A new xlsx workbook in place of an automated spreadsheet application: text cells sharing one
// style that is centred both ways, columns fitted to their texts. Either it is written to a given
// file, which is replaced only once the workbook is complete, or it is written as an untitled
// workbook into a private temporary folder and opened in the desktop's spreadsheet application;
// without such an application the export cannot start and nothing is created.
class XlsxSpreadsheet : public ISpreadsheet {
public:
    static constexpr const char* kUntitledName = "工作簿1.xlsx";
    // Width added to the widest text of a column, for the cell margins.
    static constexpr int kWidthPadding = 1;

    // Writes the workbook to targetPath; nothing is opened.
    explicit XlsxSpreadsheet(std::string targetPath);
    // Writes into a new folder under tempParent (made when missing; the system's temporary folder
    // when empty) and opens the workbook with opener.
    explicit XlsxSpreadsheet(ISpreadsheetOpener& opener, std::string tempParent = {});
    ~XlsxSpreadsheet() override;
    XlsxSpreadsheet(const XlsxSpreadsheet&) = delete;
    XlsxSpreadsheet& operator=(const XlsxSpreadsheet&) = delete;

    bool createApplication() override;
    bool openWorkbooks() override;
    bool addWorkbook() override;
    bool openWorksheets() override;
    bool openWorksheet(int index) override;
    bool openAllCells() override;
    bool putCellText(int row, int column, const std::string& text) override;
    bool openWholeColumns() override;
    bool autoFitColumns() override;
    bool centreHorizontally() override;
    bool centreVertically() override;
    bool showApplication() override;
    bool giveControlToUser() override;
    void release() override;
    std::string errorText() const override { return m_error; }

private:
    bool fail(std::string error);
    bool createTemporaryFile();

    ISpreadsheetOpener* m_opener = nullptr;
    std::string m_targetPath;
    std::string m_tempParent;
    std::string m_folder;       // the private folder of a desktop workbook
    std::string m_writingPath;  // the file libxlsxwriter writes
    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_format = nullptr;
    std::vector<int> m_widths;  // widest text of each written column, in character units
    bool m_written = false;
    bool m_handedOver = false;
    std::string m_error;
};

}  // namespace tapelink
