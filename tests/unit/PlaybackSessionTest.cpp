#include "playback/PlaybackSession.h"

#include <gtest/gtest.h>

#include "tests/support/FakeAudioDecoder.h"
#include "tests/support/FakeAudioOutput.h"
#include "tests/support/FakePlaybackView.h"
#include "tests/support/RecordingMessages.h"

namespace tapelink {
namespace {

constexpr std::int64_t kFramesPerMs = 8;  // the fake decoder's 8 kHz

class PlaybackSessionTest : public ::testing::Test {
protected:
    PlaybackSessionTest() { decoder.addRecording("/archive/minute.wav", 60000); }

    test::FakeAudioDecoder decoder;
    test::FakeAudioOutput output;
    test::FakePlaybackView view;
    test::RecordingMessages messages;
    PlaybackSession session{decoder, output, view, messages};
};

TEST_F(PlaybackSessionTest, OpenStartsPlayingFromTheBeginningWithTheTimerRunning) {
    view.slider = 40;
    session.Open("/archive/minute.wav");
    EXPECT_TRUE(session.isLoaded());
    EXPECT_EQ(session.lengthMs(), 60000);
    EXPECT_EQ(output.state(), AudioOutputState::Playing);
    EXPECT_EQ(output.startFrame, 0);
    EXPECT_TRUE(view.timerRunning);
    EXPECT_EQ(view.slider, 0);
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(PlaybackSessionTest, TickShowsThePositionAsPercentOfTheLength) {
    session.Open("/archive/minute.wav");
    output.playTo(30000 * kFramesPerMs);
    session.OnTimer();
    EXPECT_EQ(session.positionMs(), 30000);
    EXPECT_EQ(view.slider, 50);
    output.playTo(59999 * kFramesPerMs);
    session.OnTimer();
    EXPECT_EQ(view.slider, 99);  // integer division, never rounded up to the end
    EXPECT_TRUE(session.isLoaded());
}

TEST_F(PlaybackSessionTest, ReachingTheEndStopsAndResetsTheWindow) {
    session.Open("/archive/minute.wav");
    session.setPaused(true);
    session.Pause();
    session.Resume();
    output.playTo(60000 * kFramesPerMs);
    session.OnTimer();
    EXPECT_FALSE(session.isLoaded());
    EXPECT_EQ(view.slider, 0);
    EXPECT_FALSE(view.timerRunning);
    EXPECT_EQ(view.pauseCaption, "暂停");
    EXPECT_EQ(output.state(), AudioOutputState::Stopped);
}

TEST_F(PlaybackSessionTest, LettingGoOfTheSliderSeeksAndPlaysFromThere) {
    session.Open("/archive/minute.wav");
    session.OnPositionScroll(SliderScroll::Moving);
    view.slider = 25;
    output.playTo(40000 * kFramesPerMs);
    session.OnTimer();
    EXPECT_EQ(view.slider, 25) << "the tick must not move the thumb while it is held";

    session.OnPositionScroll(SliderScroll::EndTrack);
    EXPECT_FALSE(session.dragging());
    EXPECT_EQ(output.state(), AudioOutputState::Playing);
    EXPECT_EQ(output.startFrame, 15000 * kFramesPerMs);
    EXPECT_EQ(session.positionMs(), 15000);
    output.playTo(21000 * kFramesPerMs);
    session.OnTimer();
    EXPECT_EQ(session.positionMs(), 21000);
    EXPECT_EQ(view.slider, 35);
}

TEST_F(PlaybackSessionTest, LettingGoWhilePausedResumesAtTheNewPosition) {
    session.Open("/archive/minute.wav");
    output.playTo(10000 * kFramesPerMs);
    session.setPaused(true);
    session.Pause();
    EXPECT_EQ(view.pauseCaption, "继续");
    EXPECT_EQ(output.state(), AudioOutputState::Paused);

    session.OnPositionScroll(SliderScroll::Moving);
    view.slider = 80;
    session.OnPositionScroll(SliderScroll::EndTrack);
    EXPECT_FALSE(session.paused());
    EXPECT_EQ(view.pauseCaption, "暂停");
    EXPECT_EQ(output.state(), AudioOutputState::Playing);
    EXPECT_EQ(session.positionMs(), 48000);
}

TEST_F(PlaybackSessionTest, PausedRecordingKeepsItsPositionAndNeverEnds) {
    session.Open("/archive/minute.wav");
    output.playTo(12000 * kFramesPerMs);
    session.Pause();
    for (int tick = 0; tick < 5; ++tick) session.OnTimer();
    EXPECT_TRUE(session.isLoaded());
    EXPECT_EQ(session.positionMs(), 12000);
    session.Resume();
    EXPECT_EQ(output.state(), AudioOutputState::Playing);
    EXPECT_EQ(output.startFrame, 0) << "resume continues, it does not restart";
    EXPECT_EQ(view.pauseCaption, "暂停");
}

TEST_F(PlaybackSessionTest, DraggingWhileIdleMovesOnlyTheSlider) {
    session.OnPositionScroll(SliderScroll::Moving);
    view.slider = 70;
    session.OnPositionScroll(SliderScroll::EndTrack);
    EXPECT_EQ(view.slider, 70);
    EXPECT_EQ(output.starts, 0);
    EXPECT_FALSE(session.isLoaded());
}

TEST_F(PlaybackSessionTest, StopWhenIdleTouchesNothing) {
    view.slider = 30;
    view.pauseCaption = "继续";
    session.Stop();
    EXPECT_EQ(view.slider, 30);
    EXPECT_EQ(view.pauseCaption, "继续");
}

TEST_F(PlaybackSessionTest, EmptyPathLoadsNothingPlayableAndEndsSilentlyAtTheFirstTick) {
    session.Open("");
    EXPECT_TRUE(session.isLoaded());
    EXPECT_EQ(session.lengthMs(), 0);
    EXPECT_EQ(output.starts, 0);
    EXPECT_TRUE(view.timerRunning);
    session.OnTimer();
    EXPECT_FALSE(session.isLoaded());
    EXPECT_FALSE(view.timerRunning);
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(PlaybackSessionTest, UndecodableFileIsReportedOnceInTheDecodersWords) {
    session.Open("/archive/broken.wav");
    EXPECT_TRUE(session.isLoaded());
    EXPECT_EQ(session.lengthMs(), 0);
    session.Resume();
    session.OnTimer();
    EXPECT_FALSE(session.isLoaded());
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "cannot open /archive/broken.wav");
}

TEST_F(PlaybackSessionTest, MissingSoundDeviceIsReportedOnceAndTheRecordingEndsAtTheFirstTick) {
    output.startError = "No audio output device";
    session.Open("/archive/minute.wav");
    EXPECT_EQ(session.lengthMs(), 0);
    session.OnPositionScroll(SliderScroll::EndTrack);
    session.OnTimer();
    EXPECT_FALSE(session.isLoaded());
    EXPECT_EQ(messages.texts, std::vector<std::string>{"No audio output device"});
}

TEST_F(PlaybackSessionTest, DeviceFailingMidPlayEndsTheRecordingWithItsMessage) {
    session.Open("/archive/minute.wav");
    output.playTo(5000 * kFramesPerMs);
    output.fail("Connection to the sound server lost");
    session.OnTimer();
    EXPECT_FALSE(session.isLoaded());
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Connection to the sound server lost"});
}

TEST_F(PlaybackSessionTest, OpeningAnotherFileReplacesTheFirst) {
    decoder.addRecording("/archive/short.wav", 2000);
    session.Open("/archive/minute.wav");
    output.playTo(30000 * kFramesPerMs);
    session.Open("/archive/short.wav");
    EXPECT_EQ(session.lengthMs(), 2000);
    EXPECT_EQ(session.positionMs(), 0);
    EXPECT_EQ(output.pull(3000 * kFramesPerMs).size(), 2000u * kFramesPerMs);
}

}  // namespace
}  // namespace tapelink
