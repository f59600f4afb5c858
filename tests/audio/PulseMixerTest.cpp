#include "platform/PulseMixer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "playback/VolumeControl.h"
#include "tests/audio/SoundServer.h"

namespace tapelink {
namespace {

class PulseMixerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::soundServerAvailable()) GTEST_SKIP() << "no private sound server (PULSE_SERVER)";
    }
    void TearDown() override {
        test::pactl("set-sink-volume @DEFAULT_SINK@ 100%");
        test::pactl("set-sink-mute @DEFAULT_SINK@ 0");
    }

    PulseMixer mixer;
    VolumeControl volume{mixer};
};

TEST_F(PulseMixerTest, VolumeIsSetOnTheDefaultSinkInPercentOfItsNormalVolume) {
    ASSERT_TRUE(volume.SetVolume(1, 50));
    EXPECT_NE(test::pactl("get-sink-volume @DEFAULT_SINK@").find("32768 /  50%"), std::string::npos)
        << test::pactl("get-sink-volume @DEFAULT_SINK@");
    EXPECT_EQ(volume.GetVolume(1), 50);

    test::pactl("set-sink-volume @DEFAULT_SINK@ 25%");
    EXPECT_EQ(volume.GetVolume(1), 25);
    // Above the normal volume reads as the maximum.
    test::pactl("set-sink-volume @DEFAULT_SINK@ 130%");
    EXPECT_EQ(volume.GetVolume(1), 100);
}

TEST_F(PulseMixerTest, MuteSwitchIsTheDefaultSinksAndEveryLineMapsToIt) {
    ASSERT_TRUE(volume.SetMute(1, true));
    EXPECT_NE(test::pactl("get-sink-mute @DEFAULT_SINK@").find("Mute: yes"), std::string::npos);
    EXPECT_TRUE(volume.IsMuted(1));
    EXPECT_TRUE(volume.IsMuted(4));
    ASSERT_TRUE(volume.SetMute(2, false));
    EXPECT_NE(test::pactl("get-sink-mute @DEFAULT_SINK@").find("Mute: no"), std::string::npos);
    EXPECT_FALSE(volume.IsMuted(1));
}

TEST_F(PulseMixerTest, NoConnectionOutlivesACall) {
    const auto clients = [] {
        const std::string list = test::pactl("list short clients");
        return std::count(list.begin(), list.end(), '\n');
    };
    const auto before = clients();
    volume.SetVolume(1, 40);
    volume.GetVolume(1);
    volume.IsMuted(1);
    EXPECT_EQ(clients(), before);
}

TEST(PulseMixerWithoutServerTest, EverythingFailsSilentlyAndQuickly) {
    PulseMixer mixer("unix:/nonexistent/tapelink-no-server", 2000);
    VolumeControl volume(mixer);
    EXPECT_EQ(volume.GetVolume(1), 0);
    EXPECT_FALSE(volume.IsMuted(1));
    EXPECT_FALSE(volume.SetVolume(1, 50));
    EXPECT_FALSE(volume.SetMute(1, true));
}

}  // namespace
}  // namespace tapelink
