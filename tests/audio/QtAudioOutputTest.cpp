#include "platform/QtAudioOutput.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/SndfileDecoder.h"
#include "platform/SndfileWavEncoder.h"
#include "platform/SoundTouchStretcher.h"
#include "playback/PlaybackSession.h"
#include "tests/audio/SoundServer.h"
#include "tests/support/FakePlaybackView.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

namespace tapelink {
namespace {

// The null sink's clock is bursty, so every wait is generous and every position check has a tolerance.
constexpr int kWaitMs = 15000;

class QtAudioOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::soundServerAvailable()) GTEST_SKIP() << "no private sound server (PULSE_SERVER)";
    }

    // A telephone recording (IMA ADPCM behind the 512-byte header area) of the given length.
    std::string writeRecording(const std::string& name, int ms) {
        std::vector<std::int16_t> samples(static_cast<std::size_t>(ms) * 8);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<std::int16_t>(6000 * std::sin(0.05 * static_cast<double>(i)));
        const std::string path = folder.path() + name;
        SndfileWavEncoder encoder;
        encoder.writeRecording(path, test::VolumeBuilder::info('B', "02000000000", 12, 1, 2, 3, 4), samples);
        return path;
    }

    bool waitFor(const std::function<bool()>& done) {
        return test::runEventsUntil(done, kWaitMs, [this] { session.OnTimer(); });
    }

    test::TempFolder folder;
    SndfileDecoder decoder;
    QtAudioOutput output;
    test::FakePlaybackView view;
    test::RecordingMessages messages;
    SoundTouchStretcher stretcher;
    PlaybackSession session{decoder, output, view, messages, &stretcher};
};

TEST_F(QtAudioOutputTest, RecordingPlaysAsAStreamOnTheServerAndItsPositionAdvances) {
    session.Open(writeRecording("VOA00001.WAV", 3030));
    ASSERT_TRUE(messages.texts.empty()) << messages.texts.front();
    EXPECT_EQ(session.lengthMs(), 3030);
    EXPECT_EQ(output.state(), AudioOutputState::Playing);
    EXPECT_NE(test::pactl("list short sink-inputs"), "");

    ASSERT_TRUE(waitFor([this] { return session.positionMs() >= 500; }));
    EXPECT_TRUE(session.isLoaded());
    EXPECT_LT(session.positionMs(), 3030);
}

TEST_F(QtAudioOutputTest, PauseHoldsThePositionAndResumeGoesOn) {
    session.Open(writeRecording("VOA00002.WAV", 4040));
    ASSERT_TRUE(waitFor([this] { return session.positionMs() >= 300; }));
    session.setPaused(true);
    session.Pause();
    EXPECT_EQ(output.state(), AudioOutputState::Paused);
    const std::int32_t held = session.positionMs();
    test::runEventsUntil([] { return false; }, 900, [this] { session.OnTimer(); });
    EXPECT_TRUE(session.isLoaded());
    EXPECT_LE(session.positionMs() - held, 50) << "a paused recording must not move on";

    session.setPaused(false);
    session.Resume();
    EXPECT_EQ(view.pauseCaption, "暂停");
    ASSERT_TRUE(waitFor([&] { return session.positionMs() >= held + 300; }));
}

TEST_F(QtAudioOutputTest, LettingGoOfTheSliderSeeksExactly) {
    session.Open(writeRecording("VOA00003.WAV", 4040));
    ASSERT_TRUE(waitFor([this] { return session.positionMs() > 0; }));
    session.OnPositionScroll(SliderScroll::Moving);
    view.slider = 50;
    session.OnPositionScroll(SliderScroll::EndTrack);
    EXPECT_EQ(session.positionMs(), 2020);
    EXPECT_EQ(output.state(), AudioOutputState::Playing);
    ASSERT_TRUE(waitFor([this] { return session.positionMs() >= 2300; }));
    EXPECT_GE(view.slider, 50);
}

TEST_F(QtAudioOutputTest, StopReleasesTheStream) {
    session.Open(writeRecording("VOA00004.WAV", 4040));
    ASSERT_TRUE(waitFor([this] { return session.positionMs() > 0; }));
    session.Stop();
    EXPECT_FALSE(session.isLoaded());
    EXPECT_EQ(output.state(), AudioOutputState::Stopped);
    EXPECT_EQ(view.slider, 0);
    EXPECT_FALSE(view.timerRunning);
    ASSERT_TRUE(test::runEventsUntil([] { return test::pactl("list short sink-inputs").empty(); }, kWaitMs));
}

TEST_F(QtAudioOutputTest, PlayingToTheEndReturnsToIdle) {
    session.Open(writeRecording("VOA00005.WAV", 1010));
    std::int32_t last = 0;
    ASSERT_TRUE(test::runEventsUntil([this] { return !session.isLoaded(); }, kWaitMs,
                                     [&] {
                                         last = std::max(last, session.positionMs());
                                         session.OnTimer();
                                     }));
    EXPECT_GT(last, 0);
    EXPECT_EQ(view.slider, 0);
    EXPECT_EQ(view.pauseCaption, "暂停");
    EXPECT_FALSE(view.timerRunning);
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(QtAudioOutputTest, FasterWithSilencesShortenedPlaysToTheEndInTheRecordingsOwnTime) {
    session.setSpeedQuarters(8);
    session.setSkipSilence(true);
    session.Open(writeRecording("VOA00007.WAV", 3030));
    ASSERT_TRUE(waitFor([this] { return session.positionMs() >= 1000; }));
    session.setSpeedQuarters(3);
    const std::int32_t changed = session.positionMs();
    EXPECT_GE(changed, 1000) << "a new speed goes on from where the recording was";
    std::int32_t last = changed;
    ASSERT_TRUE(test::runEventsUntil([this] { return !session.isLoaded(); }, kWaitMs,
                                     [&] {
                                         last = std::max(last, session.positionMs());
                                         session.OnTimer();
                                     }));
    EXPECT_GT(last, changed);
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(QtAudioOutputTest, UnfinishedRecordingPlaysWhatTheFileHolds) {
    const std::string path = writeRecording("VOI00006.WAV", 1010);
    auto bytes = test::VolumeBuilder::readBytes(path);
    for (int i = 0; i < 4; ++i) bytes[508 + static_cast<std::size_t>(i)] = 0;  // the data chunk's size
    test::VolumeBuilder::writeBytes(path, bytes);
    session.Open(path);
    EXPECT_EQ(session.lengthMs(), 1010);
    ASSERT_TRUE(waitFor([this] { return !session.isLoaded(); }));
    EXPECT_TRUE(messages.texts.empty());
}

}  // namespace
}  // namespace tapelink
