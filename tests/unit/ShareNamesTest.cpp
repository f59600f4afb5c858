#include <gtest/gtest.h>

#include "sharing/ShareFileName.h"
#include "sharing/ShareNameSet.h"

namespace tapelink {
namespace {

SearchResultRow callRow(const std::string& kind, const std::string& number, const std::string& side,
                        const std::string& name) {
    SearchResultRow row;
    row[1] = "VO000001.WAV";
    row[2] = kind;
    row[3] = number;
    row[4] = side;
    row[5] = "2026-03-01 09:30";
    row.name = name;
    return row;
}

// Every byte sequence is whole UTF-8: no name is cut inside a character.
bool wholeUtf8(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (at + length > text.size()) return false;
        for (std::size_t i = 1; i < length; ++i) {
            if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return false;
        }
        at += length;
    }
    return true;
}

TEST(ShareNamesTest, ReadableNameHasDateTimeContactAndSide) {
    EXPECT_EQ(readableShareName(callRow("通话录音", "13800138000", "主叫", "张三"), ShareFormat::Mp3),
              "2026-03-01_0930_张三_主叫.mp3");
    EXPECT_EQ(readableShareName(callRow("通话录音", "13800138000", "被叫", ""), ShareFormat::Wav),
              "2026-03-01_0930_13800138000_被叫.wav");
    EXPECT_EQ(readableShareName(callRow("留言录音", "021-5555", "被叫", ""), ShareFormat::Mp3),
              "2026-03-01_0930_021-5555_留言.mp3");
    EXPECT_EQ(readableShareName(callRow("本地录音", "", "", ""), ShareFormat::Mp3), "2026-03-01_0930_本地.mp3");
}

TEST(ShareNamesTest, HostileCharactersAreReplaced) {
    EXPECT_EQ(safeFileName("a/b\\c:d*e?f\"g<h>i|j\x01k\x7f"), "a_b_c_d_e_f_g_h_i_j_k_");
    EXPECT_EQ(safeFileName("  名字. . "), "名字");
    EXPECT_EQ(safeFileName("..."), "_");
    EXPECT_EQ(safeFileName(""), "_");
    EXPECT_EQ(safeFileName("nul"), "_nul");
    EXPECT_EQ(safeFileName("COM3.mp3"), "_COM3.mp3");
    EXPECT_EQ(safeFileName("COM0"), "COM0");
    // Broken UTF-8 (a GBK byte pair, a cut sequence) never reaches a zip's UTF-8 name.
    EXPECT_EQ(safeFileName("\xD5\xC5x\xE5\xBC"), "__x__");
    // A contact's name with a slash cannot make a folder inside the share.
    EXPECT_EQ(readableShareName(callRow("通话录音", "1", "主叫", "../张/三"), ShareFormat::Mp3),
              "2026-03-01_0930_.._张_三_主叫.mp3");
}

TEST(ShareNamesTest, LongNamesAreCutAtCharacterBoundaries) {
    std::string name;
    for (int i = 0; i < 100; ++i) name += "张";
    for (std::size_t limit : {kMaxShareNameBytes, std::size_t{10}, std::size_t{11}, std::size_t{12}}) {
        const std::string cut = safeFileName(name, limit);
        EXPECT_LE(cut.size(), limit);
        EXPECT_GE(cut.size() + 3, limit);
        EXPECT_TRUE(wholeUtf8(cut)) << cut;
    }
    const std::string shared = readableShareName(callRow("通话录音", "1", "主叫", name), ShareFormat::Mp3);
    EXPECT_LE(shared.size(), kMaxShareNameBytes);
    EXPECT_TRUE(shared.ends_with(".mp3"));
    EXPECT_TRUE(wholeUtf8(shared));
}

TEST(ShareNamesTest, CollisionsGetNumbersAndIgnoreCase) {
    ShareNameSet names;
    names.reserve("录音清单.xlsx");
    EXPECT_EQ(names.claim("a.mp3"), "a.mp3");
    EXPECT_EQ(names.claim("a.mp3"), "a_2.mp3");
    EXPECT_EQ(names.claim("A.MP3"), "A_3.MP3");
    EXPECT_EQ(names.claim("录音清单.xlsx"), "录音清单_2.xlsx");

    std::string longStem;
    for (int i = 0; i < 60; ++i) longStem += "李";
    const std::string first = names.claim(safeFileName(longStem, kMaxShareNameBytes - 4) + ".mp3");
    const std::string second = names.claim(first);
    EXPECT_NE(first, second);
    EXPECT_LE(second.size(), kMaxShareNameBytes);
    EXPECT_TRUE(second.ends_with("_2.mp3"));
    EXPECT_TRUE(wholeUtf8(second));
}

}  // namespace
}  // namespace tapelink
