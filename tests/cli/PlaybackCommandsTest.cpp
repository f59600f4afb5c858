#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/SndfileDecoder.h"
#include "tests/support/TempFolder.h"

namespace tapelink {
namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs tapelink-cli with the given arguments (and environment assignments in front), capturing both streams.
CliRun runCli(const std::string& arguments, const std::string& environment = {}) {
    test::TempFolder folder;
    const std::string errPath = folder.path() + "stderr";
    const std::string command = environment + " " TAPELINK_CLI " " + arguments + " 2>" + errPath;
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) run.out += buffer;
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errPath);
    run.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    return run;
}

bool haveSoundServer() {
    const char* server = std::getenv("PULSE_SERVER");
    return server != nullptr && *server != '\0' && runCli("volume").status == 0 &&
           std::system("pactl info >/dev/null 2>&1") == 0;
}

std::string clock(std::int64_t ms) {
    std::ostringstream text;
    text << ms / 60000 << ':' << (ms / 1000 % 60 < 10 ? "0" : "") << ms / 1000 % 60 << '.' << ms / 100 % 10;
    return text.str();
}

constexpr char kNoServer[] = "PULSE_SERVER=unix:/nonexistent/tapelink-no-server";

TEST(PlaybackCommandsTest, PlayWithoutASoundServerSaysSoOnceAndEndsTheFile) {
    test::TempFolder folder;
    ASSERT_EQ(runCli("demo-store " + folder.path() + " --recordings 1 --max-seconds 1").status, 0);
    const auto file = std::filesystem::directory_iterator(folder.path() + "voice")->path();
    const CliRun run = runCli("play " + file.string(), kNoServer);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, file.filename().string() + "  0:00.0 / 0:00.0\n");
    const std::string message = "No audio output device is available\n";
    const auto at = run.err.find(message);
    ASSERT_NE(at, std::string::npos) << run.err;
    EXPECT_EQ(run.err.find(message, at + 1), std::string::npos) << run.err;
}

TEST(PlaybackCommandsTest, PlayReportsAFileThatIsNotThereAndGoesOn) {
    test::TempFolder folder;
    const CliRun run = runCli("play " + folder.path() + "missing.wav", kNoServer);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(folder.path() + "missing.wav: No such file or directory"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "missing.wav  0:00.0 / 0:00.0\n");
}

TEST(PlaybackCommandsTest, MixerCommandsWithoutAServerReadZeroAndOffAndCannotSet) {
    EXPECT_EQ(runCli("volume", kNoServer).out, "0\n");
    EXPECT_EQ(runCli("mute", kNoServer).out, "off\n");
    const CliRun set = runCli("volume 50", kNoServer);
    EXPECT_EQ(set.status, 1);
    EXPECT_FALSE(set.err.empty());
    EXPECT_EQ(runCli("mute on", kNoServer).status, 1);
    EXPECT_EQ(runCli("volume 101", kNoServer).status, 2);
    EXPECT_EQ(runCli("mute maybe", kNoServer).status, 2);
}

TEST(PlaybackCommandsTest, PlayPlaysEachFileToItsEnd) {
    if (!haveSoundServer()) GTEST_SKIP() << "no private sound server (PULSE_SERVER)";
    test::TempFolder folder;
    ASSERT_EQ(runCli("demo-store " + folder.path() + " --recordings 2 --max-seconds 1").status, 0);
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path() + "voice"))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());

    std::string expected;
    for (const auto& file : files) {
        PcmAudio audio;
        std::string error;
        ASSERT_TRUE(SndfileDecoder().decode(file.string(), audio, error)) << error;
        const std::int64_t length = audio.frames() * 1000 / audio.sampleRate;
        expected += file.filename().string() + "  " + clock(length) + " / " + clock(length) + "\n";
    }
    const CliRun run = runCli("play " + files[0].string() + " " + files[1].string());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, expected);
}

TEST(PlaybackCommandsTest, VolumeAndMuteShowOnTheServer) {
    if (!haveSoundServer()) GTEST_SKIP() << "no private sound server (PULSE_SERVER)";
    EXPECT_EQ(runCli("volume 50").status, 0);
    EXPECT_EQ(runCli("volume").out, "50\n");
    EXPECT_EQ(runCli("mute on").status, 0);
    EXPECT_EQ(runCli("mute").out, "on\n");
    EXPECT_EQ(runCli("mute off").status, 0);
    EXPECT_EQ(runCli("mute").out, "off\n");
    EXPECT_EQ(runCli("volume 100").status, 0);
}

}  // namespace
}  // namespace tapelink
