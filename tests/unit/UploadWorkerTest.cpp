#include <gtest/gtest.h>

#include <filesystem>

#include "phone/UploadWorker.h"
#include "tests/support/ScriptedUploadObserver.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

constexpr const char* kUploading = "设备状态：正在上传文件 ";

std::vector<std::uint8_t> pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 251);
    return bytes;
}

}  // namespace

class UploadWorkerTest : public ::testing::Test {
protected:
    std::string uploads() const { return folder.path() + "uploads/"; }

    void SetUp() override { fs::create_directory(uploads()); }

    // A recording on the telephone, listed as the next row.
    void recording(const std::string& name, std::size_t size = 5000) {
        VolumeBuilder::writeBytes(volume.voice() + name,
                                  pattern(size, static_cast<std::uint8_t>(observer.names.size())));
        observer.names.push_back(name);
    }
    void existing(const std::string& name) { VolumeBuilder::writeBytes(uploads() + name, {'o', 'l', 'd'}); }
    bool uploaded(const std::string& name) const {
        return fs::exists(uploads() + name) &&
               VolumeBuilder::readBytes(uploads() + name) == VolumeBuilder::readBytes(volume.voice() + name);
    }
    bool untouched(const std::string& name) const {
        return VolumeBuilder::readBytes(uploads() + name) == std::vector<std::uint8_t>{'o', 'l', 'd'};
    }

    UploadReport run(std::vector<int> rows, std::string uploadFolder = {}) {
        task = {TransferJob{std::move(rows)}, volume.root(), uploadFolder.empty() ? uploads() : uploadFolder};
        return UploadWorker(task, stop.get_token(), stopRequest, observer).run();
    }
    UploadReport runAll() {
        std::vector<int> rows(observer.names.size());
        for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int>(i);
        return run(rows);
    }
    std::string prompt(const std::string& name) const { return uploads() + name + " 文件已经存在，是否覆盖？"; }

    TempFolder folder;
    VolumeBuilder volume{folder.path() + "phone/"};
    ScriptedUploadObserver observer;
    std::stop_source stop;
    std::atomic<bool> stopRequest{false};
    UploadTask task;
};

TEST_F(UploadWorkerTest, CopiesEachRowAndReportsInOrder) {
    recording("VOA00001.WAV", 3000);
    recording("VOB00002.WAV", (3u << 20) + 17);  // more than one block
    const UploadReport report = runAll();

    EXPECT_EQ(report, (UploadReport{2, 0, 0, false, false, false}));
    EXPECT_TRUE(uploaded("VOA00001.WAV"));
    EXPECT_TRUE(uploaded("VOB00002.WAV"));
    EXPECT_EQ(observer.events,
              (std::vector<std::string>{"range:2", "position:0", "visible:1",
                                        std::string("status:") + kUploading + "VOA00001.WAV", "position:1",
                                        std::string("status:") + kUploading + "VOB00002.WAV", "position:2", "visible:0",
                                        "status:设备状态：录音电话成功连接", "message:传输完毕！"}));
    EXPECT_EQ(observer.bytes, 3000u + (3u << 20) + 17);
    // Nothing but the two copies: no temporary file is left.
    EXPECT_EQ(VolumeBuilder::sortedNames(uploads()), (std::vector<std::string>{"VOA00001.WAV", "VOB00002.WAV"}));
    // The telephone is only read.
    EXPECT_EQ(VolumeBuilder::sortedNames(volume.voice()), (std::vector<std::string>{"VOA00001.WAV", "VOB00002.WAV"}));
}

TEST_F(UploadWorkerTest, AnEmptyJobEndsAtOnce) {
    EXPECT_EQ(run({}), UploadReport{});
    EXPECT_EQ(observer.events, (std::vector<std::string>{"range:0", "position:0", "visible:1", "visible:0",
                                                         "status:设备状态：录音电话成功连接", "message:传输完毕！"}));
}

TEST_F(UploadWorkerTest, UploadsOnlyTheJobsRowsAndManyFilesInBatches) {
    for (int i = 1; i <= 150; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "VOA%05d.WAV", i);
        recording(name, 600);
    }
    std::vector<int> rows;
    for (int row = 0; row < 150; row += 2) rows.push_back(row);
    EXPECT_EQ(run(rows).copied, 75);
    const auto names = VolumeBuilder::sortedNames(uploads());
    ASSERT_EQ(names.size(), 75u);
    for (int row : rows) EXPECT_TRUE(uploaded(observer.names[static_cast<std::size_t>(row)]));
}

