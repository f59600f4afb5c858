#include <gtest/gtest.h>

#include <filesystem>

#include "phone/CatalogueScan.h"
#include "phone/PhoneListDelete.h"
#include "phone/RecycleBin.h"
#include "phone/RecycleBinRow.h"
#include "phone/RecycleMessages.h"
#include "phone/RowTable.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

class NameView : public ICatalogueView {
public:
    void setStatusText(const std::string&) override {}
    void clearRows() override { names.clear(); }
    void addRecordingRow(const RecordingEntry& entry, int) override { names.push_back(entry.fileName); }
    std::vector<std::string> names;
};

// Records, with each message, the counters the index file held when the message was shown.
class IndexAtMessage : public IMessageSink {
public:
    explicit IndexAtMessage(std::string root) : m_root(std::move(root)) {}
    void showMessage(const std::string& text, MessageIcon icon) override {
        texts.push_back(text);
        icons.push_back(icon);
        countAtMessage.push_back(VolumeBuilder::headerOnDisk(m_root).recordingCount());
    }
    std::vector<std::string> texts;
    std::vector<MessageIcon> icons;
    std::vector<int> countAtMessage;

private:
    std::string m_root;
};

}  // namespace

class PhoneListDeleteTest : public ::testing::Test {
protected:
    void SetUp() override {
        volume.writeIndex(VolumeBuilder::header(0, 40));
        for (const char* name : {"VOA00010.WAV", "VOB00011.WAV", "VOK00012.WAV"}) {
            VolumeBuilder::writeRecording(volume.voice() + name, 'Z', "123");
        }
        // As the main window holds it after finding the telephone.
        ScanCatalogue(folder.path(), header, view, messages);
    }

    TempFolder folder;
    VolumeBuilder volume{folder.path()};
    PhoneIndexHeader header;
    NameView view;
    RecordingMessages messages;
};

TEST_F(PhoneListDeleteTest, DeletingSomeRowsCountsDownAndKeepsTheSerial) {
    std::vector<std::size_t> reported;
    const auto result = PermanentDelete(folder.path(), {view.names[0], view.names[2]}, header, messages,
                                        [&](std::size_t i) { reported.push_back(i); });

    EXPECT_EQ(result, (PhoneDeleteResult{2, false, true}));
    EXPECT_EQ(reported, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(fs::exists(volume.voice() + view.names[1]), true);
    EXPECT_EQ(std::distance(fs::directory_iterator(volume.voice()), fs::directory_iterator()), 1);
    EXPECT_EQ(volume.writtenHeader(), VolumeBuilder::header(1, 40));
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(PhoneListDeleteTest, DeletingEveryRowRestartsTheSerialsAtOne) {
    EXPECT_EQ(PermanentDelete(folder.path(), view.names, header, messages).deleted, 3);
    EXPECT_EQ(volume.writtenHeader(), VolumeBuilder::header(0, 1));

    // The next call recording brought back from the bin takes serial 1.
    VolumeBuilder::writeRecording(volume.recycle() + "VOA00322.WAV", VolumeBuilder::info('Z', "8", 11, 1, 1, 1, 1));
    RecycleBin bin(folder.path(), header, messages);
    const auto entries = bin.RefreshList();
    ASSERT_EQ(entries.size(), 1u);
    RestoredFile restored;
    const RowTable table({recycleBinRow(entries[0], 0)});
    EXPECT_EQ(bin.RestoreOne(table, 0, &restored), RestoreOutcome::Restored);
    EXPECT_EQ(restored.voiceName, "VOA00001.WAV");
    EXPECT_TRUE(fs::exists(volume.voice() + "VOA00001.WAV"));
    EXPECT_EQ(header.nextSerial(), 2);
    EXPECT_EQ(header.recordingCount(), 1);
}

TEST_F(PhoneListDeleteTest, FailureMidwayWritesTheHeaderForTheDeletedFilesThenTells) {
    IndexAtMessage sink(folder.path());
    const auto result = PermanentDelete(folder.path(), {view.names[0], "VOA09999.WAV", view.names[2]}, header, sink);

    EXPECT_EQ(result, (PhoneDeleteResult{1, true, true}));
    EXPECT_EQ(sink.texts, std::vector<std::string>{"没有找到 VOA09999.WAV。"});
    EXPECT_EQ(sink.icons, std::vector<MessageIcon>{MessageIcon::Stop});
    // The header was on the telephone before the message appeared.
    EXPECT_EQ(sink.countAtMessage, std::vector<int>{2});
    EXPECT_FALSE(fs::exists(volume.voice() + view.names[0]));
    EXPECT_TRUE(fs::exists(volume.voice() + view.names[2]));
    EXPECT_EQ(volume.writtenHeader(), VolumeBuilder::header(2, 40));
}

TEST_F(PhoneListDeleteTest, NoSelectionOrNoTelephoneDeletesNothing) {
    const auto index = volume.indexBytes();
    EXPECT_EQ(PermanentDelete(folder.path(), {}, header, messages), PhoneDeleteResult{});
    EXPECT_EQ(messages.texts, std::vector<std::string>{kNoPhoneRowSelected});
    EXPECT_EQ(PermanentDelete("", {view.names[0]}, header, messages), PhoneDeleteResult{});
    EXPECT_TRUE(fs::exists(volume.voice() + view.names[0]));
    EXPECT_EQ(volume.indexBytes(), index);
}
