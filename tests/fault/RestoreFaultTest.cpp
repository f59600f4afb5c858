// Restores from the recycle bin under faults. Each case checks the message, that voice/ holds only
// complete recordings under new names, that a recording not restored is still in the bin unchanged,
// that the counters on the telephone match what was restored, and that the next restore works.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <set>

#include "phone/RecycleBin.h"
#include "phone/RecycleBinRow.h"
#include "phone/RowTable.h"
#include "tests/fault/FaultInjector.h"
#include "tests/fault/FolderSnapshot.h"
#include "tests/fault/SmallDisk.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

constexpr const char* kFailed = "文件还原失败！";
constexpr const char* kPathError = "还原路径错误！";
constexpr const char* kDone = "还原完毕！";
using Names = std::vector<std::string>;

// A telephone with recordings in its bin, and the restore worker run as the bin window runs it.
class BinTelephone : public IRestoreObserver, public IMessageSink {
public:
    explicit BinTelephone(const std::string& root) : volume(root) {
        header = VolumeBuilder::header(3, 65);
        header = volume.writeIndex(header);
    }
    void binRecording(const std::string& name, std::size_t size) {
        std::vector<std::uint8_t> bytes = patternBytes(size, static_cast<std::uint8_t>(std::hash<std::string>{}(name)));
        const auto block = VolumeBuilder::info('B', "13800138000", 11, 5, 18, 9, 7).toBlock();
        std::copy(block.begin(), block.end(), bytes.begin() + RecordingInfo::kOffset);
        VolumeBuilder::writeBytes(volume.recycle() + name, bytes);
        originals[name] = bytes;
    }
    RowTable rows() {
        std::vector<RecordingRow> rows;
        for (const auto& entry : bin.RefreshList()) rows.push_back(recycleBinRow(entry, static_cast<int>(rows.size())));
        return RowTable(std::move(rows));
    }
    // Restores the bin rows holding these names.
    RestoreReport restore(const Names& names) {
        messages.clear();
        const RowTable table = rows();
        std::vector<int> selected;
        for (int row = 0; row < table.rowCount(); ++row) {
            if (std::find(names.begin(), names.end(), table.cellText(row, 1)) != names.end()) selected.push_back(row);
        }
        return bin.RestoreWorker(TransferJob{selected}, table, {}, *this);
    }
    PhoneIndexHeader onTelephone() const {
        PhoneIndexHeader read;
        PhoneStore(volume.root()).readHeader(read);
        return read;
    }
    // voice/ holds exactly these bin recordings, whole, under names with their kind letters and these
    // serials. Which row gets which serial follows the bin's listing order, so it is not checked here.
    void expectVoice(const Names& binNames, const std::set<int>& serials) const {
        const FolderSnapshot actual = snapshotOf(volume.voice());
        std::multiset<std::vector<std::uint8_t>> expectedContents;
        for (const auto& name : binNames) expectedContents.insert(originals.at(name));
        std::multiset<std::vector<std::uint8_t>> contents;
        std::set<int> actualSerials;
        for (const auto& [voiceName, bytes] : actual) {
            contents.insert(bytes);
            ASSERT_EQ(voiceName.size(), 12u) << voiceName;
            actualSerials.insert(std::stoi(voiceName.substr(3, 5)));
            const auto original = std::find_if(originals.begin(), originals.end(),
                                               [&](const auto& entry) { return entry.second == bytes; });
            ASSERT_NE(original, originals.end()) << voiceName << " is no recording of the bin";
            EXPECT_EQ(voiceName.substr(0, 3), restoredFileName(original->first[2], 1).substr(0, 3));
        }
        EXPECT_EQ(actual.size(), binNames.size()) << ::testing::PrintToString(namesOf(actual));
        EXPECT_TRUE(contents == expectedContents) << "voice/ does not hold exactly the restored recordings";
        EXPECT_EQ(actualSerials, serials);
    }
    Names inBin() const { return namesOf(snapshotOf(volume.recycle())); }
    Names allBut(const Names& names) const {
        Names rest;
        for (const auto& [name, bytes] : originals) {
            if (std::find(names.begin(), names.end(), name) == names.end()) rest.push_back(name);
        }
        return rest;
    }
    // The bin still holds these recordings, unchanged.
    void expectBin(const Names& names) const {
        FolderSnapshot expected;
        for (const auto& name : names) expected[name] = originals.at(name);
        const FolderSnapshot actual = snapshotOf(volume.recycle());
        EXPECT_EQ(namesOf(actual), namesOf(expected));
        EXPECT_TRUE(actual == expected);
    }

    void progressStarted(int) override {}
    void progressAdvanced(int done) override {
        if (onAdvanced) onAdvanced(done);
    }
    void savePhoneIndexRequested() override { saved = bin.savePhoneIndex(); }
    void progressEnded() override {}
    void listRefreshRequested() override {}
    void phoneRescanRequested() override {}
    void showMessage(const std::string& text, MessageIcon) override { messages.push_back(text); }

