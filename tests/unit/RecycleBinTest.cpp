#include <fcntl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "common/fs/FileDescriptor.h"
#include "phone/RecycleBin.h"
#include "phone/RecycleBinRow.h"
#include "phone/RecycleMessages.h"
#include "phone/RestoreCopy.h"
#include "phone/RowTable.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UndeletableFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

// Keeps the observer's calls and the messages in one sequence, so their order can be checked.
class RestoreLog : public IRestoreObserver, public IMessageSink {
public:
    void progressStarted(int count) override { events.push_back("started " + std::to_string(count)); }
    void progressAdvanced(int done) override {
        events.push_back("advanced " + std::to_string(done));
        if (onAdvanced) onAdvanced(done);
    }
    void savePhoneIndexRequested() override {
        events.push_back("save");
        if (onSave) onSave();
    }
    void progressEnded() override { events.push_back("ended"); }
    void listRefreshRequested() override { events.push_back("refresh"); }
    void phoneRescanRequested() override { events.push_back("rescan"); }
    void showMessage(const std::string& text, MessageIcon icon) override {
        events.push_back("message " + text);
        messages.push_back(text);
        icons.push_back(icon);
    }

    std::vector<std::string> events;
    std::vector<std::string> messages;
    std::vector<MessageIcon> icons;
    std::function<void()> onSave;
    std::function<void(int)> onAdvanced;
};

}  // namespace

class RecycleBinTest : public ::testing::Test {
protected:
    void SetUp() override { setCounters(2, 65); }
    void setCounters(std::uint16_t count, std::uint16_t serial) {
        header = VolumeBuilder::header(count, serial);
        header = volume.writeIndex(header);
    }
    void binRecording(const std::string& name, char direction = 'B', const std::string& number = "13800138000",
                      std::size_t size = 4532) {
        VolumeBuilder::writeRecording(volume.recycle() + name, direction, number, size);
    }
    void voiceRecording(const std::string& name) {
        VolumeBuilder::writeRecording(volume.voice() + name, VolumeBuilder::info('Z', "555", 12, 1, 2, 3, 4));
    }
    // The bin's list as the window shows it.
    RowTable binRows() {
        std::vector<RecordingRow> rows;
        for (const auto& entry : bin.RefreshList()) rows.push_back(recycleBinRow(entry, static_cast<int>(rows.size())));
        return RowTable(std::move(rows));
    }
    RestoreReport restore(std::vector<int> rows, std::stop_token stop = {}) {
        const RowTable table = binRows();
        log.onSave = [this] { bin.savePhoneIndex(); };
        return bin.RestoreWorker(TransferJob{std::move(rows)}, table, stop, log);
    }

    TempFolder folder;
    VolumeBuilder volume{folder.path()};
    PhoneIndexHeader header;
    RestoreLog log;
    RecycleBin bin{folder.path(), header, log};
};

TEST_F(RecycleBinTest, RestoredNameComesFromNextSerialAndKeepsTheKindLetter) {
    EXPECT_EQ(restoredFileName('A', 1), "VOA00001.WAV");
    EXPECT_EQ(restoredFileName('K', 65534), "VOK65534.WAV");
    EXPECT_EQ(restoredFileName('I', 65), "VOI00065.WAV");
    EXPECT_EQ(restoredFileName('X', 7), "VOJ00007.WAV");
    EXPECT_EQ(restoredFileName('b', 7), "VOJ00007.WAV");
}

TEST_F(RecycleBinTest, RestoreTakesNextSerialDeletesTheBinCopyAndWritesTheCounters) {
    binRecording("VOI00007.WAV", 'Z', "02088886666", 6000);
    const auto content = VolumeBuilder::readBytes(volume.recycle() + "VOI00007.WAV");

    const RestoreReport report = restore({0});

    EXPECT_EQ(report.restored, (std::vector<RestoredFile>{{"VOI00007.WAV", "VOI00065.WAV"}}));
    EXPECT_EQ(report.failed, 0);
    EXPECT_EQ(VolumeBuilder::sortedNames(volume.voice()), std::vector<std::string>{"VOI00065.WAV"});
    EXPECT_TRUE(VolumeBuilder::sortedNames(volume.recycle()).empty());
    EXPECT_EQ(VolumeBuilder::readBytes(volume.voice() + "VOI00065.WAV"), content);
    EXPECT_EQ(volume.writtenHeader().nextSerial(), 66);
    EXPECT_EQ(volume.writtenHeader().recordingCount(), 3);
    // Only the two counters changed on the telephone.
    auto expected = VolumeBuilder::header(3, 66);
    EXPECT_EQ(volume.writtenHeader(), expected);
}

