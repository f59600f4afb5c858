#include <gtest/gtest.h>

#include "recording/RecordingKind.h"

using namespace tapelink;

TEST(RecordingNames, OnlyTwelveCharacterUpperCaseNamesWithAKnownLetterAreRecordings) {
    for (const char* name : {"VOA00001.WAV", "VOB00001.WAV", "VOC00001.WAV", "VOI00001.WAV", "VOJ00001.WAV",
                             "VOK00001.WAV", "VOA00001.wav"}) {
        EXPECT_TRUE(isRecordingFileName(name)) << name;
    }
    for (const char* name :
         {"VOD00001.WAV", "VOC0001.WAV", "voc00001.wav", "VOC000001.WAV", "REC00003.WAV", "", "XOA00001.WAV"}) {
        EXPECT_FALSE(isRecordingFileName(name)) << name;
    }
}

TEST(RecordingNames, WaveExtensionInAnyCaseAndOnlyAtTheEnd) {
    for (const char* name : {"VOA00001.WAV", "x.wav", "memo.Wav", ".wav"}) EXPECT_TRUE(hasWaveExtension(name)) << name;
    for (const char* name : {"VOA00001.WAV.2", "VOA00001.opus", "wav", "VOA00001WAV", ""}) {
        EXPECT_FALSE(hasWaveExtension(name)) << name;
    }
}

TEST(RecordingNames, LegacyNamesMoveToTheVoPrefix) {
    EXPECT_TRUE(isLegacyRecordingName("REC00003.WAV"));
    EXPECT_FALSE(isLegacyRecordingName("REC0003.WAV"));
    EXPECT_FALSE(isLegacyRecordingName("rec00003.wav"));
    EXPECT_EQ(modernNameOf("REC00003.WAV"), "VOC00003.WAV");
}

TEST(RecordingKinds, NewLettersAreThePlainLetterPlusEight) {
    for (char plain : {'A', 'B', 'C'}) {
        const auto oldKind = kindFromLetter(plain);
        const auto newKind = kindFromLetter(static_cast<char>(plain + 8));
        ASSERT_TRUE(oldKind && newKind);
        EXPECT_EQ(oldKind->kind, newKind->kind);
        EXPECT_FALSE(oldKind->isNew);
        EXPECT_TRUE(newKind->isNew);
    }
    EXPECT_FALSE(kindFromLetter('D'));
    EXPECT_EQ(kindText({RecordingKind::Call, true}), "新通话录音");
    EXPECT_EQ(plainKindText(RecordingKind::Message), "留言录音");
}