    VolumeBuilder volume;
    PhoneIndexHeader header;
    RecycleBin bin{volume.root(), header, *this};
    std::map<std::string, std::vector<std::uint8_t>> originals;
    Names messages;
    bool saved = false;
    std::function<void(int)> onAdvanced;
};

}  // namespace

TEST(RestoreFaultTest, AFullTelephoneFailsTheRecordingThatDoesNotFitAndKeepsItInTheBin) {
    SmallDisk disk(2 << 20);
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    BinTelephone phone(disk.path() + "phone/");
    phone.binRecording("VOA00007.WAV", 40'000);
    phone.binRecording("VOB00008.WAV", 500'000);
    phone.binRecording("VOC00009.WAV", 30'000);
    disk.fillLeaving(150'000);

    const RestoreReport report = phone.restore({"VOA00007.WAV", "VOB00008.WAV", "VOC00009.WAV"});
    EXPECT_EQ(report.failed, 1);
    EXPECT_EQ(phone.messages, (Names{kFailed, kDone}));
    phone.expectVoice({"VOA00007.WAV", "VOC00009.WAV"}, {65, 66});
    phone.expectBin({"VOB00008.WAV"});
    EXPECT_TRUE(phone.saved);
    EXPECT_EQ(phone.onTelephone().nextSerial(), 67);
    EXPECT_EQ(phone.onTelephone().recordingCount(), 5);

    disk.freeFiller();
    EXPECT_EQ(phone.restore({"VOB00008.WAV"}).failed, 0);
    EXPECT_EQ(phone.messages, Names{kDone});
    phone.expectVoice({"VOA00007.WAV", "VOB00008.WAV", "VOC00009.WAV"}, {65, 66, 67});
    phone.expectBin({});
}

TEST(RestoreFaultTest, NoSpaceOrAFailedFlushLeavesNoPartialRecordingInVoice) {
    for (const FaultRule& rule : {FaultRule{FaultOperation::Write, "/voice/.restore-", 60'000, ENOSPC, {}},
                                  FaultRule{FaultOperation::Sync, "/voice/.restore-", 1, EIO, {}}}) {
        TempFolder folder;
        BinTelephone phone(folder.path());
        phone.binRecording("VOA00007.WAV", 50'000);
        phone.binRecording("VOB00008.WAV", 50'000);
        phone.binRecording("VOC00009.WAV", 50'000);
        {
            FaultInjector fault(rule);
            EXPECT_EQ(phone.restore({"VOA00007.WAV", "VOB00008.WAV", "VOC00009.WAV"}).failed, 2);
            EXPECT_GT(fault.fired(), 0);
        }
        EXPECT_EQ(phone.messages, (Names{kFailed, kFailed, kDone}));
        // The first row of the bin's list went through; which one that is follows the listing order.
        const Names left = phone.inBin();
        ASSERT_EQ(left.size(), 2u);
        phone.expectVoice(phone.allBut(left), {65});
        phone.expectBin(left);
        EXPECT_EQ(phone.onTelephone().nextSerial(), 66);
        EXPECT_EQ(phone.onTelephone().recordingCount(), 4);

        EXPECT_EQ(phone.restore(left).failed, 0);
        phone.expectVoice({"VOA00007.WAV", "VOB00008.WAV", "VOC00009.WAV"}, {65, 66, 67});
        EXPECT_EQ(phone.onTelephone().recordingCount(), 6);
    }
}

TEST(RestoreFaultTest, AReadErrorInTheMiddleOfABinRecordingFailsThatRowOnly) {
    TempFolder folder;
    BinTelephone phone(folder.path());
    phone.binRecording("VOA00007.WAV", 30'000);
    phone.binRecording("VOB00008.WAV", 700'000);
    {
        FaultInjector damaged({FaultOperation::Read, "/RECYCLE/VOB00008.WAV", 300'000, EIO, {}});
        EXPECT_EQ(phone.restore({"VOA00007.WAV", "VOB00008.WAV"}).failed, 1);
        EXPECT_GT(damaged.fired(), 0);
    }
    EXPECT_EQ(phone.messages, (Names{kFailed, kDone}));
    phone.expectVoice({"VOA00007.WAV"}, {65});
    phone.expectBin({"VOB00008.WAV"});
    EXPECT_EQ(phone.restore({"VOB00008.WAV"}).failed, 0);
    phone.expectVoice({"VOA00007.WAV", "VOB00008.WAV"}, {65, 66});
}

TEST(RestoreFaultTest, TheVoiceFolderVanishingMidJobStopsRestoringAndLosesNothing) {
    TempFolder folder;
    BinTelephone phone(folder.path());
    for (const char* name : {"VOA00007.WAV", "VOB00008.WAV", "VOC00009.WAV"}) phone.binRecording(name, 20'000);
    const std::string away = folder.path() + "voice-away";
    phone.onAdvanced = [&](int done) {
        if (done == 1) fs::rename(phone.volume.voice(), away);
    };
    EXPECT_EQ(phone.restore({"VOA00007.WAV", "VOB00008.WAV", "VOC00009.WAV"}).failed, 2);
    phone.onAdvanced = nullptr;
    EXPECT_EQ(phone.messages, (Names{kPathError, kPathError, kDone}));
    const Names left = phone.inBin();
    ASSERT_EQ(left.size(), 2u);
    phone.expectBin(left);
    EXPECT_EQ(phone.onTelephone().recordingCount(), 4);

    fs::rename(away, phone.volume.voice());
    phone.expectVoice(phone.allBut(left), {65});
    EXPECT_EQ(phone.restore(left).failed, 0);
    phone.expectBin({});
    EXPECT_EQ(phone.onTelephone().nextSerial(), 68);
}

TEST(RestoreFaultTest, TheVoiceFolderMovedDuringACopyGetsTheWholeRecordingAndNoPartialOne) {
    TempFolder folder;
    BinTelephone phone(folder.path());
    phone.binRecording("VOA00007.WAV", 600'000);
    const std::string away = folder.path() + "voice-away/";
    {
        // The copy goes on in the folder it opened, on the same volume, and ends there under its name.
        FaultInjector moved(
            {FaultOperation::Write, "/voice/.restore-", kNoLimit, 0, [&] { fs::rename(phone.volume.voice(), away); }});
        EXPECT_EQ(phone.restore({"VOA00007.WAV"}).failed, 0);
    }
    EXPECT_EQ(phone.messages, (Names{kDone}));
    phone.expectBin({});
    fs::rename(away, phone.volume.voice());
    phone.expectVoice({"VOA00007.WAV"}, {65});
}

TEST(RestoreFaultTest, ABinRecordingReplacedByAFolderIsReportedAndTheFolderKept) {
    TempFolder folder;
    BinTelephone phone(folder.path());
    phone.binRecording("VOA00007.WAV", 20'000);
    phone.binRecording("VOB00008.WAV", 20'000);
    const RowTable listed = phone.rows();
    fs::remove(phone.volume.recycle() + "VOA00007.WAV");
    fs::create_directories(phone.volume.recycle() + "VOA00007.WAV/inside");

    const RestoreReport report = phone.bin.RestoreWorker(TransferJob{{0, 1}}, listed, {}, phone);
    EXPECT_EQ(report.failed, 1);
    EXPECT_EQ(phone.messages, (Names{kFailed, kDone}));
    EXPECT_TRUE(fs::is_directory(phone.volume.recycle() + "VOA00007.WAV/inside"));
    phone.expectVoice({"VOB00008.WAV"}, {65});  // the failed row used up no serial
    EXPECT_EQ(phone.onTelephone().nextSerial(), 66);
}

TEST(RestoreFaultTest, AHeaderThatCannotBeWrittenLosesNoRecordingAndNoSerialIsUsedTwice) {
    TempFolder folder;
    BinTelephone phone(folder.path());
    phone.binRecording("VOA00007.WAV", 20'000);
    phone.binRecording("VOA00008.WAV", 20'000);
    const std::vector<std::uint8_t> indexBefore = phone.volume.indexBytes();
    {
        FaultInjector fault({FaultOperation::Write, "/system/phone.bin", 0, EIO, {}});
        EXPECT_EQ(phone.restore({"VOA00007.WAV"}).failed, 0);
        EXPECT_GT(fault.fired(), 0);
    }
    EXPECT_FALSE(phone.saved);
    EXPECT_EQ(phone.volume.indexBytes(), indexBefore);  // not half written
    phone.expectVoice({"VOA00007.WAV"}, {65});

    // Started again, the program reads the old serial from the telephone: the taken name is skipped.
    phone.header = phone.onTelephone();
    EXPECT_EQ(phone.restore({"VOA00008.WAV"}).failed, 0);
    EXPECT_TRUE(phone.saved);
    phone.expectVoice({"VOA00007.WAV", "VOA00008.WAV"}, {65, 66});
    EXPECT_EQ(phone.onTelephone().nextSerial(), 67);
}

TEST(RestoreFaultTest, BinNamesWithOddCharactersAreRestored) {
    TempFolder folder;
    BinTelephone phone(folder.path());
    const Names names = {"VOA 0001.WAV", "VOA'\"001.WAV",
                         "VO\xc3\xa9"
                         "0001.WAV",
                         "VOK\n0001.WAV", "VO*?0001.WAV"};
    for (const auto& name : names) phone.binRecording(name, 5'000);
    ASSERT_EQ(phone.rows().rowCount(), static_cast<int>(names.size()));
    EXPECT_EQ(phone.restore(names).failed, 0);
    EXPECT_EQ(phone.messages, Names{kDone});
    phone.expectBin({});
    const FolderSnapshot voice = snapshotOf(phone.volume.voice());
    ASSERT_EQ(voice.size(), names.size());
    for (const auto& [name, bytes] : voice) {
        EXPECT_EQ(name.size(), 12u);
        EXPECT_TRUE(std::any_of(phone.originals.begin(), phone.originals.end(), [&](const auto& original) {
            return original.second == bytes;
        })) << name;
    }
}