TEST_F(RecycleBinTest, ObserverAndMessagesFollowTheWorkersOrder) {
    binRecording("VOA00001.WAV");
    binRecording("VOB00002.WAV");
    restore({0, 1});
    EXPECT_EQ(log.events, (std::vector<std::string>{"started 2", "advanced 1", "advanced 2", "save", "ended",
                                                    std::string("message ") + kRestoreDone, "refresh", "rescan"}));
}

TEST_F(RecycleBinTest, ExhaustedSerialsRefuseEveryRowAndCopyNothing) {
    setCounters(4, PhoneIndexHeader::kSerialsExhausted);
    for (const char* name : {"VOA00001.WAV", "VOB00002.WAV", "VOC00003.WAV"}) binRecording(name);

    const RestoreReport report = restore({0, 1, 2});

    EXPECT_EQ(log.messages,
              (std::vector<std::string>{kSerialsExhausted, kSerialsExhausted, kSerialsExhausted, kRestoreDone}));
    EXPECT_EQ(report.failed, 3);
    EXPECT_TRUE(report.restored.empty());
    EXPECT_TRUE(VolumeBuilder::sortedNames(volume.voice()).empty());
    EXPECT_EQ(VolumeBuilder::sortedNames(volume.recycle()).size(), 3u);
    EXPECT_EQ(volume.writtenHeader(), VolumeBuilder::header(4, PhoneIndexHeader::kSerialsExhausted));
}

TEST_F(RecycleBinTest, UnknownKindLetterIsListedWithoutKindAndRestoredAsJ) {
    binRecording("VOX00001.WAV", 'Z', "13900001111");
    const RowTable rows = binRows();
    ASSERT_EQ(rows.rowCount(), 1);
    const RecordingRow expected = {"1", "VOX00001.WAV", "", "", "", "2011-05-18 09:07", "2秒", "4K"};
    EXPECT_EQ(rows.rows()[0], expected);

    EXPECT_EQ(restore({0}).restored, (std::vector<RestoredFile>{{"VOX00001.WAV", "VOJ00065.WAV"}}));
    EXPECT_TRUE(fs::exists(volume.voice() + "VOJ00065.WAV"));
}

TEST_F(RecycleBinTest, ListShowsPlainKindTextsAndMovesLegacyNames) {
    binRecording("VOI00001.WAV", 'B', "111");
    binRecording("VOK00002.WAV", 'Z', "222");
    binRecording("VOJ00003.WAV", 'Z', "333", 1536);
    binRecording("REC00004.WAV", 'B', "444");
    binRecording("VOA0005.WAV");                                              // 11 characters
    binRecording("XXA00006.WAV");                                             // neither VO nor REC
    binRecording("VOA00007.WAV", '\0');                                       // no valid direction
    VolumeBuilder::writeBytes(volume.recycle() + "VOA00008.WAV", {1, 2, 3});  // too short for the block

    std::map<std::string, RecordingRow> byName;
    const RowTable table = binRows();
    for (const auto& row : table.rows()) byName[row[1]] = row;

    ASSERT_EQ(byName.size(), 4u);
    EXPECT_EQ(byName["VOI00001.WAV"][2], "通话录音");
    EXPECT_EQ(byName["VOI00001.WAV"][3], "111");
    EXPECT_EQ(byName["VOI00001.WAV"][4], "被叫");
    EXPECT_EQ(byName["VOK00002.WAV"][2], "留言录音");
    EXPECT_EQ(byName["VOK00002.WAV"][4], "被叫");
    EXPECT_EQ(byName["VOJ00003.WAV"][2], "本地录音");
    EXPECT_EQ(byName["VOJ00003.WAV"][3], "");
    EXPECT_EQ(byName["VOJ00003.WAV"][7], "2K");
    EXPECT_EQ(byName["VOC00004.WAV"][2], "留言录音");
    EXPECT_FALSE(fs::exists(volume.recycle() + "REC00004.WAV"));
    // Listing the bin never changes the counters.
    EXPECT_EQ(header, VolumeBuilder::header(2, 65));
}

