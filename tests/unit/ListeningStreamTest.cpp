#include "playback/ListeningStream.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/SoundTouchStretcher.h"
#include "playback/PlaybackSession.h"
#include "tests/support/FakeAudioDecoder.h"
#include "tests/support/FakeAudioOutput.h"
#include "tests/support/FakePlaybackView.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/SyntheticSpeech.h"

namespace tapelink {
namespace {

constexpr int kRate = test::SyntheticSpeech::kRate;

std::vector<std::int16_t> readAll(ListeningStream& stream) {
    std::vector<std::int16_t> heard;
    std::vector<std::int16_t> block(333);  // an odd block size, as a sound device's would be
    for (;;) {
        const std::int64_t got = stream.pull(block.data(), static_cast<std::int64_t>(block.size()));
        heard.insert(heard.end(), block.begin(), block.begin() + got);
        if (got < static_cast<std::int64_t>(block.size())) return heard;
    }
}

std::shared_ptr<const PcmAudio> shared(const PcmAudio& audio) {
    return std::make_shared<const PcmAudio>(audio);
}

// The first frame from which a window of 10 ms is loud (a tone is playing).
std::int64_t firstLoudFrame(const std::vector<std::int16_t>& samples, std::size_t from = 0) {
    for (std::size_t i = from; i + 80 <= samples.size(); ++i) {
        double energy = 0;
        for (std::size_t j = i; j < i + 80; ++j) energy += static_cast<double>(samples[j]) * samples[j];
        if (energy / 80 > 1000.0 * 1000.0) return static_cast<std::int64_t>(i);
    }
    return -1;
}

TEST(ListeningStreamTest, SpeedKeepsThePitchAndScalesTheDuration) {
    const auto tone = shared(test::SyntheticSpeech().tone(10.0, 500.0).audio());
    SoundTouchStretcher stretcher;
    for (const int quarters : {2, 4, 8}) {
        SCOPED_TRACE(quarters);
        ListeningStream stream(tone, 0, quarters, nullptr, &stretcher);
        const std::vector<std::int16_t> heard = readAll(stream);
        const double expected = 10.0 * kRate * 4 / quarters;
        EXPECT_NEAR(static_cast<double>(heard.size()), expected, expected * 0.03);
        ASSERT_GT(heard.size(), 8192u);
        const double hertz = test::dominantFrequency(heard.data() + heard.size() / 2 - 2048, 4096, kRate, 300, 800);
        EXPECT_NEAR(hertz, 500.0, 10.0);
        EXPECT_EQ(stream.recordingFrameAt(static_cast<std::int64_t>(heard.size())), tone->frames());
    }
}

TEST(ListeningStreamTest, SeekAtOneAndAHalfLandsWhereAskedAndThePositionFollowsWhatIsHeard) {
    // Hiss with a beep at 22.25 s: after a seek to 20 s, it must be heard 2.25 s of recording later.
    test::SyntheticSpeech speech;
    speech.silence(22.25).tone(0.5, 700.0).silence(5.0);
    test::FakeAudioDecoder decoder;
    decoder.recordings["/archive/beep.wav"] = speech.audio();
    test::FakeAudioOutput output;
    test::FakePlaybackView view;
    test::RecordingMessages messages;
    SoundTouchStretcher stretcher;
    PlaybackSession session(decoder, output, view, messages, &stretcher);
    session.setSpeedQuarters(6);
    session.Open("/archive/beep.wav");
    session.SeekTo(20000);
    EXPECT_EQ(session.positionMs(), 20000);
    EXPECT_EQ(output.startFrame, 20 * kRate);

    const std::vector<std::int16_t> heard = output.pull(3 * kRate);
    const std::int64_t beep = firstLoudFrame(heard);
    ASSERT_GE(beep, 0);
    output.played = beep;
    EXPECT_NEAR(session.positionMs(), 22250, 50) << "the position shown when the beep is heard";
    EXPECT_NEAR(20000.0 + beep * 1.5 * 1000 / kRate, 22250.0, 50.0) << "where the beep is heard after the seek";
}

TEST(ListeningStreamTest, SkippedSilencesAreLeftOutAndPositionsJumpOverThem) {
    test::SyntheticSpeech speech;
    speech.tone(1.0).silence(2.0).tone(1.0, 600.0).silence(0.5).tone(1.0, 700.0);
    const auto audio = shared(speech.audio());
    const auto skips = std::make_shared<const SilenceMap>(SilenceMap::find(*audio));
    ListeningStream stream(audio, 0, kNormalSpeedQuarters, skips, nullptr);
    const std::vector<std::int16_t> heard = readAll(stream);
    EXPECT_NEAR(static_cast<double>(heard.size()), 3.8 * kRate, 0.05 * 1.7 * kRate);

    // The second tone starts 1.3 s into what is heard, and that frame is shown where it is in the recording.
    const std::int64_t second = firstLoudFrame(heard, static_cast<std::size_t>(1.05 * kRate));
    EXPECT_NEAR(static_cast<double>(second), 1.3 * kRate, 0.02 * kRate);
    EXPECT_NEAR(static_cast<double>(stream.recordingFrameAt(second)), static_cast<double>(speech.tones()[1].first),
                0.02 * kRate);

    // Started inside a skipped stretch, the stream begins where the stretch ends.
    ListeningStream fromGap(audio, 2 * kRate, kNormalSpeedQuarters, skips, nullptr);
    EXPECT_EQ(fromGap.recordingFrameAt(0), skips->skipped().front().end);
}

}  // namespace
}  // namespace tapelink
