// Hostile and changing telephone volumes: links out of the volume, special files, a telephone swapped under
// its mount point, a read-only telephone, a broken index and the temporary files of killed writers. Nothing
// outside the volume is ever touched and nothing is written to a volume the program did not read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "common/fs/TemporaryFiles.h"
#include "phone/CatalogueScan.h"
#include "phone/DeviceStatus.h"
#include "phone/PhoneListDelete.h"
#include "phone/RecycleBin.h"
#include "phone/RowTable.h"
#include "phone/VolumeMessages.h"
#include "tests/fault/FolderSnapshot.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestMount.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

class NameView : public ICatalogueView {
public:
    void setStatusText(const std::string&) override {}
    void clearRows() override { names.clear(); }
    void addRecordingRow(const RecordingEntry& entry, int) override { names.push_back(entry.fileName); }
    Names names;
};

class NoObserver : public IRestoreObserver {
public:
    void progressStarted(int) override {}
    void progressAdvanced(int) override {}
    void savePhoneIndexRequested() override { ++saves; }
    void progressEnded() override {}
    void listRefreshRequested() override {}
    void phoneRescanRequested() override { ++rescans; }
    int saves = 0;
    int rescans = 0;
};

struct Scan {
    Names names;
    ScanResult result;
    PhoneIndexHeader header;
};

Scan scan(const std::string& root, IMessageSink& messages) {
    Scan done;
    NameView view;
    done.result = ScanCatalogue(root, done.header, view, messages);
    done.names = view.names;
    return done;
}

RowTable binRowsNamed(const Names& names) {
    std::vector<RecordingRow> rows;
    for (const auto& name : names) rows.push_back(RecordingRow{"", name});
    return RowTable(std::move(rows));
}

RestoreReport restore(const std::string& root, PhoneIndexHeader& header, IMessageSink& messages, const Names& names) {
    RecycleBin bin(root, header, messages);
    NoObserver observer;
    std::vector<int> rows;
    for (int i = 0; i < static_cast<int>(names.size()); ++i) rows.push_back(i);
    return bin.RestoreWorker(TransferJob{rows}, binRowsNamed(names), {}, observer);
}

// The id of a process that has ended.
long deadProcessId() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

}  // namespace

TEST(VolumeLinkTest, NothingOutsideTheVolumeIsReadRenamedDeletedOrWritten) {
    TempFolder folder;
    const std::string outside = folder.path() + "outside/";
    VolumeBuilder volume(folder.path() + "phone/");
    PhoneIndexHeader header = volume.writeIndex(VolumeBuilder::header(1, 5));
    fs::create_directory(outside);
    VolumeBuilder::writeRecording(outside + "REC00001.WAV", 'B', "1");
    VolumeBuilder::writeRecording(outside + "VOA00002.WAV", 'B', "2");
    PhoneIndexHeader planted = VolumeBuilder::header(7, 7);
    planted.bytes[38] = 1;  // a scan would clear it, writing through the link
    VolumeBuilder::writeBytes(outside + "index.bin", {planted.bytes.begin(), planted.bytes.end()});
    const FolderSnapshot before = snapshotOf(outside);
    RecordingMessages messages;

    // voice/ and RECYCLE/ as links to the outside folder.
    fs::remove(volume.voice());
    fs::remove(volume.recycle());
    fs::create_directory_symlink(outside, folder.path() + "phone/voice");
    fs::create_directory_symlink(outside, folder.path() + "phone/RECYCLE");
    Scan linked = scan(volume.root(), messages);
    EXPECT_EQ(linked.names, Names{});
    EXPECT_EQ(PermanentDelete(volume.root(), {"VOA00002.WAV"}, linked.header, messages).deleted, 0);
    RecycleBin bin(volume.root(), linked.header, messages);
    EXPECT_EQ(bin.RefreshList(), std::vector<RecordingEntry>{});
    EXPECT_EQ(bin.PermanentDelete({"VOA00002.WAV"}), 0);
    EXPECT_EQ(restore(volume.root(), linked.header, messages, {"VOA00002.WAV"}).restored.size(), 0u);
    EXPECT_EQ(snapshotOf(outside), before);

    // Real folders holding links, a pipe and a device-like name; the index itself a link.
    fs::remove(folder.path() + "phone/voice");
    fs::remove(folder.path() + "phone/RECYCLE");
    fs::create_directory(volume.voice());
    fs::create_directory(volume.recycle());
    VolumeBuilder::writeRecording(volume.voice() + "VOA00003.WAV", 'Z', "3");
    fs::create_symlink(outside + "REC00001.WAV", volume.voice() + "REC00004.WAV");
    fs::create_symlink(outside + "VOA00002.WAV", volume.recycle() + "VOA00005.WAV");
    ASSERT_EQ(::mkfifo((volume.voice() + "VOA00006.WAV").c_str(), 0644), 0);
    Scan mixed = scan(volume.root(), messages);
    EXPECT_EQ(mixed.names, Names{"VOA00003.WAV"});
    EXPECT_EQ(RecycleBin(volume.root(), mixed.header, messages).RefreshList(), std::vector<RecordingEntry>{});
    EXPECT_EQ(restore(volume.root(), mixed.header, messages, {"VOA00005.WAV"}).restored.size(), 0u);
    EXPECT_EQ(PermanentDelete(volume.root(), {"REC00004.WAV", "VOA00006.WAV"}, mixed.header, messages).deleted, 0);
    EXPECT_TRUE(fs::is_symlink(volume.voice() + "REC00004.WAV"));
    EXPECT_EQ(VolumeBuilder::sortedNames(volume.voice()), (Names{"REC00004.WAV", "VOA00003.WAV", "VOA00006.WAV"}));

    fs::remove(volume.indexPath());
    fs::create_symlink(outside + "index.bin", volume.indexPath());
    EXPECT_FALSE(scan(volume.root(), messages).result.indexValid);
    EXPECT_FALSE(PhoneStore(volume.root()).writeHeader(header));
    EXPECT_EQ(snapshotOf(outside), before);
}