TEST_F(RecycleBinTest, RestoreNeverReplacesARecordingAndUsesUpEachTakenSerial) {
    voiceRecording("VOA00065.WAV");
    voiceRecording("VOA00066.WAV");
    voiceRecording("VOC00067.WAV");  // another kind's name does not take the serial
    const auto before = VolumeBuilder::readBytes(volume.voice() + "VOA00065.WAV");
    binRecording("VOA00001.WAV", 'B', "12345");

    const RestoreReport report = restore({0});

    EXPECT_EQ(report.restored, (std::vector<RestoredFile>{{"VOA00001.WAV", "VOA00067.WAV"}}));
    EXPECT_EQ(VolumeBuilder::readBytes(volume.voice() + "VOA00065.WAV"), before);
    EXPECT_EQ(volume.writtenHeader().nextSerial(), 68);
    EXPECT_EQ(volume.writtenHeader().recordingCount(), 3);
    EXPECT_EQ(log.messages, std::vector<std::string>{kRestoreDone});
    EXPECT_EQ(log.icons, std::vector<MessageIcon>{MessageIcon::Information});
}

TEST_F(RecycleBinTest, TakenNamesUpToTheLastSerialEndInTheSerialsMessage) {
    setCounters(1, 0xFFFD);
    voiceRecording("VOA65533.WAV");
    voiceRecording("VOA65534.WAV");
    binRecording("VOA00001.WAV");

    const RestoreReport report = restore({0});

    EXPECT_TRUE(report.restored.empty());
    EXPECT_EQ(log.messages, (std::vector<std::string>{kSerialsExhausted, kRestoreDone}));
    EXPECT_EQ(volume.writtenHeader().nextSerial(), PhoneIndexHeader::kSerialsExhausted);
    EXPECT_EQ(volume.writtenHeader().recordingCount(), 1);
    EXPECT_TRUE(fs::exists(volume.recycle() + "VOA00001.WAV"));
}

TEST_F(RecycleBinTest, CopyFailuresKeepTheCountersAndTellWhy) {
    binRecording("VOA00001.WAV");
    binRecording("VOB00002.WAV");
    const RowTable table = binRows();
    fs::remove(volume.recycle() + table.cellText(0, 1));  // gone since the list was read

    EXPECT_EQ(bin.RestoreOne(table, 0), RestoreOutcome::Failed);
    EXPECT_EQ(bin.RestoreOne(table, 5), RestoreOutcome::Failed);  // a row the list no longer has
    fs::remove_all(volume.voice());
    EXPECT_EQ(bin.RestoreOne(table, 1), RestoreOutcome::PathError);

    EXPECT_EQ(log.messages, (std::vector<std::string>{kRestoreFileFailed, kRestoreFileFailed, kRestorePathError}));
    EXPECT_EQ(header, VolumeBuilder::header(2, 65));
    EXPECT_TRUE(fs::exists(volume.recycle() + table.cellText(1, 1)));
}

TEST_F(RecycleBinTest, BinCopyThatCannotBeDeletedIsToldAndTheRestoreCounts) {
    binRecording("VOA00001.WAV");
    const RowTable table = binRows();
    const UndeletableFolder guard(volume.recycle());
    if (!guard.active()) GTEST_SKIP() << "this file system lets every entry be deleted";

    EXPECT_EQ(bin.RestoreOne(table, 0), RestoreOutcome::Restored);
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_NE(log.messages[0].find("VOA00001.WAV"), std::string::npos);
    EXPECT_EQ(log.icons, std::vector<MessageIcon>{MessageIcon::Stop});
    EXPECT_TRUE(fs::exists(volume.voice() + "VOA00065.WAV"));
    EXPECT_EQ(header.recordingCount(), 3);
    EXPECT_EQ(header.nextSerial(), 66);
}

TEST_F(RecycleBinTest, StopIsSeenBetweenRowsAndTheCountersOfFinishedRowsAreSaved) {
    for (const char* name : {"VOA00001.WAV", "VOA00002.WAV", "VOA00003.WAV"}) binRecording(name);
    std::stop_source stop;
    log.onAdvanced = [&](int done) {
        if (done == 1) stop.request_stop();
    };

    const RestoreReport report = restore({0, 1, 2}, stop.get_token());

    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.restored.size(), 1u);
    EXPECT_EQ(VolumeBuilder::sortedNames(volume.voice()), std::vector<std::string>{"VOA00065.WAV"});
    EXPECT_EQ(volume.writtenHeader().nextSerial(), 66);
    // No "还原完毕！" and no list refresh after a stop; the header is saved before the rescan.
    EXPECT_EQ(log.events, (std::vector<std::string>{"started 3", "advanced 1", "save", "ended", "rescan"}));
}

