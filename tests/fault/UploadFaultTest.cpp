// Uploads under faults: a full disk, writes and flushes that fail, a read error in the middle of a
// recording, folders that vanish or are in the way, odd names. Each case checks the message, that the
// upload folder holds only complete copies, that the telephone is untouched, and that the next upload works.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <cerrno>
#include <filesystem>

#include "common/fs/FileSystemSync.h"
#include "phone/UploadWorker.h"
#include "tests/fault/FaultInjector.h"
#include "tests/fault/FolderSnapshot.h"
#include "tests/fault/SmallDisk.h"
#include "tests/support/ScriptedUploadObserver.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {
constexpr const char* kFailed = "文件上传失败！";
constexpr const char* kDone = "传输完毕！";
constexpr const char* kFolderWrong = "上传路径错误！";
using Messages = std::vector<std::string>;
}  // namespace

class UploadFaultTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(uploads); }

    void recording(const std::string& name, std::size_t size) {
        VolumeBuilder::writeBytes(volume.voice() + name,
                                  patternBytes(size, static_cast<std::uint8_t>(observer.names.size())));
        observer.names.push_back(name);
    }
    UploadReport run(std::vector<int> rows, const std::string& to) {
        observer.events.clear();
        const UploadTask task{TransferJob{std::move(rows)}, volume.root(), to};
        return UploadWorker(task, stop.get_token(), stopRequest, observer).run();
    }
    UploadReport runAll(const std::string& to) {
        std::vector<int> rows(observer.names.size());
        for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int>(i);
        return run(rows, to);
    }
    // The upload folder holds exactly these rows' recordings, each a complete copy, and nothing else.
    void expectCopies(const std::string& to, const std::vector<int>& rows) const {
        FolderSnapshot expected;
        for (const int row : rows) {
            const std::string& name = observer.names[static_cast<std::size_t>(row)];
            expected[name] = phone.at(name);
        }
        const FolderSnapshot actual = snapshotOf(to);
        EXPECT_EQ(namesOf(actual), namesOf(expected));
        EXPECT_TRUE(actual == expected) << "a copy differs from its recording";
    }
    void expectTelephoneUntouched() const { EXPECT_TRUE(snapshotOf(volume.voice()) == phone); }
    void takePhoneSnapshot() { phone = snapshotOf(volume.voice()); }

    TempFolder folder;
    VolumeBuilder volume{folder.path() + "phone/"};
    std::string uploads = folder.path() + "uploads/";
    ScriptedUploadObserver observer;
    std::stop_source stop;
    std::atomic<bool> stopRequest{false};
    FolderSnapshot phone;
};