TEST(LegacyNameTest, TheRowsShownAfterRenamesAreTheRowsOfTheNextScan) {
    TempFolder folder;
    VolumeBuilder volume(folder.path());
    volume.writeIndex(VolumeBuilder::header());
    for (int i = 1; i <= 24; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, i % 2 ? "REC%05d.WAV" : "VOA%05d.WAV", i);
        VolumeBuilder::writeRecording(volume.voice() + name, 'B', "1");
        VolumeBuilder::writeRecording(volume.recycle() + name, 'B', "1");
    }
    RecordingMessages messages;
    const Scan first = scan(volume.root(), messages);
    Scan second = scan(volume.root(), messages);
    EXPECT_EQ(first.result.renamed, 12);
    EXPECT_EQ(second.result.renamed, 0);
    EXPECT_EQ(first.names, second.names);

    const RecycleBin bin(volume.root(), second.header, messages);
    int renamed = 0;
    const auto binFirst = bin.RefreshList(&renamed);
    EXPECT_EQ(renamed, 12);
    EXPECT_EQ(binFirst, bin.RefreshList(&renamed));
    EXPECT_EQ(renamed, 0);
    EXPECT_EQ(messages.texts, Names{});
}

TEST(BrokenIndexTest, CommandsThatWriteTheHeaderRefuseAndTouchNothing) {
    for (const std::vector<std::uint8_t>& index :
         {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>(100, 0x66), std::vector<std::uint8_t>(124, 0)}) {
        TempFolder folder;
        VolumeBuilder volume(folder.path());
        VolumeBuilder::writeRecording(volume.voice() + "VOA00001.WAV", 'B', "1");
        VolumeBuilder::writeRecording(volume.recycle() + "VOA00002.WAV", 'B', "2");
        if (!index.empty()) volume.writeIndexBytes(index);
        RecordingMessages messages;
        Scan broken = scan(volume.root(), messages);
        EXPECT_FALSE(broken.result.indexValid);

        EXPECT_EQ(PermanentDelete(volume.root(), {"VOA00001.WAV"}, broken.header, messages).refusal,
                  IndexWriteCheck::IndexUnusable);
        NoObserver observer;
        RecycleBin bin(volume.root(), broken.header, messages);
        EXPECT_TRUE(bin.RestoreWorker(TransferJob{{0}}, binRowsNamed({"VOA00002.WAV"}), {}, observer).refused);
        EXPECT_EQ(observer.saves, 0);
        EXPECT_EQ(messages.texts, (Names{kIndexUnusable, kIndexUnusable}));
        EXPECT_EQ(VolumeBuilder::sortedNames(volume.voice()), Names{"VOA00001.WAV"});
        EXPECT_EQ(VolumeBuilder::sortedNames(volume.recycle()), Names{"VOA00002.WAV"});
        EXPECT_EQ(fs::exists(volume.indexPath()) ? volume.indexBytes() : std::vector<std::uint8_t>{}, index);
        // Deleting from the bin writes no header, so it still works.
        EXPECT_EQ(bin.PermanentDelete({"VOA00002.WAV"}), 1);
    }
}

