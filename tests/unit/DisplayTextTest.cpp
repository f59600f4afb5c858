#include <gtest/gtest.h>

#include "phone/PhoneListRow.h"
#include "recording/DisplayText.h"
#include "recording/RecordingInfo.h"

using namespace tapelink;

TEST(DurationText, RemainderOfTwentyBytesCountsAsASecond) {
    EXPECT_EQ(durationText(512), "1秒");
    EXPECT_EQ(durationText(4531), "1秒");
    EXPECT_EQ(durationText(4532), "2秒");
    EXPECT_EQ(durationText(100), "1秒");  // negative audio length still shows one second
}

TEST(DurationText, HoursMinutesAndSecondsAreJoinedWithoutSeparators) {
    EXPECT_EQ(durationText(512 + 59 * 4000), "59秒");
    EXPECT_EQ(durationText(512 + 60 * 4000), "1分0秒");
    EXPECT_EQ(durationText(512 + 3600 * 4000), "1小时0秒");
    EXPECT_EQ(durationText(512 + 3661 * 4000), "1小时1分1秒");
}

TEST(DurationAndSizeText, FilesOfTwoGigabytesAndMoreKeepTheirRealLength) {
    // Past 2 GiB a 32-bit size turns negative, past 4 GiB it wraps: neither may show.
    EXPECT_EQ(durationText(3000000512LL), "208小时20分0秒");
    EXPECT_EQ(sizeText(3000000512LL), "2929688K");
    EXPECT_EQ(durationText((6LL << 30) + 700), "447小时23分33秒");
    EXPECT_EQ(sizeText((6LL << 30) + 700), "6291457K");
}

TEST(SizeText, RoundsHalfAKilobyteUpAndNeverShowsZero) {
    EXPECT_EQ(sizeText(512), "1K");
    EXPECT_EQ(sizeText(0), "1K");
    EXPECT_EQ(sizeText(1535), "1K");
    EXPECT_EQ(sizeText(1536), "2K");
    EXPECT_EQ(sizeText(4532), "4K");
}

TEST(StartTime, KeyAndDisplayUseTwoDigitYearAndTheTwentiethCentury) {
    RecordingInfo info;
    info.year = 111;
    info.month = 5;
    info.day = 18;
    info.hour = 9;
    info.minute = 7;
    EXPECT_EQ(info.startKey(), "1105180907");
    EXPECT_EQ(startTimeText(info.startKey()), "2011-05-18 09:07");
}

TEST(StartTime, OutOfRangeFieldsStillGiveATenDigitKey) {
    RecordingInfo info;
    info.year = 255;
    info.month = 200;
    info.day = 131;
    info.hour = 124;
    info.minute = 99;
    EXPECT_EQ(info.startKey(), "5500312499");
    EXPECT_EQ(startTimeText(info.startKey()), "2055-00-31 24:99");
}

TEST(RecordingInfoBlock, NumberWithoutTerminatorShowsSixteenCharacters) {
    std::array<std::uint8_t, RecordingInfo::kSize> block{};
    block[0] = 'Z';
    for (int i = 1; i <= 17; ++i) block[i] = static_cast<std::uint8_t>('0' + i % 10);
    const RecordingInfo info = RecordingInfo::fromBlock(block);
    EXPECT_EQ(info.phoneNumber, "1234567890123456");
    EXPECT_EQ(info.toBlock()[17], 0);
}

TEST(GbkText, DecodesChineseAndKeepsAscii) {
    EXPECT_EQ(gbkToUtf8("13800138000"), "13800138000");
    EXPECT_EQ(gbkToUtf8("\xD6\xD0\xCE\xC4"), "中文");
    EXPECT_EQ(gbkToUtf8("1\xFF"), "1\xEF\xBF\xBD");
}

namespace {
RecordingEntry entry(const std::string& name, char direction, const std::string& number) {
    RecordingEntry e;
    e.fileName = name;
    e.direction = direction;
    e.phoneNumber = number;
    e.startKey = "1105180907";
    e.size = 4532;
    e.folder = "/p/voice/";
    return e;
}
}  // namespace

TEST(PhoneListRow, KindNumberAndSideFollowTheKindLetter) {
    EXPECT_EQ(phoneListRow(entry("VOA00001.WAV", 'B', "138"), 0),
              (RecordingRow{"1", "VOA00001.WAV", "通话录音", "138", "被叫", "2011-05-18 09:07", "2秒", "4K"}));
    EXPECT_EQ(phoneListRow(entry("VOI00002.WAV", 'Z', "139"), 1)[2], "新通话录音");
    EXPECT_EQ(phoneListRow(entry("VOI00002.WAV", 'Z', "139"), 1)[4], "主叫");
    // A voice message is always on the called side.
    const auto message = phoneListRow(entry("VOK00003.WAV", 'Z', "0755"), 2);
    EXPECT_EQ(message[2], "新留言录音");
    EXPECT_EQ(message[3], "0755");
    EXPECT_EQ(message[4], "被叫");
    // Local recordings show neither number nor side, whatever the block holds.
    const auto local = phoneListRow(entry("VOJ00004.WAV", 'B', "12345"), 3);
    EXPECT_EQ(local[2], "新本地录音");
    EXPECT_EQ(local[3], "");
    EXPECT_EQ(local[4], "");
    EXPECT_EQ(phoneListRow(entry("VOB00005.WAV", 'Z', "1"), 4)[2], "本地录音");
    EXPECT_EQ(phoneListRow(entry("VOC00006.WAV", 'B', "1"), 5)[2], "留言录音");
}

TEST(PhoneListRow, UnknownKindLetterLeavesTheKindColumnsEmpty) {
    const auto row = phoneListRow(entry("VOX00001.WAV", 'B', "138"), 0);
    EXPECT_EQ(row[2], "");
    EXPECT_EQ(row[3], "");
    EXPECT_EQ(row[4], "");
    EXPECT_EQ(row[5], "2011-05-18 09:07");
}
