#include "playback/SilenceMap.h"

#include <gtest/gtest.h>

#include "playback/WaveformPeaks.h"
#include "tests/support/SyntheticSpeech.h"

namespace tapelink {
namespace {

constexpr int kRate = test::SyntheticSpeech::kRate;

TEST(SilenceMapTest, LongSilencesAreShortenedToTheirKeptPartWithoutCuttingTalk) {
    // Quiet and loud line hiss: the floor is the recording's own, not digital zero.
    for (const double hiss : {3.0, 30.0, 400.0}) {
        SCOPED_TRACE(hiss);
        test::SyntheticSpeech speech(hiss);
        speech.silence(1.5).tone(1.2).silence(1.0).tone(0.4, 350).silence(0.5).tone(2.0, 650).silence(3.0).tone(0.8);
        speech.silence(0.65).tone(0.3).silence(2.2);
        const SilenceMap map = SilenceMap::find(speech.audio());

        double saved = 0;
        for (const SkippedSpan& span : map.skipped()) saved += static_cast<double>(span.end - span.begin) / kRate;
        const double expected = (1.5 - 0.3) + (1.0 - 0.3) + (3.0 - 0.3) + (2.2 - 0.3);
        EXPECT_NEAR(saved, expected, expected * 0.05);
        EXPECT_EQ(map.skipped().size(), 4u);
        for (const SkippedSpan& span : map.skipped()) {
            for (const auto& [first, end] : speech.tones()) {
                EXPECT_TRUE(span.end <= first || span.begin >= end)
                    << "skip " << span.begin << ".." << span.end << " cuts the tone " << first << ".." << end;
            }
        }
    }
}

TEST(SilenceMapTest, NothingIsSkippedWhereNothingStandsOutOfTheFloor) {
    EXPECT_TRUE(SilenceMap::find(test::SyntheticSpeech().tone(5.0).audio()).skipped().empty());
    EXPECT_TRUE(SilenceMap::find(test::SyntheticSpeech(500.0).silence(5.0).audio()).skipped().empty());
    EXPECT_TRUE(SilenceMap::find(test::SyntheticSpeech(0.0).silence(5.0).audio()).skipped().empty());
    EXPECT_TRUE(SilenceMap::find(PcmAudio{}).skipped().empty());
}

TEST(SilenceMapTest, FramesMapBothWaysAroundTheSkips) {
    const SilenceMap map({{100, 300}, {500, 600}}, 1000);
    EXPECT_EQ(map.condensedFrames(), 700);
    EXPECT_EQ(map.condensedFrame(50), 50);
    EXPECT_EQ(map.condensedFrame(150), 100) << "inside a skip plays where it ends";
    EXPECT_EQ(map.condensedFrame(300), 100);
    EXPECT_EQ(map.condensedFrame(550), 300);
    EXPECT_EQ(map.condensedFrame(1000), 700);
    for (const std::int64_t frame : {0, 99, 300, 499, 600, 999, 1000})
        EXPECT_EQ(map.recordingFrame(map.condensedFrame(frame)), frame);
    EXPECT_EQ(map.framesToNextSkip(0), 100);
    EXPECT_EQ(map.framesToNextSkip(300), 200);
    EXPECT_EQ(map.framesToNextSkip(600), 400);
}

TEST(WaveformPeaksTest, EachColumnHoldsTheExtremesOfItsSlice) {
    PcmAudio audio{8000, 2, {0, 0, 5, -7, 100, 3, -2, 1, 9, 9, 0, -30000}};
    const std::vector<WaveformColumn> peaks = waveformPeaks(audio, 3);
    EXPECT_EQ(peaks, (std::vector<WaveformColumn>{{-7, 5}, {-2, 100}, {-30000, 9}}));
    EXPECT_EQ(waveformPeaks(audio, 12).size(), 12u) << "more columns than frames repeat frames";
    EXPECT_TRUE(waveformPeaks(PcmAudio{}, 100).empty());
    std::stop_source stop;
    stop.request_stop();
    EXPECT_TRUE(waveformPeaks(audio, 3, stop.get_token()).empty());
}

}  // namespace
}  // namespace tapelink
