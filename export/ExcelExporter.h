#pragma once

#include "common/IListTexts.h"
#include "common/IMessageSink.h"
#include "export/ISpreadsheet.h"

namespace tapelink {

// NoApplication: no spreadsheet application could be reached, or it would not take the finished workbook
// ("创建Excel服务失败!" was shown); nothing was left behind.
enum class ExportOutcome { Exported, NoApplication, Failed };

// Copies a recording list (the phone list or the search results) into a new workbook of a
// spreadsheet application and leaves it with the user. Failures are shown through the message sink.
class ExcelExporter {
public:
    explicit ExcelExporter(IMessageSink& messages) : m_messages(messages) {}

    // True when the workbook was filled and handed over. Each call drives the spreadsheet from its
    // first step to its release.
    bool ExportList(const IListTexts& list, ISpreadsheet& spreadsheet) {
        return Export(list, spreadsheet) == ExportOutcome::Exported;
    }
    ExportOutcome Export(const IListTexts& list, ISpreadsheet& spreadsheet);

private:
    static bool fillWorkbook(const IListTexts& list, ISpreadsheet& spreadsheet);
    static bool putTitles(const IListTexts& list, ISpreadsheet& spreadsheet, int exported);
    static bool putNamesAndRemarks(const IListTexts& list, ISpreadsheet& spreadsheet, int exported);
    static bool putColumn(const IListTexts& list, ISpreadsheet& spreadsheet, int column);
    static bool putKindAndNumberColumns(const IListTexts& list, ISpreadsheet& spreadsheet, bool withNumber);

    IMessageSink& m_messages;
};

}  // namespace tapelink
