#include <gtest/gtest.h>

#include "phone/UploadEngine.h"
#include "phone/UploadRowSelection.h"
#include "tests/support/RecordingMessages.h"

using namespace tapelink;
using namespace tapelink::test;
using namespace std::chrono;

namespace {

class TableList : public IListTexts {
public:
    // name, number, start time; the other columns are filler.
    void add(const std::string& name, const std::string& number, const std::string& start) {
        rows.push_back({std::to_string(rows.size() + 1), name, "通话录音", number, "被叫", start, "1秒", "1K"});
    }
    int rowCount() const override { return static_cast<int>(rows.size()); }
    int columnCount() const override { return 8; }
    std::string columnTitle(int) const override { return {}; }
    std::string cellText(int row, int column) const override {
        return rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    }
    std::vector<std::vector<std::string>> rows;
};

class FakeHost : public IUploadHost {
public:
    std::string driveRoot() const override { return root; }
    std::string uploadFolder() const override { return folder; }
    bool uploadFolderConfirmed() const override { return confirmed; }
    bool pickUploadFolder() override {
        ++pickerOpened;
        if (pickedFolder.empty()) return false;
        folder = pickedFolder;
        confirmed = true;
        return true;
    }
    std::optional<CategoryChoice> askCategory(CategoryCriteria& criteria) override {
        ++categoryAsked;
        if (!categoryChoice) return std::nullopt;
        criteria = typedCriteria;
        return categoryChoice;
    }
    void setProgressAreaShown(bool shown) override { progressArea.push_back(shown); }
    bool workerExists() const override { return running; }
    bool startWorker(const UploadTask& task) override {
        tasks.push_back(task);
        return threadStarts;
    }
    void cancelWorker() override { ++cancels; }

    std::string root = "/media/phone/";
    std::string folder = "/home/user/uploads";
    bool confirmed = true;
    std::string pickedFolder;
    int pickerOpened = 0;
    std::optional<CategoryChoice> categoryChoice;
    CategoryCriteria typedCriteria;
    int categoryAsked = 0;
    std::vector<bool> progressArea;
    bool running = false;
    bool threadStarts = true;
    std::vector<UploadTask> tasks;
    int cancels = 0;
};

}  // namespace

class UploadEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        list.add("VOA00001.WAV", "13800138000", "2011-05-18 09:07");
        list.add("VOB00002.WAV", "", "2011-05-18 10:00");
        list.add("VOC00003.WAV", "01013812345", "2011-05-19 00:01");
        list.add("VOA00004.WAV", "5551380", "2012-05-18 09:07");
    }
    std::vector<int> startedRows() const {
        EXPECT_EQ(host.tasks.size(), 1u);
        return host.tasks.empty() ? std::vector<int>{} : host.tasks[0].job.rows;
    }

    TableList list;
    FakeHost host;
    RecordingMessages messages;
    UploadEngine engine{list, host, messages};
};

