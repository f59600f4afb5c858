#include <gtest/gtest.h>

#include <filesystem>

#include "phone/CatalogueScan.h"
#include "phone/DeviceStatus.h"
#include "phone/PhoneListRow.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

class ListView : public ICatalogueView {
public:
    void setStatusText(const std::string& text) override { statuses.push_back(text); }
    void clearRows() override {
        rows.clear();
        ++clears;
    }
    void addRecordingRow(const RecordingEntry& entry, int position) override {
        EXPECT_EQ(position, static_cast<int>(rows.size()));
        rows.push_back(phoneListRow(entry, position));
        entries.push_back(entry);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& row : rows) result.push_back(row[1]);
        return result;
    }

    std::vector<std::string> statuses;
    std::vector<RecordingRow> rows;
    std::vector<RecordingEntry> entries;
    int clears = 0;
};

}  // namespace

class CatalogueScanTest : public ::testing::Test {
protected:
    void SetUp() override { volume.writeIndex(VolumeBuilder::header(99, 12)); }
    ScanResult scan() { return ScanCatalogue(folder.path(), header, view, messages); }
    void recording(const std::string& name, char direction = 'B', const std::string& number = "13800138000") {
        VolumeBuilder::writeRecording(volume.voice() + name, direction, number);
    }

    TempFolder folder;
    VolumeBuilder volume{folder.path()};
    PhoneIndexHeader header;
    ListView view;
    RecordingMessages messages;
};

TEST_F(CatalogueScanTest, ListsValidRecordingsAndCountsThemInMemoryOnly) {
    recording("VOA00001.WAV");
    recording("VOB00002.WAV");
    recording("VOK00003.WAV", 'Z');
    const auto before = volume.indexBytes();

    EXPECT_EQ(scan(), (ScanResult{true, 3}));
    EXPECT_EQ(view.statuses, std::vector<std::string>{kStatusReading});
    EXPECT_EQ(view.clears, 1);
    ASSERT_EQ(view.rows.size(), 3u);
    EXPECT_EQ(header.recordingCount(), 3);
    EXPECT_EQ(header.nextSerial(), 12);
    // Nothing was set in the cleared fields, so the index is not written, and the count is not written.
    EXPECT_EQ(volume.indexBytes(), before);
    EXPECT_EQ(view.entries[0].folder, folder.path() + "voice/");
    EXPECT_EQ(view.entries[0].size, 4532u);
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(CatalogueScanTest, RowsFollowTheFolderListingOrder) {
    for (const char* name : {"VOA00005.WAV", "VOA00001.WAV", "VOC00003.WAV", "VOB00002.WAV"}) recording(name);
    std::vector<std::string> listing;
    for (const auto& entry : fs::directory_iterator(volume.voice())) listing.push_back(entry.path().filename());
    scan();
    EXPECT_EQ(view.names(), listing);
}

TEST_F(CatalogueScanTest, SetClearedFieldsAreZeroedOnTheTelephone) {
    auto dirty = VolumeBuilder::header(4, 8);
    dirty.bytes[38] = 7;
    dirty.bytes[47] = 1;
    volume.writeIndex(dirty, 200);
    const auto before = volume.indexBytes();

    scan();
    const auto after = volume.indexBytes();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        const bool cleared = i == 38 || (i >= 44 && i < 50);
        EXPECT_EQ(after[i], cleared ? 0 : before[i]) << "byte " << i;
    }
}

TEST_F(CatalogueScanTest, WrongMagicOrShortIndexListsNothingAndWritesNothing) {
    recording("VOA00001.WAV");
    auto foreign = VolumeBuilder::header();
    foreign.bytes[0] = 0x67;
    foreign.bytes[38] = 1;
    volume.writeIndex(foreign);
    const auto before = volume.indexBytes();
    EXPECT_EQ(scan(), (ScanResult{false, 0}));
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(volume.indexBytes(), before);

    volume.writeIndexBytes({0x66, 0x72, 1, 1, 1});
    EXPECT_EQ(scan(), (ScanResult{false, 0}));
    EXPECT_EQ(volume.indexBytes(), (std::vector<std::uint8_t>{0x66, 0x72, 1, 1, 1}));
}

