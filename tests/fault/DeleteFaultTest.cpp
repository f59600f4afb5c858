// Permanent deletes (from the phone list and from the bin) under faults: a full disk, a header that
// can't be written, the folder vanishing midway, a file replaced by a folder, odd names. Only the
// recordings asked for go, the counters on the telephone follow the files, and the next delete works.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "phone/PhoneListDelete.h"
#include "phone/PhoneStore.h"
#include "phone/RecycleBin.h"
#include "tests/fault/FaultInjector.h"
#include "tests/fault/FolderSnapshot.h"
#include "tests/fault/SmallDisk.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

// A telephone with recordings in voice/ and in the bin, and the header as the last scan left it.
struct Telephone {
    explicit Telephone(const std::string& root, const Names& names) : volume(root) {
        header = VolumeBuilder::header(static_cast<std::uint16_t>(names.size()), 40);
        header = volume.writeIndex(header);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const auto bytes = patternBytes(3'000 + i, static_cast<std::uint8_t>(i));
            VolumeBuilder::writeBytes(volume.voice() + names[i], bytes);
            VolumeBuilder::writeBytes(volume.recycle() + names[i], bytes);
        }
        voice = snapshotOf(volume.voice());
    }
    // voice/ (or the bin) holds exactly the recordings that were there minus the deleted ones, unchanged.
    void expectLeft(const std::string& folder, const Names& deleted) const {
        FolderSnapshot expected = voice;
        for (const auto& name : deleted) expected.erase(name);
        const FolderSnapshot actual = snapshotOf(folder);
        EXPECT_EQ(namesOf(actual), namesOf(expected));
        EXPECT_TRUE(actual == expected);
    }
    PhoneIndexHeader onTelephone() const {
        PhoneIndexHeader read;
        PhoneStore(volume.root()).readHeader(read);
        return read;
    }

    VolumeBuilder volume;
    PhoneIndexHeader header;
    FolderSnapshot voice;
    RecordingMessages messages;
};

const Names kFour = {"VOA00001.WAV", "VOB00002.WAV", "VOC00003.WAV", "VOI00004.WAV"};

}  // namespace

TEST(DeleteFaultTest, DeletingOnAFullTelephoneWorksAndWritesTheCounters) {
    SmallDisk disk(512 << 10);
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    Telephone phone(disk.path() + "phone/", kFour);
    disk.fillLeaving(0);
    const auto result =
        PermanentDelete(phone.volume.root(), {"VOA00001.WAV", "VOC00003.WAV"}, phone.header, phone.messages);
    EXPECT_EQ(result, (PhoneDeleteResult{2, false, true}));
    EXPECT_EQ(phone.messages.texts, Names{});
    phone.expectLeft(phone.volume.voice(), {"VOA00001.WAV", "VOC00003.WAV"});
    EXPECT_EQ(phone.onTelephone(), VolumeBuilder::header(2, 40));
}

TEST(DeleteFaultTest, AHeaderThatCannotBeWrittenIsLeftWholeAndTheNextDeleteWritesIt) {
    for (const FaultRule& rule : {FaultRule{FaultOperation::Write, "/system/phone.bin", 0, EIO, {}},
                                  FaultRule{FaultOperation::Sync, "/system/phone.bin", 0, EIO, {}}}) {
        TempFolder folder;
        Telephone phone(folder.path(), kFour);
        const auto indexBefore = phone.volume.indexBytes();
        PhoneDeleteResult result;
        {
            FaultInjector fault(rule);
            result = PermanentDelete(phone.volume.root(), {"VOB00002.WAV"}, phone.header, phone.messages);
            EXPECT_GT(fault.fired(), 0);
        }
        EXPECT_EQ(result, (PhoneDeleteResult{1, false, false}));
        phone.expectLeft(phone.volume.voice(), {"VOB00002.WAV"});
        const auto indexAfter = phone.volume.indexBytes();
        // Either untouched or the whole new header: never a mix of the two.
        EXPECT_TRUE(indexAfter == indexBefore ||
                    std::equal(phone.header.bytes.begin(), phone.header.bytes.end(), indexAfter.begin()));

        EXPECT_EQ(PermanentDelete(phone.volume.root(), {"VOC00003.WAV"}, phone.header, phone.messages),
                  (PhoneDeleteResult{1, false, true}));
        EXPECT_EQ(phone.onTelephone(), VolumeBuilder::header(2, 40));
        EXPECT_EQ(phone.messages.texts, Names{});
    }
}