TEST_F(UploadEngineTest, SelectionByDateAndNumberMatchesSubstringsOfNonEmptyCells) {
    EXPECT_EQ(dateText(2011y / May / 18d), "2011-05-18");
    EXPECT_EQ(dateText(year{987} / 1 / 2), "0987-01-02");
    EXPECT_EQ(rowsOfDate(list, 2011y / May / 18d), (std::vector<int>{0, 1}));
    EXPECT_EQ(rowsOfDate(list, 2011y / May / 1d), std::vector<int>{});
    EXPECT_EQ(rowsOfNumber(list, "138"), (std::vector<int>{0, 2, 3}));
    // An empty number text picks every row that has a number; local recordings have none.
    EXPECT_EQ(rowsOfNumber(list, ""), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(rowsOfNumber(list, "13800138000x"), std::vector<int>{});
    EXPECT_EQ(allRows(list), (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(UploadEngineTest, StartersHandTheirRowsToANewWorker) {
    engine.UploadAll();
    EXPECT_EQ(startedRows(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(host.tasks[0].driveRoot, "/media/phone/");
    EXPECT_EQ(host.tasks[0].uploadFolder, "/home/user/uploads");
    EXPECT_EQ(host.progressArea, std::vector<bool>{true});

    host.tasks.clear();
    engine.UploadSelected({3, 1, 3, 9});
    EXPECT_EQ(startedRows(), (std::vector<int>{1, 3}));

    host.tasks.clear();
    engine.UploadByDate(2011y / May / 18d);
    EXPECT_EQ(startedRows(), (std::vector<int>{0, 1}));

    host.tasks.clear();
    engine.UploadByNumber("0101");
    EXPECT_EQ(startedRows(), std::vector<int>{2});
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(UploadEngineTest, NothingToUploadIsReportedAndStartsNothing) {
    engine.UploadSelected({});
    engine.UploadByDate(2000y / January / 1d);
    engine.UploadByNumber("999");
    EXPECT_EQ(messages.texts,
              (std::vector<std::string>{"请选择需要上传的语音记录！", "未找到任何与查询条件相匹配的语音文件！",
                                        "未找到任何与查询条件相匹配的语音文件！"}));
    EXPECT_TRUE(host.tasks.empty());
    EXPECT_TRUE(host.progressArea.empty());
}

TEST_F(UploadEngineTest, AnEmptyListStillRunsAJob) {
    list.rows.clear();
    engine.UploadAll();
    EXPECT_EQ(startedRows(), std::vector<int>{});
}

TEST_F(UploadEngineTest, ReadyCheckWantsATelephoneBeforeAnythingElse) {
    host.root.clear();
    host.confirmed = false;
    engine.UploadSelected({});
    EXPECT_EQ(messages.texts, std::vector<std::string>{"设备未准备好！"});
    EXPECT_EQ(host.pickerOpened, 0);
    EXPECT_TRUE(host.tasks.empty());
}

TEST_F(UploadEngineTest, FirstUploadOfTheRunAsksForTheFolderEvenWhenOneIsStored) {
    host.confirmed = false;
    engine.UploadAll();  // picker cancelled
    EXPECT_EQ(host.pickerOpened, 1);
    EXPECT_TRUE(host.tasks.empty());
    EXPECT_TRUE(messages.texts.empty());

    host.pickedFolder = "/srv/calls";
    engine.UploadAll();
    EXPECT_EQ(host.pickerOpened, 2);
    ASSERT_EQ(host.tasks.size(), 1u);
    EXPECT_EQ(host.tasks[0].uploadFolder, "/srv/calls");

    engine.UploadAll();  // confirmed now: no more asking
    EXPECT_EQ(host.pickerOpened, 2);
}

TEST_F(UploadEngineTest, AConfirmedButEmptyFolderIsAskedForOnceMore) {
    host.folder.clear();
    EXPECT_FALSE(engine.CheckReady());
    EXPECT_EQ(host.pickerOpened, 1);
    host.pickedFolder = "/srv/calls";
    EXPECT_TRUE(engine.CheckReady());
}

TEST_F(UploadEngineTest, EveryStarterDoesNothingWhileAWorkerExists) {
    host.running = true;
    host.root.clear();
    host.categoryChoice = CategoryChoice::ByNumber;
    engine.UploadAll();
    engine.UploadSelected({1});
    engine.UploadByDate(2011y / May / 18d);
    engine.UploadByNumber("138");
    engine.UploadByCategory();
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_TRUE(host.tasks.empty());
    EXPECT_EQ(host.categoryAsked, 0);
}

TEST_F(UploadEngineTest, AThreadThatCannotStartIsReportedAndLeavesTheProgressAreaForStop) {
    host.threadStarts = false;
    engine.UploadAll();
    EXPECT_EQ(messages.texts, std::vector<std::string>{"传输失败！"});
    EXPECT_EQ(host.progressArea, std::vector<bool>{true});
    engine.RequestStop();  // no worker: Stop hides the area
    EXPECT_EQ(host.progressArea, (std::vector<bool>{true, false}));
}

TEST_F(UploadEngineTest, StopAndTerminateReachOnlyARunningWorker) {
    engine.Terminate();
    EXPECT_EQ(host.cancels, 0);
    host.running = true;
    engine.RequestStop();
    EXPECT_TRUE(engine.stopRequested());
    EXPECT_TRUE(host.progressArea.empty());
    engine.Terminate();
    EXPECT_EQ(host.cancels, 1);

    host.running = false;
    engine.UploadAll();  // a new job starts without the old request
    EXPECT_FALSE(engine.stopRequested());
}

TEST_F(UploadEngineTest, CategoryUploadStoresBothCriteriaAndUsesTheChosenOne) {
    host.typedCriteria = {"0101", 2011y / May / 18d};

    engine.UploadByCategory();  // closed without confirming
    EXPECT_EQ(host.categoryAsked, 1);
    EXPECT_TRUE(host.tasks.empty());
    EXPECT_EQ(host.pickerOpened, 0);

    host.categoryChoice = CategoryChoice::ByDate;
    engine.UploadByCategory();
    EXPECT_EQ(engine.categoryCriteria(), host.typedCriteria);
    EXPECT_EQ(startedRows(), (std::vector<int>{0, 1}));

    host.tasks.clear();
    host.categoryChoice = CategoryChoice::ByNumber;
    engine.UploadByCategory();
    EXPECT_EQ(startedRows(), std::vector<int>{2});
}