TEST_F(UploadFaultTest, AFullDiskIsToldOnceAndEndsTheJobKeepingTheCopiesMade) {
    SmallDisk disk(1 << 20);
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    recording("VOA00001.WAV", 50'000);
    recording("VOB00002.WAV", 600'000);
    recording("VOC00003.WAV", 40'000);
    takePhoneSnapshot();
    const std::string target = disk.path() + "uploads/";
    fs::create_directory(target);
    disk.fillLeaving(200'000);

    // Told once; the rest would fail the same way.
    EXPECT_EQ(runAll(target), (UploadReport{1, 0, 1, false, false, false, true}));
    EXPECT_EQ(observer.lines("message:"), (Messages{kFailed, kDone}));
    expectCopies(target, {0});
    expectTelephoneUntouched();

    disk.freeFiller();
    EXPECT_EQ(run({1, 2}, target).copied, 2);
    EXPECT_EQ(observer.lines("message:"), Messages{kDone});
    expectCopies(target, {0, 1, 2});
}

TEST_F(UploadFaultTest, AReadOnlyUploadFolderIsToldOnceAndEndsTheJob) {
    SmallDisk disk(1 << 20);
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    for (const char* name : {"VOA00001.WAV", "VOB00002.WAV", "VOC00003.WAV"}) recording(name, 10'000);
    if (!disk.remountReadOnly()) GTEST_SKIP() << "the tmpfs can't be remounted read-only here";
    EXPECT_EQ(runAll(disk.path()), (UploadReport{0, 0, 1, false, false, false, true}));
    EXPECT_EQ(observer.lines("message:"), (Messages{kFailed, kDone}));
}

TEST_F(UploadFaultTest, NoSpaceInTheMiddleOfAFileLeavesNoPartialCopy) {
    recording("VOA00001.WAV", 50'000);
    recording("VOB00002.WAV", 100'000);
    recording("VOC00003.WAV", 30'000);
    takePhoneSnapshot();
    {
        FaultInjector full({FaultOperation::Write, "/uploads/", 70'000, ENOSPC, {}});
        EXPECT_EQ(runAll(uploads), (UploadReport{1, 0, 1, false, false, false, true}));
        EXPECT_GT(full.fired(), 0);
    }
    EXPECT_EQ(observer.lines("message:"), (Messages{kFailed, kDone}));
    expectCopies(uploads, {0});
    expectTelephoneUntouched();

    EXPECT_EQ(run({1, 2}, uploads).copied, 2);
    expectCopies(uploads, {0, 1, 2});
}

TEST_F(UploadFaultTest, AReadErrorInTheMiddleOfARecordingFailsThatFileOnly) {
    recording("VOA00001.WAV", 20'000);
    recording("VOB00002.WAV", 1'500'000);  // more than one block, so the error comes between blocks too
    recording("VOC00003.WAV", 20'000);
    takePhoneSnapshot();
    {
        FaultInjector damaged({FaultOperation::Read, "/voice/VOB00002.WAV", 1'100'000, EIO, {}});
        EXPECT_EQ(runAll(uploads), (UploadReport{2, 0, 1, false, false, false}));
        EXPECT_GT(damaged.fired(), 0);
    }
    EXPECT_EQ(observer.lines("message:"), (Messages{kFailed, kDone}));
    expectCopies(uploads, {0, 2});
    expectTelephoneUntouched();

    EXPECT_EQ(run({1}, uploads).copied, 1);
    expectCopies(uploads, {0, 1, 2});
}

TEST_F(UploadFaultTest, AFlushThatFailsNeverGivesTheCopyItsName) {
    recording("VOA00001.WAV", 10'000);
    recording("VOB00002.WAV", 10'000);
    takePhoneSnapshot();
    {
        FaultInjector flush({FaultOperation::Sync, "/uploads/", 0, EIO, {}});
        EXPECT_EQ(runAll(uploads), (UploadReport{0, 0, 2, false, false, false}));
        EXPECT_EQ(flush.fired(), 2);
    }
    EXPECT_EQ(observer.lines("message:"), (Messages{kFailed, kFailed, kDone}));
    expectCopies(uploads, {});
    EXPECT_EQ(runAll(uploads).copied, 2);
    expectCopies(uploads, {0, 1});
}

TEST_F(UploadFaultTest, ADiskFoundFullOnlyWhenFlushingIsToldOnce) {
    for (const char* name : {"VOA00001.WAV", "VOB00002.WAV", "VOC00003.WAV"}) recording(name, 10'000);
    {
        FaultInjector full({FaultOperation::Sync, "/uploads/", 0, ENOSPC, {}});
        EXPECT_EQ(runAll(uploads), (UploadReport{0, 0, 3, false, false, false, true}));
    }
    EXPECT_EQ(observer.lines("message:"), (Messages{kFailed, kDone}));
    expectCopies(uploads, {});
}

TEST_F(UploadFaultTest, ABatchIsOnDiskBeforeAnyOfItsCopiesGetsItsName) {
    const FileDescriptor folder(::open(uploads.c_str(), O_RDONLY | O_DIRECTORY));
    if (!syncCoversFilesOf(folder.get())) GTEST_SKIP() << "this file system's sync does not cover its files";
    std::vector<int> rows;
    for (int i = 0; i < 20; ++i) {
        recording("VOA" + std::to_string(10000 + i) + ".WAV", 10'000);
        rows.push_back(i);
    }
    takePhoneSnapshot();
    std::vector<std::string> namedAtFirstSync;
    {
        FaultInjector syncs({FaultOperation::Sync, "/uploads/", kNoLimit, 0, [&] {
                                 for (const auto& [name, bytes] : snapshotOf(uploads)) {
                                     if (name[0] != '.') namedAtFirstSync.push_back(name);
                                 }
                             }});
        EXPECT_EQ(runAll(uploads).copied, 20);
        // One sync of the file system before the renames and one of the folder after, not a flush per copy.
        EXPECT_EQ(syncs.used(), 2u);
    }
    EXPECT_EQ(namedAtFirstSync, std::vector<std::string>{});
    expectCopies(uploads, rows);
}

TEST_F(UploadFaultTest, TheTelephonesFolderVanishingMidCopyEndsTheJobOnceAndLosesNothing) {
    recording("VOA00001.WAV", 2'500'000);
    recording("VOB00002.WAV", 10'000);
    recording("VOC00003.WAV", 10'000);
    takePhoneSnapshot();
    const std::string away = volume.root() + "voice-unplugged";
    observer.onBytes = [&](std::uint64_t) {
        if (fs::exists(volume.voice())) fs::rename(volume.voice(), away);
    };
    const UploadReport report = runAll(uploads);
    observer.onBytes = nullptr;
    EXPECT_TRUE(report.sourceGone);
    EXPECT_EQ(report.copied, 1);  // the file already open is finished
    EXPECT_EQ(observer.lines("message:"), (Messages{kFailed, kDone}));
    EXPECT_EQ(observer.lines("status:").back(), "设备状态：录音电话未连接");

    fs::rename(away, volume.voice());  // plugged in again
    expectTelephoneUntouched();
    EXPECT_EQ(run({1, 2}, uploads).copied, 2);
    expectCopies(uploads, {0, 1, 2});
}

TEST_F(UploadFaultTest, TheUploadFolderVanishingMidCopyLeavesNoPartialFileAnywhere) {
    recording("VOA00001.WAV", 2'500'000);
    recording("VOB00002.WAV", 10'000);
    takePhoneSnapshot();
    const std::string moved = folder.path() + "moved-away/";
    observer.onBytes = [&](std::uint64_t) {
        if (fs::exists(uploads)) fs::rename(uploads, moved);
    };
    const UploadReport report = runAll(uploads);
    observer.onBytes = nullptr;
    EXPECT_EQ(report.copied, 0);
    EXPECT_EQ(report.failed, 2);  // the copy made before the folder went can't get its name either
    EXPECT_EQ(observer.lines("message:"), (Messages{kFolderWrong, kDone}));
    // Not in the folder the user moved away either.
    EXPECT_EQ(namesOf(snapshotOf(moved)), std::vector<std::string>{});
    expectTelephoneUntouched();

    fs::create_directory(uploads);
    EXPECT_EQ(runAll(uploads).copied, 2);
    expectCopies(uploads, {0, 1});
}

TEST_F(UploadFaultTest, FilesReplacedByFoldersAreReportedAndTheFoldersKept) {
    recording("VOA00001.WAV", 10'000);
    observer.names.push_back("VOB00002.WAV");
    fs::create_directory(volume.voice() + "VOB00002.WAV");  // on the telephone, a folder where a file was
    recording("VOC00003.WAV", 10'000);
    fs::create_directories(uploads + "VOC00003.WAV/inside");  // in the upload folder, a folder in the way
    VolumeBuilder::writeBytes(uploads + "VOC00003.WAV/inside/keep.txt", {'k'});
    takePhoneSnapshot();

    observer.answers = {OverwriteDecision::Yes};
    EXPECT_EQ(runAll(uploads), (UploadReport{1, 0, 2, false, false, false}));
    EXPECT_EQ(observer.lines("message:"), (Messages{kFailed, kFailed, kDone}));
    EXPECT_EQ(observer.lines("ask:"), Messages{uploads + "VOC00003.WAV 文件已经存在，是否覆盖？"});
    EXPECT_EQ(VolumeBuilder::readBytes(uploads + "VOC00003.WAV/inside/keep.txt"), std::vector<std::uint8_t>{'k'});
    EXPECT_EQ(VolumeBuilder::readBytes(uploads + "VOA00001.WAV"), phone.at("VOA00001.WAV"));
    EXPECT_EQ(namesOf(snapshotOf(uploads)), (Messages{"VOA00001.WAV", "VOC00003.WAV"}));
    expectTelephoneUntouched();

    observer.answers = {OverwriteDecision::Yes};
    EXPECT_EQ(run({0}, uploads).copied, 1);
}

TEST_F(UploadFaultTest, NamesWithOddCharactersAreCopiedUnderTheSameNames) {
    const std::vector<std::string> names = {"VOA 0001.WAV",
                                            "VOA\xc3\xa9"
                                            "001.WAV",
                                            "VOA'\"01.WAV",
                                            "-VOA0001.WAV",
                                            "VOA\\0001.WAV",
                                            "VOA*?001.WAV",
                                            "VOA\n0001.WAV",
                                            "VO\xd6\xd0"
                                            "0001.WAV"};
    for (const auto& name : names) recording(name, 5'000);
    takePhoneSnapshot();
    EXPECT_EQ(runAll(uploads), (UploadReport{static_cast<int>(names.size()), 0, 0, false, false, false}));
    EXPECT_EQ(observer.lines("message:"), Messages{kDone});
    std::vector<int> rows(names.size());
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int>(i);
    expectCopies(uploads, rows);
}
