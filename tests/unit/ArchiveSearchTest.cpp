#include <gtest/gtest.h>

#include <filesystem>

#include "search/ArchiveSearch.h"
#include "search/SearchMessages.h"
#include "search/SearchResultTable.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

class ArchiveSearchTest : public ::testing::Test {
protected:
    void recording(const std::string& name, char direction = 'B', const std::string& number = "13800138000",
                   int year = 11, int month = 5, int day = 18, int hour = 9, int minute = 7, std::size_t size = 4532) {
        VolumeBuilder::writeRecording(folder.path() + name,
                                      VolumeBuilder::info(direction, number, year, month, day, hour, minute), size);
    }
    // Criteria that let every recording through.
    static SearchCriteria wide() {
        SearchCriteria criteria;
        criteria.from = {2000, 1, 1, 0, 0, 0};
        criteria.to = {2099, 12, 31, 23, 59, 59};
        return criteria;
    }
    std::vector<std::string> search(const SearchCriteria& criteria) {
        search_.setSearchFolder(folder.path());
        search_.RunSearch(criteria);
        return shownNames();
    }
    std::vector<std::string> shownNames() const {
        std::vector<std::string> names;
        for (const auto& row : table.rows()) names.push_back(row[1]);
        return names;
    }
    std::vector<std::string> recordNames() const {
        std::vector<std::string> names;
        for (const auto& entry : search_.records()) names.push_back(entry.fileName);
        return names;
    }
    using Names = std::vector<std::string>;

    TempFolder folder;
    SearchResultTable table;
    RecordingMessages messages;
    ArchiveSearch search_{table, messages};
};

TEST_F(ArchiveSearchTest, ScanTakesVoAndRecNamesInNameOrderAndNeverEntersSubfolders) {
    for (const char* name : {"VOK00005.WAV", "REC00003.WAV", "VOA00001.WAV", "VOD00002.WAV", "VOB00004.wav"}) {
        recording(name);
    }
    recording("voc00006.wav");  // the name test is case-sensitive
    recording("VOC0007.WAV");   // 11 characters
    recording("song.wav");
    recording("VOA00008.WAV", 'X');  // damaged side
    recording("VOA00009.WAV", 0);
    recording("VOA00010.WAV", 'B', "1", 11, 1, 1, 1, 1, 278);  // too short for the block
    recording("VOA00011.WAV", 'Z', "1", 11, 1, 1, 1, 1, 279);
    recording("VOA00012.TXT");
    fs::create_directory(folder.path() + "VOA00013.WAV");
    fs::create_directory(folder.path() + "sub");
    recording("sub/VOA00014.WAV");

    EXPECT_TRUE(search_.ScanFolder(folder.path()));
    EXPECT_EQ(recordNames(),
              (Names{"REC00003.WAV", "VOA00001.WAV", "VOA00011.WAV", "VOB00004.wav", "VOD00002.WAV", "VOK00005.WAV"}));
    EXPECT_TRUE(table.rows().empty()) << "the scan leaves the list alone";
    const RecordingEntry& first = search_.records().front();
    EXPECT_EQ(first.folder, folder.path());
    EXPECT_EQ(first.size, 4532u);
    EXPECT_EQ(first.startKey, "1105180907");
    EXPECT_EQ(first.phoneNumber, "13800138000");

    // A folder named without its trailing slash gives the same records, with the slash added.
    EXPECT_TRUE(search_.ScanFolder(folder.path().substr(0, folder.path().size() - 1)));
    EXPECT_EQ(search_.records().front().folder, folder.path());
}

TEST_F(ArchiveSearchTest, ScanEmptiesTheRecordsFirstAndReportsWhetherItTookAny) {
    recording("VOA00001.WAV");
    ASSERT_TRUE(search_.ScanFolder(folder.path()));
    EXPECT_FALSE(search_.ScanFolder(folder.path() + "missing"));
    EXPECT_TRUE(search_.records().empty());
    ASSERT_TRUE(search_.ScanFolder(folder.path()));
    EXPECT_FALSE(search_.ScanFolder(""));
    EXPECT_TRUE(search_.records().empty());
}

