#include <gtest/gtest.h>

#include <sndfile.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "common/fs/FolderListing.h"
#include "phone/CatalogueScan.h"
#include "phone/DemoVolume.h"
#include "phone/PhoneStore.h"
#include "phone/RecordingFolder.h"
#include "platform/SndfileWavEncoder.h"
#include "recording/RecordingKind.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TempFolder.h"

using namespace tapelink;
using namespace tapelink::test;

TEST(DemoVolumePlan, CoversEveryKindBothSidesAndALegacyName) {
    const auto plan = planDemoVolume({30, 5, 300});
    std::set<char> letters;
    std::set<int> directions;
    std::set<int> years;
    int legacy = 0;
    int recycled = 0;
    for (const auto& recording : plan) {
        if (recording.folder == "RECYCLE/") ++recycled;
        if (isLegacyRecordingName(recording.fileName)) ++legacy;
        letters.insert(recording.fileName[2]);
        directions.insert(recording.info.direction);
        years.insert(recording.info.year);
        EXPECT_GE(recording.seconds, 1);
        EXPECT_LE(recording.seconds, 300);
    }
    EXPECT_EQ(legacy, 1);
    EXPECT_EQ(recycled, 3);
    EXPECT_TRUE(letters.count('A') && letters.count('B') && letters.count('C') && letters.count('I') &&
                letters.count('J') && letters.count('K'));
    EXPECT_EQ(directions, (std::set<int>{'B', 'Z'}));
    EXPECT_GT(years.size(), 2u);
    EXPECT_EQ(planDemoVolume({30, 5, 300}), plan);
    EXPECT_NE(planDemoVolume({30, 6, 300}), plan);
}

TEST(DemoVolume, WritesAPlayableVolumeWithConsistentCounters) {
    TempFolder folder;
    SndfileWavEncoder encoder;
    std::string error;
    ASSERT_TRUE(writeDemoVolume(folder.path(), {8, 3, 20}, encoder, error)) << error;

    PhoneIndexHeader header;
    ASSERT_EQ(PhoneStore(folder.path()).readHeader(header), IndexReadResult::Ok);
    EXPECT_EQ(header.recordingCount(), 8);
    EXPECT_EQ(header.nextSerial(), 12);
    EXPECT_EQ(RecordingFolder(folder.path() + "voice/").listWavFiles().size(), 8u);
    EXPECT_EQ(RecordingFolder(folder.path() + "RECYCLE/").listWavFiles().size(), 3u);

    for (const auto& file : RecordingFolder(folder.path() + "voice/").listWavFiles()) {
        const std::string path = folder.path() + "voice/" + file.name;
        SF_INFO info{};
        SNDFILE* sound = sf_open(path.c_str(), SFM_READ, &info);
        ASSERT_NE(sound, nullptr) << path << ": " << sf_strerror(nullptr);
        EXPECT_EQ(info.samplerate, 8000);
        EXPECT_EQ(info.channels, 1);
        EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_IMA_ADPCM);
        std::vector<short> samples(static_cast<std::size_t>(info.frames));
        EXPECT_EQ(sf_read_short(sound, samples.data(), info.frames), info.frames);
        sf_close(sound);
        EXPECT_TRUE(std::any_of(samples.begin(), samples.end(), [](short s) { return std::abs(s) > 1000; }));
        // The duration rule of the list must fit the real length to within a second.
        const double seconds = static_cast<double>(info.frames) / 8000.0;
        EXPECT_NEAR((file.size - 512) / 4000.0, seconds, 1.0) << path;
        EXPECT_TRUE(readRecordingInfo(path).has_value());
    }

    ScanResult result;
    class NullView : public ICatalogueView {
        void setStatusText(const std::string&) override {}
        void clearRows() override {}
        void addRecordingRow(const RecordingEntry&, int) override {}
    } view;
    RecordingMessages messages;
    result = ScanCatalogue(folder.path(), header, view, messages);
    EXPECT_EQ(result.recordingCount, 8);
    EXPECT_TRUE(messages.texts.empty());
}

TEST(SndfileWavEncoder, PutsTheBlockAt256AndTheAudioAt512) {
    TempFolder folder;
    SndfileWavEncoder encoder;
    RecordingInfo info;
    info.direction = 'Z';
    info.phoneNumber = "13912345678";
    info.year = 24;
    info.month = 12;
    info.day = 1;
    ASSERT_TRUE(encoder.writeRecording(folder.path() + "VOA00001.WAV", info, synthesizeVoice(2, 1)));
    const auto read = readRecordingInfo(folder.path() + "VOA00001.WAV");
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, info);
    std::ifstream file(folder.path() + "VOA00001.WAV", std::ios::binary);
    file.seekg(504);
    char id[4];
    file.read(id, 4);
    EXPECT_EQ(std::string(id, 4), "data");
}