TEST(SwappedTelephoneTest, WritesAfterASwapAreRefusedAndTheNewTelephoneIsUntouched) {
    TestMount mount;
    if (!mount.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    const auto build = [&mount](char direction) {
        VolumeBuilder volume(mount.path());
        volume.writeIndex(VolumeBuilder::header(1, 9));
        VolumeBuilder::writeRecording(volume.voice() + "VOA00001.WAV", direction, "1");
        VolumeBuilder::writeRecording(volume.recycle() + "VOA00002.WAV", direction, "2");
    };
    build('B');
    RecordingMessages messages;
    Scan phoneA = scan(mount.path(), messages);
    ASSERT_EQ(phoneA.names, Names{"VOA00001.WAV"});

    ASSERT_TRUE(mount.swap());
    build('Z');
    const FolderSnapshot voiceB = snapshotOf(mount.path() + "voice/");
    const FolderSnapshot binB = snapshotOf(mount.path() + "RECYCLE/");
    const FolderSnapshot systemB = snapshotOf(mount.path() + "system/");
    EXPECT_EQ(PermanentDelete(mount.path(), {"VOA00001.WAV"}, phoneA.header, messages).refusal,
              IndexWriteCheck::NotReady);
    EXPECT_TRUE(restore(mount.path(), phoneA.header, messages, {"VOA00002.WAV"}).refused);
    RecycleBin bin(mount.path(), phoneA.header, messages);
    EXPECT_EQ(bin.PermanentDelete({"VOA00002.WAV"}), 0);
    EXPECT_TRUE(bin.deleteRefused());
    EXPECT_FALSE(PhoneStore(mount.path()).writeHeader(phoneA.header));
    EXPECT_EQ(messages.texts, (Names{kDeviceNotReady, kDeviceNotReady, kDeviceNotReady}));
    EXPECT_EQ(snapshotOf(mount.path() + "voice/"), voiceB);
    EXPECT_EQ(snapshotOf(mount.path() + "RECYCLE/"), binB);
    EXPECT_EQ(snapshotOf(mount.path() + "system/"), systemB);

    // A folder of the same file system bind-mounted over voice/ is not the telephone's.
    TempFolder outside;
    VolumeBuilder::writeRecording(outside.path() + "VOA00009.WAV", 'B', "9");
    ASSERT_TRUE(mount.bind(outside.path(), mount.path() + "voice"));
    EXPECT_EQ(scan(mount.path(), messages).names, Names{});
}

TEST(ReadOnlyTelephoneTest, IsListedInFullButNeverChanged) {
    TestMount mount;
    if (!mount.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    VolumeBuilder volume(mount.path());
    PhoneIndexHeader header = VolumeBuilder::header(0, 3);
    header.bytes[44] = 7;  // a cleared field the scan would write
    volume.writeIndex(header);
    VolumeBuilder::writeRecording(volume.voice() + "VOA00001.WAV", 'B', "1");
    VolumeBuilder::writeRecording(volume.voice() + "REC00002.WAV", 'Z', "2");
    VolumeBuilder::writeRecording(volume.recycle() + "VOA00003.WAV", 'B', "3");
    ASSERT_TRUE(mount.remountReadOnly());

    RecordingMessages messages;
    Scan readOnly = scan(mount.path(), messages);
    EXPECT_EQ(readOnly.names.size(), 2u);
    EXPECT_TRUE(readOnly.result.readOnly);
    EXPECT_EQ(messages.texts, Names{kPhoneReadOnly});
    EXPECT_EQ(PermanentDelete(mount.path(), {"VOA00001.WAV"}, readOnly.header, messages).refusal,
              IndexWriteCheck::ReadOnly);
    EXPECT_TRUE(restore(mount.path(), readOnly.header, messages, {"VOA00003.WAV"}).refused);
    EXPECT_EQ(messages.texts, (Names{kPhoneReadOnly, kPhoneReadOnly, kPhoneReadOnly}));
}

TEST(StaleTemporaryTest, OnlyFilesOfWritersThatAreGoneAreRemoved) {
    TempFolder folder;
    VolumeBuilder volume(folder.path());
    volume.writeIndex(VolumeBuilder::header());
    const std::string dead = std::to_string(deadProcessId());
    const std::string alive = std::to_string(::getpid());
    for (const std::string& name :
         Names{".restore-" + dead + "-0000abcd", ".restore-" + alive + "-0000abcd", ".restore-" + dead + "-00001234",
               ".restore-x", ".VOA00001.WAV." + dead + "-0000abcd.part"}) {
        VolumeBuilder::writeBytes(volume.voice() + name, {1});
    }
    // Held by a writer elsewhere, whose process id means nothing here.
    const int held = ::open((volume.voice() + ".restore-" + dead + "-00001234").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    RecordingMessages messages;
    scan(volume.root(), messages);
    ::close(held);
    EXPECT_EQ(VolumeBuilder::sortedNames(volume.voice()),
              (Names{".VOA00001.WAV." + dead + "-0000abcd.part", ".restore-" + alive + "-0000abcd",
                     ".restore-" + dead + "-00001234", ".restore-x"}));

    const int voice = ::open(volume.voice().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    EXPECT_EQ(removeStaleTemporaries(voice, TemporaryKind::Upload), 1);
    ::close(voice);
}
