#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "export/ExcelExporter.h"
#include "export/SheetLayout.h"
#include "export/TextTable.h"
#include "recording/RecordingEntry.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/RecordingSpreadsheet.h"

using namespace tapelink;
using namespace tapelink::test;

namespace {

using Calls = std::vector<std::string>;

std::vector<std::string> phoneTitles() {
    const auto& titles = recordingColumnTitles();
    return {titles.begin(), titles.end()};
}

std::vector<std::string> searchTitles() {
    auto titles = phoneTitles();
    titles.push_back("路径");
    return titles;
}

Calls withOpeningAndClosing(const Calls& cells) {
    Calls calls = openingCalls();
    calls.insert(calls.end(), cells.begin(), cells.end());
    const Calls closing = closingCalls();
    calls.insert(calls.end(), closing.begin(), closing.end());
    return calls;
}

}  // namespace

class ExcelExporterTest : public ::testing::Test {
protected:
    bool exportList(const TextTable& list) { return ExcelExporter(messages).ExportList(list, spreadsheet); }

    RecordingSpreadsheet spreadsheet;
    RecordingMessages messages;
};

TEST_F(ExcelExporterTest, EmptyPhoneListGivesTheSixTitlesNameAndRemarkOnly) {
    EXPECT_TRUE(exportList(TextTable(phoneTitles(), {})));
    EXPECT_EQ(spreadsheet.calls, withOpeningAndClosing({
                                     "putCellText 1 1 序号",
                                     "putCellText 1 2 文件名",
                                     "putCellText 1 3 录音类型",
                                     "putCellText 1 4 电话号码",
                                     "putCellText 1 5 主/被叫",
                                     "putCellText 1 6 开始时间",
                                     "putCellText 1 7 姓名",
                                     "putCellText 1 8 备注",
                                 }));
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(ExcelExporterTest, PhoneListIsWrittenColumnByColumnWithoutDurationAndSize) {
    const TextTable list(phoneTitles(),
                         {{"1", "VOA00001.WAV", "通话录音", "13800138000", "主叫", "2011-05-18 09:07", "59秒", "2K"},
                          {"2", "VOJ00002.WAV", "新本地录音", "", "", "2012-01-02 03:04", "1分0秒", "235K"}});
    EXPECT_TRUE(exportList(list));
    EXPECT_EQ(spreadsheet.calls, withOpeningAndClosing({
                                     "putCellText 1 1 序号",
                                     "putCellText 1 2 文件名",
                                     "putCellText 1 3 录音类型",
                                     "putCellText 1 4 电话号码",
                                     "putCellText 1 5 主/被叫",
                                     "putCellText 1 6 开始时间",
                                     "putCellText 1 7 姓名",
                                     "putCellText 1 8 备注",
                                     "putCellText 2 1 1",
                                     "putCellText 3 1 2",
                                     "putCellText 2 2 VOA00001.WAV",
                                     "putCellText 3 2 VOJ00002.WAV",
                                     // The number goes in before the kind text that is tested against it.
                                     "putCellText 2 4 13800138000",
                                     "putCellText 2 3  通话录音",
                                     "putCellText 3 4 ",
                                     "putCellText 3 3  新本地录音",
                                     "putCellText 2 5 主叫",
                                     "putCellText 3 5 ",
                                     "putCellText 2 6 2011-05-18 09:07",
                                     "putCellText 3 6 2012-01-02 03:04",
                                     "putCellText 2 7 ",
                                     "putCellText 3 7 ",
                                     "putCellText 2 8 ",
                                     "putCellText 3 8 ",
                                 }));
}

TEST_F(ExcelExporterTest, SearchListKeepsDurationLeavesOutSizeAndPathAndEndsWithNameAndRemark) {
    TextTable list(searchTitles(), {{"1", "VOC00003.WAV", "留言录音", "0755", "被叫", "2010-03-01 00:00", "1小时1分1秒",
                                     "14303K", "/archive/VOC00003.WAV"}});
    list.setNamesAndRemarks({"张三"}, {"客户投诉 [重要]"});
    EXPECT_TRUE(exportList(list));
    EXPECT_EQ(spreadsheet.cellCalls(), (Calls{
                                           "putCellText 1 1 序号",
                                           "putCellText 1 2 文件名",
                                           "putCellText 1 3 录音类型",
                                           "putCellText 1 4 电话号码",
                                           "putCellText 1 5 主/被叫",
                                           "putCellText 1 6 开始时间",
                                           "putCellText 1 7 录音时长",
                                           "putCellText 1 8 姓名",
                                           "putCellText 1 9 备注",
                                           "putCellText 2 1 1",
                                           "putCellText 2 2 VOC00003.WAV",
                                           "putCellText 2 4 0755",
                                           "putCellText 2 3  留言录音",
                                           "putCellText 2 5 被叫",
                                           "putCellText 2 6 2010-03-01 00:00",
                                           "putCellText 2 7 1小时1分1秒",
                                           "putCellText 2 8 张三",
                                           "putCellText 2 9 客户投诉 [重要]",
                                       }));
    EXPECT_EQ(spreadsheet.calls.front(), "createApplication");
    EXPECT_EQ(spreadsheet.calls.back(), "release");
}

TEST_F(ExcelExporterTest, KindPrefixDependsOnTheNumberColumnOnly) {
    // "主" in the caller/called column does not count; in the number column it does, wherever it is.
    const TextTable list(phoneTitles(), {{"1", "VOA00001.WAV", "通话录音", "主", "被叫", "", "", ""},
                                         {"2", "VOA00002.WAV", "通话录音", "12主34", "被叫", "", "", ""},
                                         {"3", "VOA00003.WAV", "通话录音", "1234", "主叫", "", "", ""},
                                         {"4", "VOA00004.WAV", "", "被叫", "主叫", "", "", ""}});
    EXPECT_TRUE(exportList(list));
    Calls kindCells;
    for (const auto& call : spreadsheet.cellCalls()) {
        std::istringstream fields(call);
        std::string name;
        int row = 0;
        int column = 0;
        fields >> name >> row >> column;
        if (column == 3) kindCells.push_back(call);
    }
    EXPECT_EQ(kindCells, (Calls{"putCellText 1 3 录音类型", "putCellText 2 3 Z:通话录音", "putCellText 3 3 Z:通话录音",
                                "putCellText 4 3  通话录音", "putCellText 5 3  "}));
    // The number column itself is written unchanged.
    EXPECT_NE(std::find(spreadsheet.calls.begin(), spreadsheet.calls.end(), "putCellText 3 4 12主34"),
              spreadsheet.calls.end());
}

TEST_F(ExcelExporterTest, NoSpreadsheetApplicationShowsTheMessageAndDoesNothingElse) {
    spreadsheet.failAt = "createApplication";
    EXPECT_FALSE(exportList(TextTable(phoneTitles(), {{"1", "VOA00001.WAV"}})));
    EXPECT_EQ(spreadsheet.calls, Calls{"createApplication"});
    EXPECT_EQ(messages.texts, Calls{"创建Excel服务失败!"});
    EXPECT_EQ(messages.icons, std::vector<MessageIcon>{MessageIcon::Warning});
}

TEST_F(ExcelExporterTest, AnApplicationThatWillNotTakeTheWorkbookCountsAsNone) {
    spreadsheet.failAt = "giveControlToUser";
    spreadsheet.error = "exit status 2";
    EXPECT_EQ(ExcelExporter(messages).Export(TextTable(phoneTitles(), {}), spreadsheet), ExportOutcome::NoApplication);
    EXPECT_EQ(messages.texts, Calls{"创建Excel服务失败!"});
    EXPECT_EQ(spreadsheet.calls.back(), "release");
}

TEST_F(ExcelExporterTest, ALaterFailureStopsTheExportShowsWhyAndReleases) {
    const TextTable list(phoneTitles(), {{"1", "VOA00001.WAV", "通话录音", "1", "主叫", "", "", ""},
                                         {"2", "VOA00002.WAV", "通话录音", "2", "主叫", "", "", ""}});
    for (const std::string failing : {"addWorkbook", "putCellText 3 2 VOA00002.WAV", "showApplication"}) {
        SCOPED_TRACE(failing);
        spreadsheet = RecordingSpreadsheet();
        spreadsheet.failAt = failing;
        spreadsheet.error = "disk full";
        messages = RecordingMessages();
        EXPECT_FALSE(exportList(list));
        ASSERT_GE(spreadsheet.calls.size(), 2U);
        EXPECT_EQ(spreadsheet.calls[spreadsheet.calls.size() - 2], failing);
        EXPECT_EQ(spreadsheet.calls.back(), "release");
        EXPECT_EQ(messages.texts, Calls{"disk full"});
    }
}

TEST(SheetLayoutTest, TitlesAreCutAtWholeCharactersWithin99GbkBytes) {
    EXPECT_EQ(cutTitle("序号"), "序号");
    EXPECT_EQ(cutTitle(std::string(99, 'a')), std::string(99, 'a'));
    EXPECT_EQ(cutTitle(std::string(120, 'a')), std::string(99, 'a'));

    std::string chinese;
    for (int i = 0; i < 60; ++i) chinese += "录";
    std::string expected49;
    for (int i = 0; i < 49; ++i) expected49 += "录";
    // 49 characters take 98 bytes; the 50th would need bytes 99 and 100.
    EXPECT_EQ(cutTitle(chinese), expected49);
    EXPECT_EQ(cutTitle("a" + chinese), "a" + expected49);
    EXPECT_EQ(cutTitle("ab" + chinese), "ab" + expected49.substr(0, expected49.size() - 3));
}

TEST(SheetLayoutTest, ListsWithFewColumnsStillGetTheNameAndRemarkColumns) {
    EXPECT_EQ(exportedColumnCount(8), 6);
    EXPECT_EQ(exportedColumnCount(9), 7);
    EXPECT_EQ(exportedColumnCount(1), 0);

    RecordingSpreadsheet spreadsheet;
    RecordingMessages messages;
    EXPECT_TRUE(ExcelExporter(messages).ExportList(TextTable({"序号"}, {{"1"}}), spreadsheet));
    EXPECT_EQ(spreadsheet.cellCalls(),
              (Calls{"putCellText 1 1 姓名", "putCellText 1 2 备注", "putCellText 2 1 ", "putCellText 2 2 "}));
}
