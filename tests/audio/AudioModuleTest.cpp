#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/audio/AudioCommandTable.h"
#include "common/ProcessEnd.h"
#include "platform/SndfileDecoder.h"
#include "platform/SndfileWavEncoder.h"
#include "tests/audio/SoundServer.h"
#include "tests/support/SyntheticSpeech.h"
#include "tests/support/TempFolder.h"

// The audio module's command table driven in process, as tapelink-cli drives it after loading the module: cheap
// enough to run under the thread sanitizer, where the module's sound threads meet its event loop.
namespace tapelink {
namespace {

const TapelinkAudioCommands* loadModule() {
    void* module = dlopen(TAPELINK_AUDIO_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) return nullptr;
    const auto entry = reinterpret_cast<const TapelinkAudioCommands* (*)()>(dlsym(module, kTapelinkAudioEntry));
    return entry != nullptr ? entry() : nullptr;
}

std::string clock(std::int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%d", static_cast<int>(ms / 60000), static_cast<int>(ms / 1000 % 60),
                  static_cast<int>(ms / 100 % 10));
    return text;
}

class AudioModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_commands = loadModule();
        ASSERT_NE(m_commands, nullptr) << dlerror();
        ASSERT_EQ(m_commands->abiVersion, kTapelinkAudioAbi);
        if (!test::soundServerAvailable()) GTEST_SKIP() << "no private sound server (PULSE_SERVER)";
    }
    void TearDown() override {
        if (!test::soundServerAvailable()) return;
        test::pactl("set-sink-volume @DEFAULT_SINK@ 100%");
        test::pactl("set-sink-mute @DEFAULT_SINK@ 0");
    }

    // Runs one command of the table with its standard output captured.
    template <typename Command>
    std::pair<int, std::string> run(Command command) {
        testing::internal::CaptureStdout();
        const int status = command();
        return {status, testing::internal::GetCapturedStdout()};
    }

    const TapelinkAudioCommands* m_commands = nullptr;
};

TEST_F(AudioModuleTest, PlaysAtSeveralSpeedsWithAndWithoutShortenedSilencesAndSkipsWhatCannotPlay) {
    ASSERT_NE(m_commands->play, nullptr);
    test::TempFolder folder;
    const std::string file = folder.path() + "VOA00001.WAV";
    // Talk, a silence long enough to be shortened, talk: well under two seconds at any speed.
    test::SyntheticSpeech speech;
    speech.tone(0.3).silence(1.0).tone(0.3, 700.0);
    ASSERT_TRUE(SndfileWavEncoder().writeRecording(file, RecordingInfo{}, speech.audio().samples));
    PcmAudio audio;
    std::string error;
    ASSERT_TRUE(SndfileDecoder().decode(file, audio, error)) << error;
    const std::string length = clock(audio.frames() * 1000 / audio.sampleRate);
    const std::string played = "VOA00001.WAV  " + length + " / " + length + "\n";

    struct Case {
        int speedQuarters;
        int skipSilence;
    };
    for (const Case& listening : {Case{8, 0}, Case{4, 1}}) {
        const char* const files[] = {file.c_str()};
        const auto [status, out] =
            run([&] { return m_commands->play(files, 1, listening.speedQuarters, listening.skipSilence); });
        EXPECT_EQ(status, 0) << listening.speedQuarters;
        EXPECT_EQ(out, played) << listening.speedQuarters;
    }
    // A folder where a file belongs gets its message and prints nothing; the file after it still plays, faster with
    // the silence shortened.
    const char* const files[] = {folder.path().c_str(), file.c_str()};
    const auto [status, out] = run([&] { return m_commands->play(files, 2, 6, 1); });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out, played);
}

TEST_F(AudioModuleTest, VolumeAndMuteReadBackWhatWasSet) {
    EXPECT_EQ(run([&] { return m_commands->volume(50); }), std::make_pair(0, std::string()));
    EXPECT_EQ(run([&] { return m_commands->volume(-1); }), std::make_pair(0, std::string("50\n")));
    EXPECT_EQ(run([&] { return m_commands->mute(1); }).first, 0);
    EXPECT_EQ(run([&] { return m_commands->mute(-1); }), std::make_pair(0, std::string("on\n")));
    EXPECT_EQ(run([&] { return m_commands->mute(0); }).first, 0);
    EXPECT_EQ(run([&] { return m_commands->mute(-1); }), std::make_pair(0, std::string("off\n")));
}

}  // namespace
}  // namespace tapelink

// Like tapelink-cli, the test ends without exit()'s static destructors: the module's Qt Multimedia and sound
// server client keep a thread of their own until the process ends.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    tapelink::endProcess(RUN_ALL_TESTS());
}