TEST_F(UploadWorkerTest, FolderWithAndWithoutTrailingSlashGiveTheSameTargets) {
    recording("VOA00001.WAV");
    std::string plain = uploads();
    plain.pop_back();
    run({0}, plain);
    EXPECT_EQ(observer.lines("ask:"), std::vector<std::string>{});
    EXPECT_TRUE(uploaded("VOA00001.WAV"));
    run({0}, plain + "/");
    EXPECT_EQ(observer.lines("ask:"), std::vector<std::string>{prompt("VOA00001.WAV")});
}

TEST_F(UploadWorkerTest, YesAndNoCoverOneFileEach) {
    for (const char* name : {"VOA00001.WAV", "VOA00002.WAV", "VOA00003.WAV"}) {
        recording(name);
        existing(name);
    }
    observer.answers = {OverwriteDecision::Yes, OverwriteDecision::No, OverwriteDecision::Yes};
    EXPECT_EQ(runAll(), (UploadReport{2, 1, 0, false, false, false}));
    EXPECT_EQ(observer.lines("ask:"),
              (std::vector<std::string>{prompt("VOA00001.WAV"), prompt("VOA00002.WAV"), prompt("VOA00003.WAV")}));
    EXPECT_TRUE(uploaded("VOA00001.WAV"));
    EXPECT_TRUE(untouched("VOA00002.WAV"));
    EXPECT_TRUE(uploaded("VOA00003.WAV"));
}

TEST_F(UploadWorkerTest, YesToAllAndNoToAllHoldForTheRestOfTheJobOnly) {
    for (const char* name : {"VOA00001.WAV", "VOA00002.WAV", "VOA00003.WAV", "VOA00004.WAV"}) {
        recording(name);
        existing(name);
    }
    observer.answers = {OverwriteDecision::No, OverwriteDecision::YesToAll};
    EXPECT_EQ(runAll(), (UploadReport{3, 1, 0, false, false, false}));
    EXPECT_EQ(observer.lines("ask:").size(), 2u);
    EXPECT_TRUE(untouched("VOA00001.WAV"));
    EXPECT_TRUE(uploaded("VOA00004.WAV"));

    for (const char* name : {"VOA00001.WAV", "VOA00002.WAV", "VOA00003.WAV", "VOA00004.WAV"}) existing(name);
    observer.events.clear();
    observer.answers = {OverwriteDecision::NoToAll};  // a new job asks again
    EXPECT_EQ(runAll(), (UploadReport{0, 4, 0, false, false, false}));
    EXPECT_EQ(observer.lines("ask:"), std::vector<std::string>{prompt("VOA00001.WAV")});
    for (const char* name : {"VOA00001.WAV", "VOA00002.WAV", "VOA00003.WAV", "VOA00004.WAV"}) {
        EXPECT_TRUE(untouched(name)) << name;
    }
}

