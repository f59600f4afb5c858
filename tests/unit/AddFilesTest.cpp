#include <gtest/gtest.h>

#include <filesystem>

#include "search/ArchiveSearch.h"
#include "search/SearchResultRow.h"
#include "search/SearchResultTable.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;

class AddFilesTest : public ::testing::Test {
protected:
    std::string file(const std::string& name, char direction, const std::string& number = "13800138000",
                     std::size_t size = 4532) {
        const std::string path = folder.path() + name;
        VolumeBuilder::writeRecording(path, VolumeBuilder::info(direction, number, 111, 5, 18, 9, 7), size);
        return path;
    }

    TempFolder folder;
    SearchResultTable table;
    RecordingMessages messages;
    ArchiveSearch search{table, messages};
};

TEST_F(AddFilesTest, KindDecidesNumberAndSideCells) {
    const std::vector<std::string> paths = {
        file("VOA00001.WAV", 'Z', "111"), file("VOI00002.WAV", 'B', "222"), file("VOB00003.WAV", 'Z', "333"),
        file("VOJ00004.WAV", 'X', "444"), file("VOC00005.WAV", 'Z', "555"), file("VOK00006.WAV", 'X', "666"),
        file("VOD00007.WAV", 'B', "777"),
    };
    search.AddFiles(paths);
    ASSERT_EQ(table.rowCount(), 7);
    const auto& rows = table.rows();
    EXPECT_EQ(rows[0], (SearchResultRow{"1", "VOA00001.WAV", "通话录音", "111", "主叫", "2011-05-18 09:07", "2秒", "4K",
                                        paths[0]}));
    EXPECT_EQ((std::array{rows[1][2], rows[1][3], rows[1][4]}),
              (std::array<std::string, 3>{"通话录音", "222", "被叫"}));
    // Local recordings show neither number nor side, and their side byte is not checked.
    EXPECT_EQ((std::array{rows[2][2], rows[2][3], rows[2][4]}), (std::array<std::string, 3>{"本地录音", "", ""}));
    EXPECT_EQ((std::array{rows[3][2], rows[3][3], rows[3][4]}), (std::array<std::string, 3>{"本地录音", "", ""}));
    // Voice messages are always the called side.
    EXPECT_EQ((std::array{rows[4][2], rows[4][3], rows[4][4]}),
              (std::array<std::string, 3>{"留言录音", "555", "被叫"}));
    EXPECT_EQ((std::array{rows[5][2], rows[5][3], rows[5][4]}),
              (std::array<std::string, 3>{"留言录音", "666", "被叫"}));
    // Any other letter still gets a row, with the three cells empty.
    EXPECT_EQ((std::array{rows[6][2], rows[6][3], rows[6][4]}), (std::array<std::string, 3>{"", "", ""}));
    EXPECT_EQ(rows[6][0], "7");
    EXPECT_EQ(rows[6][8], paths[6]);
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(AddFilesTest, SkipsWhatItCannotTakeWithoutAMessage) {
    const std::vector<std::string> paths = {
        file("VOA00001.WAV", 'X'),            // call recording with a damaged side
        file("REC00002.WAV", 'B'),            // legacy names are not taken here
        file("VOA0003.WAV", 'B'),             // 11 characters
        file("voa00004.wav", 'B'),            // the name test is case-sensitive
        file("VOA00005.WAV", 'B', "1", 278),  // too short for the block
        folder.path() + "VOA00006.WAV",       // missing
        "VOA00007.WAV",                       // no folder part
        file("VOA00008.WAV", 'B', "1", 279),
    };
    search.AddFiles(paths);
    ASSERT_EQ(table.rowCount(), 1);
    EXPECT_EQ(table.rows()[0][1], "VOA00008.WAV");
    EXPECT_EQ(table.rows()[0][0], "1");
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(AddFilesTest, RowsGoAfterTheListAndLeaveAtTheNextSearch) {
    const std::string other = folder.path() + "other/";
    std::filesystem::create_directory(other);
    VolumeBuilder::writeRecording(other + "VOA00001.WAV", VolumeBuilder::info('B', "1", 11, 1, 1, 1, 1));
    VolumeBuilder::writeRecording(other + "VOA00002.WAV", VolumeBuilder::info('B', "1", 11, 1, 1, 1, 1));
    search.AddFolder(other);
    table.removeRows({0});  // the numbers of the rows left stay as they were
    search.AddFiles({file("VOC00009.WAV", 'B')});
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.rows()[0][0], "2");
    EXPECT_EQ(table.rows()[1][0], "2");  // the row count + 1
    EXPECT_TRUE(search.records().size() == 2) << "added files are not result records";

    SearchCriteria criteria;
    criteria.to = {2099, 1, 1, 0, 0, 0};
    search.RunSearch(criteria);
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.rows()[1][1], "VOA00002.WAV");
}

TEST(SearchResultRowTest, KindTextTakesVoNamesAndNewLetters) {
    EXPECT_EQ(searchKindText("VOA00001.WAV"), "通话录音");
    EXPECT_EQ(searchKindText("VOI00001.WAV"), "通话录音");
    EXPECT_EQ(searchKindText("VOJ00001.WAV"), "本地录音");
    EXPECT_EQ(searchKindText("VOC00001.WAV"), "留言录音");
    EXPECT_EQ(searchKindText("REC00001.WAV"), "");
    EXPECT_EQ(searchKindText("RECK0001.WAV"), "");
    EXPECT_EQ(searchKindText("XXK00001.WAV"), "留言录音");
    EXPECT_EQ(searchKindText("VOD00001.WAV"), "");
    EXPECT_EQ(searchKindText("VO"), "");
}

TEST(SearchResultTableTest, RemovesScatteredRowsInOnePassAndReadsAsListTexts) {
    SearchResultTable table;
    for (int i = 0; i < 6; ++i) table.insertRow(i, SearchResultRow{std::to_string(i + 1)});
    table.removeRows({1, 2, 4});
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.cellText(0, 0), "1");
    EXPECT_EQ(table.cellText(1, 0), "4");
    EXPECT_EQ(table.cellText(2, 0), "6");
    EXPECT_EQ(table.cellText(3, 0), "");
    EXPECT_EQ(table.columnCount(), 9);
    EXPECT_EQ(table.columnTitle(8), "路径");
    EXPECT_EQ(table.columnTitle(9), "");
    table.insertRow(0, SearchResultRow{"first"});
    EXPECT_EQ(table.cellText(0, 0), "first");
}