TEST_F(CatalogueScanTest, MissingIndexListsNothing) {
    fs::remove(volume.indexPath());
    recording("VOA00001.WAV");
    EXPECT_EQ(scan(), (ScanResult{false, 0}));
    EXPECT_EQ(view.statuses, std::vector<std::string>{kStatusReading});
}

TEST_F(CatalogueScanTest, PassesOverNamesDamagedAndShortFiles) {
    recording("VOA00001.WAV");
    recording("VOD00002.WAV");
    recording("VOC0003.WAV");
    recording("voc00004.wav");
    recording("VOA00005.WAV", 0);    // invalid block: the row numbers close up
    recording("VOA00006.WAV", 'X');  // invalid direction
    VolumeBuilder::writeRecording(volume.voice() + "VOA00007.WAV", VolumeBuilder::info('B', "1", 11, 1, 1, 1, 1), 278);
    VolumeBuilder::writeBytes(volume.voice() + "notes.txt", {1, 2, 3});
    fs::create_directory(volume.voice() + "VOA00008.WAV");
    recording("VOB00009.WAV", 'Z');

    EXPECT_EQ(scan().recordingCount, 2);
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[0][0], "1");
    EXPECT_EQ(view.rows[1][0], "2");
    EXPECT_EQ(header.recordingCount(), 2);
}

TEST_F(CatalogueScanTest, AcceptsTheSmallestCompleteRecording) {
    VolumeBuilder::writeRecording(volume.voice() + "VOA00001.WAV", VolumeBuilder::info('B', "1", 11, 1, 1, 1, 1), 279);
    EXPECT_EQ(scan().recordingCount, 1);
    EXPECT_EQ(view.rows[0][6], "1秒");
}

TEST_F(CatalogueScanTest, LegacyNamesAreMovedAndListedAsVoiceMessages) {
    recording("VOA00001.WAV");
    recording("REC00002.WAV", 'Z');
    VolumeBuilder::writeBytes(volume.voice() + "notes.txt", {1});

    EXPECT_EQ(scan().recordingCount, 2);
    EXPECT_FALSE(fs::exists(volume.voice() + "REC00002.WAV"));
    EXPECT_TRUE(fs::exists(volume.voice() + "VOC00002.WAV"));
    const auto names = view.names();
    ASSERT_NE(std::find(names.begin(), names.end(), "VOC00002.WAV"), names.end());
    for (const auto& row : view.rows) {
        if (row[1] == "VOC00002.WAV") {
            EXPECT_EQ(row[2], "留言录音");
            EXPECT_EQ(row[4], "被叫");
        }
    }
}

TEST_F(CatalogueScanTest, LegacyNameThatCannotMoveIsReportedAndTheScanGoesOn) {
    recording("REC00002.WAV", 'B', "111");
    recording("VOC00002.WAV", 'B', "222");  // the new name is taken
    recording("VOA00003.WAV");
    recording("VOA00004.WAV");

    EXPECT_EQ(scan(), (ScanResult{true, 3}));
    EXPECT_EQ(messages.texts,
              std::vector<std::string>{"无法将 REC00002.WAV 改名为 VOC00002.WAV，因为 VOC00002.WAV 已经存在。"});
    EXPECT_EQ(header.recordingCount(), 3);
    // Neither file was touched.
    EXPECT_TRUE(fs::exists(volume.voice() + "REC00002.WAV"));
    EXPECT_EQ(readRecordingInfo(volume.voice() + "VOC00002.WAV")->phoneNumber, "222");
}

TEST_F(CatalogueScanTest, LegacyNameInAReadOnlyFolderGivesTheAccessDeniedText) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may rename in a read-only folder";
    recording("REC00002.WAV");
    fs::permissions(volume.voice(), fs::perms::owner_read | fs::perms::owner_exec);
    scan();
    fs::permissions(volume.voice(), fs::perms::owner_all);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"对 REC00002.WAV 的存取被拒绝。"});
}

TEST_F(CatalogueScanTest, MissingVoiceFolderListsNothing) {
    fs::remove_all(volume.voice());
    EXPECT_EQ(scan(), (ScanResult{true, 0}));
    EXPECT_EQ(header.recordingCount(), 0);
}