TEST_F(UploadWorkerTest, StopFinishesTheCurrentFileThenEndsTheJob) {
    for (const char* name : {"VOA00001.WAV", "VOA00002.WAV", "VOA00003.WAV"}) recording(name);
    observer.onEvent = [this](const std::string& line) {
        if (line == std::string("status:") + kUploading + "VOA00002.WAV") stopRequest = true;
    };
    const UploadReport report = runAll();
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.copied, 2);
    EXPECT_TRUE(uploaded("VOA00002.WAV"));
    EXPECT_FALSE(fs::exists(uploads() + "VOA00003.WAV"));
    EXPECT_EQ(observer.lines("position:"), (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_EQ(observer.events.back(), "message:传输完毕！");
}

TEST_F(UploadWorkerTest, CancellingDuringACopyLeavesNoTemporaryFileAndTheTargetUntouched) {
    recording("VOA00001.WAV");
    recording("VOA00002.WAV", 4u << 20);
    recording("VOA00003.WAV");
    existing("VOA00002.WAV");
    observer.answers = {OverwriteDecision::Yes};
    observer.onBytes = [this](std::uint64_t) {
        if (observer.bytes > 5000) stop.request_stop();  // during the second file's first blocks
    };
    const UploadReport report = runAll();

    EXPECT_TRUE(report.terminated);
    EXPECT_TRUE(uploaded("VOA00001.WAV"));  // finished before the cancel, so it is kept
    EXPECT_TRUE(untouched("VOA00002.WAV"));
    EXPECT_LT(observer.bytes, 5000u + (4u << 20));
    EXPECT_EQ(VolumeBuilder::sortedNames(uploads()), (std::vector<std::string>{"VOA00001.WAV", "VOA00002.WAV"}));
    // Nothing is shown after a cancel.
    EXPECT_EQ(observer.lines("message:"), std::vector<std::string>{});
    EXPECT_EQ(observer.lines("visible:"), std::vector<std::string>{"1"});
}

TEST_F(UploadWorkerTest, CancellingWhileThePromptIsUpSkipsTheFile) {
    recording("VOA00001.WAV");
    existing("VOA00001.WAV");
    observer.answers = {OverwriteDecision::Yes};
    observer.onEvent = [this](const std::string& line) {
        if (line.rfind("ask:", 0) == 0) stop.request_stop();
    };
    EXPECT_TRUE(runAll().terminated);
    EXPECT_TRUE(untouched("VOA00001.WAV"));
    EXPECT_EQ(VolumeBuilder::sortedNames(uploads()), std::vector<std::string>{"VOA00001.WAV"});
}

TEST_F(UploadWorkerTest, AFileAppearingDuringTheCopyIsNeverReplacedUnasked) {
    recording("VOA00001.WAV");
    recording("VOA00002.WAV");
    observer.onBytes = [this](std::uint64_t) {
        const std::string name = observer.bytes <= 5000 ? "VOA00001.WAV" : "VOA00002.WAV";
        if (!fs::exists(uploads() + name)) existing(name);
    };
    observer.answers = {OverwriteDecision::No, OverwriteDecision::Yes};
    EXPECT_EQ(runAll(), (UploadReport{1, 1, 0, false, false, false}));
    EXPECT_EQ(observer.lines("ask:"), (std::vector<std::string>{prompt("VOA00001.WAV"), prompt("VOA00002.WAV")}));
    EXPECT_TRUE(untouched("VOA00001.WAV"));
    EXPECT_TRUE(uploaded("VOA00002.WAV"));
    EXPECT_EQ(VolumeBuilder::sortedNames(uploads()), (std::vector<std::string>{"VOA00001.WAV", "VOA00002.WAV"}));
}

TEST_F(UploadWorkerTest, AMissingRecordingIsReportedAndTheJobGoesOn) {
    recording("VOA00001.WAV");
    observer.names.push_back("VOA00009.WAV");
    recording("VOA00003.WAV");
    EXPECT_EQ(runAll(), (UploadReport{2, 0, 1, false, false, false}));
    EXPECT_EQ(observer.lines("message:"), (std::vector<std::string>{"文件上传失败！", "传输完毕！"}));
    EXPECT_EQ(observer.lines("position:"), (std::vector<std::string>{"0", "1", "2", "3"}));
}

TEST_F(UploadWorkerTest, AMissingUploadFolderOrAFileInItsPlaceIsToldOnceAndEndsTheJob) {
    recording("VOA00001.WAV");
    recording("VOA00002.WAV");
    recording("VOA00003.WAV");
    VolumeBuilder::writeBytes(folder.path() + "file", {'f'});
    for (const std::string& to : {folder.path() + "nowhere/", folder.path() + "file/"}) {
        observer.events.clear();
        EXPECT_EQ(run({0, 1, 2}, to), (UploadReport{0, 0, 1, false, false, false, true}));
        EXPECT_EQ(observer.lines("message:"), (std::vector<std::string>{"上传路径错误！", "传输完毕！"}));
        EXPECT_EQ(observer.lines("status:").back(), "设备状态：录音电话成功连接");
    }
    EXPECT_FALSE(fs::exists(folder.path() + "nowhere"));
}

TEST_F(UploadWorkerTest, ATelephoneUnpluggedMidJobIsReportedOnce) {
    for (const char* name : {"VOA00001.WAV", "VOA00002.WAV", "VOA00003.WAV", "VOA00004.WAV"}) recording(name);
    observer.onEvent = [this](const std::string& line) {
        if (line == "position:1") fs::remove_all(volume.voice());
    };
    const UploadReport report = runAll();
    EXPECT_TRUE(report.sourceGone);
    EXPECT_EQ(report.copied, 1);
    EXPECT_EQ(fs::file_size(uploads() + "VOA00001.WAV"), 5000u);
    EXPECT_EQ(observer.lines("message:"), (std::vector<std::string>{"文件上传失败！", "传输完毕！"}));
    EXPECT_EQ(observer.lines("status:").back(), "设备状态：录音电话未连接");
}

TEST_F(UploadWorkerTest, RowsRemovedFromTheListEndTheJobWithOneMessage) {
    recording("VOA00001.WAV");
    recording("VOA00002.WAV");
    recording("VOA00003.WAV");
    observer.onEvent = [this](const std::string& line) {
        if (line == "position:1") observer.names.clear();
    };
    const UploadReport report = runAll();
    EXPECT_EQ(report.copied, 1);
    EXPECT_EQ(observer.lines("message:"), (std::vector<std::string>{"文件上传失败！", "传输完毕！"}));
}