TEST(DeleteFaultTest, TheVoiceFolderVanishingMidwayEndsTheDeleteWithTheFileErrorText) {
    TempFolder folder;
    Telephone phone(folder.path(), kFour);
    const std::string away = folder.path() + "voice-away/";
    const auto result =
        PermanentDelete(phone.volume.root(), {"VOA00001.WAV", "VOB00002.WAV", "VOC00003.WAV"}, phone.header,
                        phone.messages, [&](std::size_t) { fs::rename(phone.volume.voice(), away); });
    EXPECT_EQ(result, (PhoneDeleteResult{1, true, true}));
    EXPECT_EQ(phone.messages.texts, Names{"没有找到 VOB00002.WAV。"});
    EXPECT_EQ(phone.messages.icons, std::vector<MessageIcon>{MessageIcon::Stop});
    phone.expectLeft(away, {"VOA00001.WAV"});
    EXPECT_EQ(phone.onTelephone(), VolumeBuilder::header(3, 40));

    fs::rename(away, phone.volume.voice());
    EXPECT_EQ(
        PermanentDelete(phone.volume.root(), {"VOB00002.WAV", "VOC00003.WAV"}, phone.header, phone.messages).deleted,
        2);
    phone.expectLeft(phone.volume.voice(), {"VOA00001.WAV", "VOB00002.WAV", "VOC00003.WAV"});
    EXPECT_EQ(phone.onTelephone(), VolumeBuilder::header(1, 40));
}

TEST(DeleteFaultTest, AFolderWhereARecordingWasIsNeverDeleted) {
    TempFolder folder;
    Telephone phone(folder.path(), kFour);
    fs::remove(phone.volume.voice() + "VOB00002.WAV");
    fs::create_directories(phone.volume.voice() + "VOB00002.WAV/inside");
    phone.voice = snapshotOf(phone.volume.voice());

    const auto result = PermanentDelete(phone.volume.root(), {"VOA00001.WAV", "VOB00002.WAV", "VOC00003.WAV"},
                                        phone.header, phone.messages);
    EXPECT_EQ(result, (PhoneDeleteResult{1, true, true}));
    // Not a regular file: not a recording, so not there.
    EXPECT_EQ(phone.messages.texts, Names{"没有找到 VOB00002.WAV。"});
    EXPECT_TRUE(fs::is_directory(phone.volume.voice() + "VOB00002.WAV/inside"));
    phone.expectLeft(phone.volume.voice(), {"VOA00001.WAV"});
    EXPECT_EQ(phone.onTelephone(), VolumeBuilder::header(3, 40));

    // The same in the bin.
    fs::remove(phone.volume.recycle() + "VOC00003.WAV");
    fs::create_directory(phone.volume.recycle() + "VOC00003.WAV");
    RecycleBin bin(phone.volume.root(), phone.header, phone.messages);
    EXPECT_EQ(bin.PermanentDelete({"VOB00002.WAV", "VOC00003.WAV", "VOI00004.WAV"}), 1);
    EXPECT_EQ(phone.messages.texts.back(), "没有找到 VOC00003.WAV。");
    EXPECT_TRUE(fs::is_directory(phone.volume.recycle() + "VOC00003.WAV"));
    EXPECT_TRUE(fs::exists(phone.volume.recycle() + "VOI00004.WAV"));
    EXPECT_EQ(bin.PermanentDelete({"VOI00004.WAV"}), 1);
}

TEST(DeleteFaultTest, TheBinVanishingMidwayEndsItsDeleteAndKeepsTheRest) {
    TempFolder folder;
    Telephone phone(folder.path(), kFour);
    const std::string away = folder.path() + "bin-away/";
    RecycleBin bin(phone.volume.root(), phone.header, phone.messages);
    const auto indexBefore = phone.volume.indexBytes();
    EXPECT_EQ(bin.PermanentDelete({"VOA00001.WAV", "VOB00002.WAV"},
                                  [&](std::size_t) { fs::rename(phone.volume.recycle(), away); }),
              1);
    EXPECT_EQ(phone.messages.texts, Names{"没有找到 VOB00002.WAV。"});
    phone.expectLeft(away, {"VOA00001.WAV"});
    EXPECT_EQ(phone.volume.indexBytes(), indexBefore);
    fs::rename(away, phone.volume.recycle());
    EXPECT_EQ(bin.PermanentDelete({"VOB00002.WAV"}), 1);
}

TEST(DeleteFaultTest, NamesWithOddCharactersDeleteExactlyThoseFiles) {
    TempFolder folder;
    const Names names = {"VOA 0001.WAV",
                         "VOA*0002.WAV",
                         "VO\xc3\xa9"
                         "0003.WAV",
                         "VOA\n0004.WAV",
                         "VOA00004.WAV",
                         "-VOA0005.WAV"};
    Telephone phone(folder.path(), names);
    const Names doomed = {"VOA 0001.WAV", "VOA*0002.WAV",
                          "VO\xc3\xa9"
                          "0003.WAV",
                          "VOA\n0004.WAV", "-VOA0005.WAV"};
    EXPECT_EQ(PermanentDelete(phone.volume.root(), doomed, phone.header, phone.messages).deleted, 5);
    phone.expectLeft(phone.volume.voice(), doomed);
    EXPECT_EQ(phone.onTelephone().recordingCount(), 1);
    RecycleBin bin(phone.volume.root(), phone.header, phone.messages);
    EXPECT_EQ(bin.PermanentDelete(doomed), 5);
    phone.expectLeft(phone.volume.recycle(), doomed);
    EXPECT_EQ(phone.messages.texts, Names{});
}