TEST_F(ArchiveSearchTest, DateBoundsRunFromMidnightOfTheStartDayToTheLastMinuteOfTheEndDay) {
    recording("VOA00001.WAV", 'B', "1", 10, 3, 1, 0, 0);
    recording("VOA00002.WAV", 'B', "1", 10, 3, 1, 23, 59);
    recording("VOA00003.WAV", 'B', "1", 10, 3, 2, 0, 0);
    recording("VOA00004.WAV", 'B', "1", 10, 2, 28, 23, 59);
    SearchCriteria criteria = wide();
    criteria.from = {2010, 3, 1, 0, 0, 0};
    criteria.to = {2010, 3, 1, 0, 0, 0};
    EXPECT_EQ(search(criteria), (Names{"VOA00001.WAV", "VOA00002.WAV"}));

    // The time of day of the pickers plays no part in the bounds, only in the order check.
    criteria.from = {2010, 3, 1, 12, 30, 0};
    criteria.to = {2010, 3, 2, 6, 0, 0};
    EXPECT_EQ(search(criteria), (Names{"VOA00001.WAV", "VOA00002.WAV", "VOA00003.WAV"}));
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(ArchiveSearchTest, SideAndKindEachAloneAndTogether) {
    recording("VOA00001.WAV", 'Z');
    recording("VOI00002.WAV", 'B');
    recording("VOB00003.WAV", 'Z');
    recording("VOJ00004.WAV", 'B');
    recording("VOC00005.WAV", 'Z');
    recording("VOK00006.WAV", 'B');
    recording("REC00007.WAV", 'B');
    recording("VOD00008.WAV", 'Z');
    SearchCriteria criteria = wide();

    criteria.side = SideChoice::Caller;
    EXPECT_EQ(search(criteria), (Names{"VOA00001.WAV", "VOB00003.WAV", "VOC00005.WAV", "VOD00008.WAV"}));
    criteria.side = SideChoice::Called;
    EXPECT_EQ(search(criteria), (Names{"REC00007.WAV", "VOI00002.WAV", "VOJ00004.WAV", "VOK00006.WAV"}));

    criteria.side = SideChoice::All;
    criteria.kind = KindChoice::Call;
    EXPECT_EQ(search(criteria), (Names{"VOA00001.WAV", "VOI00002.WAV"}));
    criteria.kind = KindChoice::Local;  // whatever the side in the block
    EXPECT_EQ(search(criteria), (Names{"VOB00003.WAV", "VOJ00004.WAV"}));
    criteria.kind = KindChoice::Message;  // the REC name counts by its third letter
    EXPECT_EQ(search(criteria), (Names{"REC00007.WAV", "VOC00005.WAV", "VOK00006.WAV"}));

    criteria.side = SideChoice::Called;
    EXPECT_EQ(search(criteria), (Names{"REC00007.WAV", "VOK00006.WAV"}));
    criteria.side = SideChoice::Caller;
    criteria.kind = KindChoice::Local;
    EXPECT_EQ(search(criteria), (Names{"VOB00003.WAV"}));

    criteria = wide();
    EXPECT_EQ(search(criteria).size(), 8u);
}

TEST_F(ArchiveSearchTest, NumberIsFoundAnywhereInThePhoneNumber) {
    recording("VOA00001.WAV", 'B', "5551380");
    recording("VOA00002.WAV", 'B', "0138");
    recording("VOA00003.WAV", 'B', "1380");
    recording("VOA00004.WAV", 'B', "13");
    recording("VOB00005.WAV", 'B', "");
    SearchCriteria criteria = wide();
    criteria.number = "138";
    EXPECT_EQ(search(criteria), (Names{"VOA00001.WAV", "VOA00002.WAV", "VOA00003.WAV"}));
    criteria.number = "5551380";
    EXPECT_EQ(search(criteria), (Names{"VOA00001.WAV"}));
    criteria.number = "";
    EXPECT_EQ(search(criteria).size(), 5u);
    EXPECT_TRUE(messages.texts.empty());

    criteria.number = "183";
    EXPECT_TRUE(search(criteria).empty());
    EXPECT_EQ(messages.texts, Names{kMsgNothingFound});
}

TEST_F(ArchiveSearchTest, AllCriteriaTogetherAndRowsNumberedInOrder) {
    recording("VOA00001.WAV", 'Z', "13800138000", 12, 6, 1, 8, 0);
    recording("VOA00002.WAV", 'Z', "13800138000", 12, 6, 3, 8, 0);  // after the end day
    recording("VOA00003.WAV", 'B', "13800138000", 12, 6, 2, 8, 0);  // other side
    recording("VOC00004.WAV", 'Z', "13800138000", 12, 6, 2, 8, 0);  // other kind
    recording("VOI00005.WAV", 'Z', "02100000000", 12, 6, 2, 8, 0);  // other number
    recording("VOI00006.WAV", 'Z', "0013800", 12, 6, 2, 23, 59);
    SearchCriteria criteria;
    criteria.from = {2012, 6, 1, 18, 0, 0};
    criteria.to = {2012, 6, 2, 0, 0, 0};
    criteria.side = SideChoice::Caller;
    criteria.kind = KindChoice::Call;
    criteria.number = "138";
    EXPECT_EQ(search(criteria), (Names{"VOA00001.WAV", "VOI00006.WAV"}));
    EXPECT_EQ(table.rows()[0][0], "1");
    EXPECT_EQ(table.rows()[1][0], "2");
}

TEST_F(ArchiveSearchTest, ResultRowsShowTheBlockForEveryKind) {
    recording("VOB00001.WAV", 'Z', "777", 11, 5, 18, 9, 7, 3661 * 4000 + 512);
    recording("VOK00002.WAV", 'Z', "888");
    recording("REC00003.WAV", 'B', "999");
    recording("VOD00004.WAV", 'B', "111");
    search(wide());
    ASSERT_EQ(table.rows().size(), 4u);
    const std::string path = folder.path();
    EXPECT_EQ(table.rows()[0], (SearchResultRow{"1", "REC00003.WAV", "", "999", "被叫", "2011-05-18 09:07", "2秒", "4K",
                                                path + "REC00003.WAV"}));
    EXPECT_EQ(table.rows()[1], (SearchResultRow{"2", "VOB00001.WAV", "本地录音", "777", "主叫", "2011-05-18 09:07",
                                                "1小时1分1秒", "14301K", path + "VOB00001.WAV"}));
    EXPECT_EQ(table.rows()[2][2], "");
    EXPECT_EQ(table.rows()[3][2], "留言录音");  // never the text for new recordings
    EXPECT_EQ(table.rows()[3][4], "主叫");
}

TEST_F(ArchiveSearchTest, EverySearchReadsTheFolderAfresh) {
    recording("VOA00001.WAV");
    recording("VOA00002.WAV");
    EXPECT_EQ(search(wide()).size(), 2u);
    table.removeRows({0});
    fs::remove(folder.path() + "VOA00001.WAV");
    recording("VOA00003.WAV");
    EXPECT_EQ(search(wide()), (Names{"VOA00002.WAV", "VOA00003.WAV"}));
    EXPECT_EQ(recordNames(), (Names{"VOA00002.WAV", "VOA00003.WAV"}));
}

TEST_F(ArchiveSearchTest, SearchMessagesAndTheirOrder) {
    recording("VOA00001.WAV", 'B', "1", 11, 5, 18, 9, 7);
    // Rows from an earlier listing go at the start of every search, whatever it ends with.
    search_.AddFolder(folder.path());
    ASSERT_EQ(table.rowCount(), 1);

    SearchCriteria backwards = wide();
    backwards.from = {2011, 5, 18, 10, 0, 0};
    backwards.to = {2011, 5, 18, 9, 59, 59};
    search_.RunSearch(backwards);
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(messages.texts, Names{kMsgStartAfterEnd});

    SearchCriteria none = wide();
    none.from = {2012, 1, 1, 0, 0, 0};
    search(none);
    EXPECT_EQ(messages.texts.back(), kMsgNothingFound);

    ArchiveSearch noFolder(table, messages);
    noFolder.RunSearch(wide());
    EXPECT_EQ(messages.texts.back(), kMsgNoSearchFolder);
    // The date order is checked before the folder.
    noFolder.RunSearch(backwards);
    EXPECT_EQ(messages.texts.back(), kMsgStartAfterEnd);
    EXPECT_EQ(messages.icons, std::vector<MessageIcon>(messages.texts.size(), MessageIcon::Warning));
}

TEST_F(ArchiveSearchTest, FolderWithoutRecordingsIsNothingFound) {
    recording("song.wav");
    recording("VOA00001.WAV", 'X');
    search(wide());
    EXPECT_EQ(messages.texts, Names{kMsgNothingFound});
    search_.setSearchFolder(folder.path() + "missing");
    search_.RunSearch(wide());
    EXPECT_EQ(messages.texts, (Names{kMsgNothingFound, kMsgNothingFound}));
}

TEST_F(ArchiveSearchTest, AddFolderListsEverythingAndACancelledChoiceListsNothing) {
    recording("VOA00001.WAV", 'B', "1", 1, 1, 1, 0, 0);  // outside the default range: no criteria apply
    recording("VOC00002.WAV");
    search_.AddFolder(folder.path());
    EXPECT_EQ(search_.searchFolder(), folder.path());
    EXPECT_EQ(shownNames(), (Names{"VOA00001.WAV", "VOC00002.WAV"}));

    search_.AddFolder("");
    EXPECT_EQ(search_.searchFolder(), "");
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_TRUE(search_.records().empty());
    EXPECT_TRUE(messages.texts.empty());
    search_.RunSearch(wide());
    EXPECT_EQ(messages.texts, Names{kMsgNoSearchFolder});
}

TEST_F(ArchiveSearchTest, RefreshListShowsTheRecordsWithoutCriteria) {
    recording("VOA00001.WAV");
    recording("VOA00002.WAV");
    search_.ScanFolder(folder.path());
    table.insertRow(0, SearchResultRow{"x"});
    search_.RefreshList();
    EXPECT_EQ(shownNames(), (Names{"VOA00001.WAV", "VOA00002.WAV"}));
    EXPECT_EQ(table.rows()[1][0], "2");
}
