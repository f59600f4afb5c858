#include "playback/VolumeControl.h"

#include <gtest/gtest.h>

#include "tests/support/FakeMixer.h"

namespace tapelink {
namespace {

using Key = std::pair<MixerLine, MixerControlKind>;

TEST(VolumeControlTest, PercentIsScaledToTheMaximumBoundAndTruncated) {
    test::FakeMixer mixer;
    VolumeControl volume(mixer);
    EXPECT_TRUE(volume.SetVolume(1, 50));
    EXPECT_EQ((mixer.values[Key{MixerLine::WaveOut, MixerControlKind::Volume}]), 32767u);
    EXPECT_EQ(volume.GetVolume(1), 49);
    EXPECT_TRUE(volume.SetVolume(1, 100));
    EXPECT_EQ(volume.GetVolume(1), 100);
    EXPECT_TRUE(volume.SetVolume(1, 0));
    EXPECT_EQ(volume.GetVolume(1), 0);
}

TEST(VolumeControlTest, OutOfRangePercentIsHeldToTheControlsRange) {
    test::FakeMixer mixer;
    VolumeControl volume(mixer);
    EXPECT_TRUE(volume.SetVolume(1, 140));
    EXPECT_EQ((mixer.values[Key{MixerLine::WaveOut, MixerControlKind::Volume}]), 65535u);
    EXPECT_TRUE(volume.SetVolume(1, -5));
    EXPECT_EQ((mixer.values[Key{MixerLine::WaveOut, MixerControlKind::Volume}]), 0u);
}

TEST(VolumeControlTest, MuteSwitchIsOneOrZero) {
    test::FakeMixer mixer;
    VolumeControl volume(mixer);
    EXPECT_FALSE(volume.IsMuted(1));
    EXPECT_TRUE(volume.SetMute(1, true));
    EXPECT_EQ((mixer.values[Key{MixerLine::WaveOut, MixerControlKind::Mute}]), 1u);
    EXPECT_TRUE(volume.IsMuted(1));
    mixer.values[Key{MixerLine::WaveOut, MixerControlKind::Mute}] = 7;
    EXPECT_TRUE(volume.IsMuted(1));
    EXPECT_TRUE(volume.SetMute(1, false));
    EXPECT_FALSE(volume.IsMuted(1));
}

TEST(VolumeControlTest, SelectorPicksTheLine) {
    EXPECT_EQ(VolumeControl::lineFor(1), MixerLine::WaveOut);
    EXPECT_EQ(VolumeControl::lineFor(2), MixerLine::Synthesizer);
    EXPECT_EQ(VolumeControl::lineFor(3), MixerLine::Microphone);
    EXPECT_EQ(VolumeControl::lineFor(0), MixerLine::Speakers);
    EXPECT_EQ(VolumeControl::lineFor(9), MixerLine::Speakers);

    test::FakeMixer mixer;
    VolumeControl volume(mixer);
    volume.SetVolume(3, 100);
    EXPECT_EQ((mixer.values[Key{MixerLine::Microphone, MixerControlKind::Volume}]), 65535u);
    EXPECT_EQ(volume.GetVolume(1), 0);
}

TEST(VolumeControlTest, WithoutAMixerEverythingFailsSilently) {
    test::FakeMixer mixer;
    mixer.present = false;
    VolumeControl volume(mixer);
    EXPECT_EQ(volume.GetVolume(1), 0);
    EXPECT_FALSE(volume.IsMuted(1));
    EXPECT_FALSE(volume.SetVolume(1, 50));
    EXPECT_FALSE(volume.SetMute(1, true));
    EXPECT_EQ(mixer.closes, 0);
}

TEST(VolumeControlTest, MissingControlsOrFailedIoFailSilentlyAndAlwaysCloseTheMixer) {
    test::FakeMixer mixer;
    mixer.values[Key{MixerLine::WaveOut, MixerControlKind::Volume}] = 65535;
    mixer.values[Key{MixerLine::WaveOut, MixerControlKind::Mute}] = 1;
    VolumeControl volume(mixer);

    mixer.hasControls = false;
    EXPECT_EQ(volume.GetVolume(1), 0);
    EXPECT_FALSE(volume.IsMuted(1));
    EXPECT_FALSE(volume.SetVolume(1, 50));
    EXPECT_FALSE(volume.SetMute(1, false));
    EXPECT_EQ(mixer.writes, 0);

    mixer.hasControls = true;
    mixer.readsFail = true;
    mixer.writesFail = true;
    EXPECT_EQ(volume.GetVolume(1), 0);
    EXPECT_FALSE(volume.IsMuted(1));
    EXPECT_FALSE(volume.SetVolume(1, 50));
    EXPECT_FALSE(volume.SetMute(1, false));

    EXPECT_EQ(mixer.opens, 8);
    EXPECT_EQ(mixer.closes, 8);
}

TEST(VolumeControlTest, ZeroMaximumReadsAsSilence) {
    test::FakeMixer mixer;
    mixer.volumeMaximum = 0;
    mixer.values[Key{MixerLine::WaveOut, MixerControlKind::Volume}] = 5;
    VolumeControl volume(mixer);
    EXPECT_EQ(volume.GetVolume(1), 0);
}

}  // namespace
}  // namespace tapelink
