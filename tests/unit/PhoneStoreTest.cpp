#include <gtest/gtest.h>

#include <filesystem>

#include "phone/PhoneStore.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;

class PhoneStoreTest : public ::testing::Test {
protected:
    TempFolder folder;
    VolumeBuilder volume{folder.path()};
    PhoneStore store{folder.path()};
};

TEST_F(PhoneStoreTest, PathsHangOffTheDriveRoot) {
    const PhoneStore bare(folder.path().substr(0, folder.path().size() - 1));
    EXPECT_EQ(bare.driveRoot(), folder.path());
    EXPECT_EQ(bare.indexPath(), folder.path() + "system/phone.bin");
    EXPECT_EQ(bare.voiceFolder(), folder.path() + "voice/");
    EXPECT_EQ(bare.recycleFolder(), folder.path() + "RECYCLE/");
}

TEST_F(PhoneStoreTest, ReadsTheHeaderAndItsCounters) {
    volume.writeIndex(VolumeBuilder::header(7, 65));
    PhoneIndexHeader header;
    ASSERT_EQ(store.readHeader(header), IndexReadResult::Ok);
    EXPECT_EQ(header.magic(), 0x7266);
    EXPECT_EQ(header.recordingCount(), 7);
    EXPECT_EQ(header.nextSerial(), 65);
}

TEST_F(PhoneStoreTest, RejectsMissingShortAndForeignIndexes) {
    PhoneIndexHeader header;
    EXPECT_EQ(store.readHeader(header), IndexReadResult::CannotOpen);

    std::vector<std::uint8_t> shortIndex(100, 0);
    shortIndex[0] = 0x66;
    shortIndex[1] = 0x72;
    volume.writeIndexBytes(shortIndex);
    EXPECT_EQ(store.readHeader(header), IndexReadResult::TooShort);

    auto foreign = VolumeBuilder::header();
    foreign.bytes[1] = 0x73;
    volume.writeIndex(foreign);
    EXPECT_EQ(store.readHeader(header), IndexReadResult::BadMagic);
}

TEST_F(PhoneStoreTest, WritingTouchesOnlyTheFirst124BytesOfTheExistingFile) {
    auto header = volume.writeIndex(VolumeBuilder::header(3, 9), 500);
    const auto before = volume.indexBytes();
    header.setRecordingCount(2);
    header.setNextSerial(10);
    ASSERT_TRUE(store.writeHeader(header));

    const auto after = volume.indexBytes();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + 124, header.bytes.begin()));
    EXPECT_TRUE(std::equal(after.begin() + 124, after.end(), before.begin() + 124));
}

TEST_F(PhoneStoreTest, WritingNeverCreatesTheIndex) {
    EXPECT_FALSE(store.writeHeader(VolumeBuilder::header()));
    EXPECT_TRUE(VolumeBuilder::readBytes(volume.indexPath()).empty());
    EXPECT_FALSE(std::filesystem::exists(volume.indexPath()));
}

TEST(PhoneIndexHeaderFields, ZeroingClearsExactlyTheFourClearedFields) {
    auto header = VolumeBuilder::header(5, 6);
    EXPECT_FALSE(header.hasClearedFieldsSet());
    header.bytes[38] = 1;
    header.bytes[49] = 0x80;
    EXPECT_TRUE(header.hasClearedFieldsSet());
    auto expected = VolumeBuilder::header(5, 6);
    header.zeroClearedFields();
    EXPECT_EQ(header, expected);
}
