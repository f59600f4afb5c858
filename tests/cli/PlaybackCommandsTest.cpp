#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/SndfileDecoder.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempFolder.h"

namespace tapelink {
namespace {

bool haveSoundServer() {
    const char* server = std::getenv("PULSE_SERVER");
    return server != nullptr && *server != '\0' && test::runCli({"volume"}).exitCode == 0 &&
           std::system("pactl info >/dev/null 2>&1") == 0;
}

std::string clock(std::int64_t ms) {
    std::ostringstream text;
    text << ms / 60000 << ':' << (ms / 1000 % 60 < 10 ? "0" : "") << ms / 1000 % 60 << '.' << ms / 100 % 10;
    return text.str();
}

test::CliEnvironment noServer() {
    return {{"PULSE_SERVER", "unix:/nonexistent/tapelink-no-server"}};
}

TEST(PlaybackCommandsTest, PlayWithoutASoundServerSaysSoOnceAndEndsTheFile) {
    test::TempFolder folder;
    ASSERT_EQ(test::runCli({"demo-store", folder.path(), "--recordings", "1", "--max-seconds", "1"}).exitCode, 0);
    const auto file = std::filesystem::directory_iterator(folder.path() + "voice")->path();
    const test::CliResult run = test::runCli({"play", file.string()}, noServer());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");  // nothing played
    const std::string message = "没有可用的声音输出设备。\n";
    const auto at = run.err.find(message);
    ASSERT_NE(at, std::string::npos) << run.err;
    EXPECT_EQ(run.err.find(message, at + 1), std::string::npos) << run.err;
}

TEST(PlaybackCommandsTest, PlayReportsAFileThatIsNotThereAndGoesOn) {
    test::TempFolder folder;
    const test::CliResult run = test::runCli({"play", folder.path() + "missing.wav"}, noServer());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(folder.path() + "missing.wav：文件不存在。"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

// A folder, a FIFO or an unreadable file where a file belongs gets its message; nothing waits on the FIFO, no
// exception reaches Qt's event loop, and the next file plays.
TEST(PlaybackCommandsTest, EachCommandRefusesAFolderAFifoAndAnUnreadableFileAndGoesOn) {
    test::TempFolder folder;
    ASSERT_EQ(test::runCli({"demo-store", folder.path(), "--recordings", "1", "--max-seconds", "1"}).exitCode, 0);
    const auto good = std::filesystem::directory_iterator(folder.path() + "voice")->path();
    std::vector<std::string> hostile = {folder.path() + "voice", folder.path() + "fifo.wav"};
    ASSERT_EQ(::mkfifo(hostile[1].c_str(), 0644), 0);
    if (::geteuid() != 0) {
        hostile.push_back(folder.path() + "locked.wav");
        std::filesystem::copy_file(good, hostile[2]);
        std::filesystem::permissions(hostile[2], std::filesystem::perms::none);
    }
    const bool server = haveSoundServer();
    for (const std::string& path : hostile) {
        const std::vector<std::vector<std::string>> commands = {
            {"play", path, good.string()},
            {"contacts", "--archive", folder.path(), "import", path},
            {"export", "--search", folder.path() + "voice", "--xlsx", path},
        };
        for (const auto& command : commands) {
            // A workbook replaces whatever file is there, but never a folder.
            if (command[0] == "export" && path != hostile[0]) continue;
            const test::CliResult run = test::runCli(command, server ? test::CliEnvironment{} : noServer());
            EXPECT_EQ(run.exitCode, 1) << command[0] << ' ' << path;
            EXPECT_NE(run.err, "") << command[0] << ' ' << path;
            EXPECT_EQ(run.err.find("Qt has caught an exception"), std::string::npos) << run.err;
            if (command[0] == "play") {
                EXPECT_NE(run.err.find(path + "："), std::string::npos) << run.err;
                const std::string played = good.filename().string() + "  ";
                EXPECT_EQ(server ? run.out.substr(0, played.size()) : run.out, server ? played : "") << run.err;
            }
        }
    }
}

TEST(PlaybackCommandsTest, MixerCommandsWithoutAServerCanNeitherReadNorSet) {
    for (const char* command : {"volume", "mute"}) {
        const test::CliResult read = test::runCli({command}, noServer());
        EXPECT_EQ(read.exitCode, 1) << command;
        EXPECT_EQ(read.out, "") << command;
        EXPECT_NE(read.err.find("无法读取声音输出的"), std::string::npos) << read.err;
    }
    const test::CliResult set = test::runCli({"volume", "50"}, noServer());
    EXPECT_EQ(set.exitCode, 1);
    EXPECT_FALSE(set.err.empty());
    EXPECT_EQ(test::runCli({"mute", "on"}, noServer()).exitCode, 1);
    EXPECT_EQ(test::runCli({"volume", "101"}, noServer()).exitCode, 2);
    EXPECT_EQ(test::runCli({"mute", "maybe"}, noServer()).exitCode, 2);
}

TEST(PlaybackCommandsTest, PlayPlaysEachFileToItsEnd) {
    if (!haveSoundServer()) GTEST_SKIP() << "no private sound server (PULSE_SERVER)";
    test::TempFolder folder;
    ASSERT_EQ(test::runCli({"demo-store", folder.path(), "--recordings", "2", "--max-seconds", "1"}).exitCode, 0);
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
    const test::CliResult run = test::runCli({"play", files[0].string(), files[1].string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, expected);
}

TEST(PlaybackCommandsTest, PlayFastWithSilencesShortenedShowsTheRecordingsOwnTime) {
    test::TempFolder folder;
    ASSERT_EQ(test::runCli({"demo-store", folder.path(), "--recordings", "1", "--max-seconds", "4"}).exitCode, 0);
    const auto file = std::filesystem::directory_iterator(folder.path() + "voice")->path();
    for (const char* speed : {"3", "1.1", "0", "fast"}) {
        const test::CliResult refused = test::runCli({"play", "--speed", speed, file.string()}, noServer());
        EXPECT_EQ(refused.exitCode, 2) << speed;
        EXPECT_NE(refused.err.find("速度只能是 0.5、0.75、1、1.25、1.5、1.75、2 之一"), std::string::npos);
    }
    if (!haveSoundServer()) GTEST_SKIP() << "no private sound server (PULSE_SERVER)";
    PcmAudio audio;
    std::string error;
    ASSERT_TRUE(SndfileDecoder().decode(file.string(), audio, error)) << error;
    const std::int64_t length = audio.frames() * 1000 / audio.sampleRate;
    const test::CliResult run = test::runCli({"play", "--speed", "1.75", "--skip-silence", file.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, file.filename().string() + "  " + clock(length) + " / " + clock(length) + "\n");
}

TEST(PlaybackCommandsTest, VolumeAndMuteShowOnTheServer) {
    if (!haveSoundServer()) GTEST_SKIP() << "no private sound server (PULSE_SERVER)";
    EXPECT_EQ(test::runCli({"volume", "50"}).exitCode, 0);
    EXPECT_EQ(test::runCli({"volume"}).out, "50\n");
    EXPECT_EQ(test::runCli({"mute", "on"}).exitCode, 0);
    EXPECT_EQ(test::runCli({"mute"}).out, "on\n");
    EXPECT_EQ(test::runCli({"mute", "off"}).exitCode, 0);
    EXPECT_EQ(test::runCli({"mute"}).out, "off\n");
    EXPECT_EQ(test::runCli({"volume", "100"}).exitCode, 0);
}

}  // namespace
}  // namespace tapelink