TEST_F(RecycleBinTest, PermanentDeleteRemovesBinFilesAndLeavesTheHeader) {
    for (const char* name : {"VOA00001.WAV", "VOB00002.WAV", "VOC00003.WAV", "VOA00004.WAV"}) binRecording(name);
    const auto index = volume.indexBytes();
    std::vector<std::size_t> reported;

    EXPECT_EQ(bin.PermanentDelete({"VOA00001.WAV", "VOC00003.WAV"}, [&](std::size_t i) { reported.push_back(i); }), 2);
    EXPECT_EQ(VolumeBuilder::sortedNames(volume.recycle()), (std::vector<std::string>{"VOA00004.WAV", "VOB00002.WAV"}));
    EXPECT_EQ(reported, (std::vector<std::size_t>{0, 1}));

    // A failure ends the command at that file.
    EXPECT_EQ(bin.PermanentDelete({"VOB00002.WAV", "VOZ00009.WAV", "VOA00004.WAV"}), 1);
    EXPECT_EQ(log.messages, std::vector<std::string>{"没有找到 VOZ00009.WAV。"});
    EXPECT_EQ(log.icons, std::vector<MessageIcon>{MessageIcon::Stop});
    EXPECT_TRUE(fs::exists(volume.recycle() + "VOA00004.WAV"));

    EXPECT_EQ(bin.PermanentDelete({}), 0);
    EXPECT_EQ(log.messages.back(), kNoBinRowSelected);
    EXPECT_EQ(volume.indexBytes(), index);
    EXPECT_EQ(header, VolumeBuilder::header(2, 65));
}

TEST_F(RecycleBinTest, WithoutATelephoneNothingRelativeToTheWorkingFolderIsTouched) {
    TempFolder working;
    VolumeBuilder cwdVolume(working.path());
    VolumeBuilder::writeRecording(cwdVolume.recycle() + "REC00001.WAV", VolumeBuilder::info('B', "1", 11, 1, 1, 1, 1));
    VolumeBuilder::writeRecording(cwdVolume.recycle() + "VOA00002.WAV", VolumeBuilder::info('B', "1", 11, 1, 1, 1, 1));
    const auto previous = fs::current_path();
    fs::current_path(working.path());

    RecycleBin none("", header, log);
    const auto entries = none.RefreshList();
    const int deleted = none.PermanentDelete({"VOA00002.WAV"});
    const bool saved = none.savePhoneIndex();
    fs::current_path(previous);

    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(deleted, 0);
    EXPECT_FALSE(saved);
    EXPECT_EQ(VolumeBuilder::sortedNames(cwdVolume.recycle()),
              (std::vector<std::string>{"REC00001.WAV", "VOA00002.WAV"}));
}

TEST(RestoreCopyTest, ExistingTargetIsNeverReplacedAndNoTemporaryFileStays) {
    TempFolder folder;
    VolumeBuilder::writeBytes(folder.path() + "source.wav", {1, 2, 3, 4});
    VolumeBuilder::writeBytes(folder.path() + "taken.wav", {9});
    const FileDescriptor fd(::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const int dir = fd.get();

    EXPECT_EQ(copyNoReplace(dir, "source.wav", dir, "taken.wav"), RestoreCopyResult::TargetExists);
    EXPECT_EQ(VolumeBuilder::readBytes(folder.path() + "taken.wav"), std::vector<std::uint8_t>{9});
    EXPECT_EQ(copyNoReplace(dir, "source.wav", dir, "new.wav"), RestoreCopyResult::Copied);
    EXPECT_EQ(VolumeBuilder::readBytes(folder.path() + "new.wav"), (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(VolumeBuilder::sortedNames(folder.path()),
              (std::vector<std::string>{"new.wav", "source.wav", "taken.wav"}));

    EXPECT_EQ(copyNoReplace(dir, "none.wav", dir, "x.wav"), RestoreCopyResult::SourceMissing);
    EXPECT_EQ(copyNoReplace(-1, "none.wav", dir, "x.wav"), RestoreCopyResult::SourceFolderMissing);
    EXPECT_EQ(copyNoReplace(dir, "source.wav", -1, "x.wav"), RestoreCopyResult::TargetFolderMissing);
    // A link is not a recording, whatever it points at.
    std::filesystem::create_symlink(folder.path() + "source.wav", folder.path() + "link.wav");
    EXPECT_EQ(copyNoReplace(dir, "link.wav", dir, "y.wav"), RestoreCopyResult::SourceMissing);
}
