#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/CliRunner.h"
#include "tests/support/TempFolder.h"

namespace tapelink {
namespace {

// 0.4 s of a 500 Hz tone, 8 kHz mono 16-bit PCM.
void writeShortWav(const std::string& path) {
    constexpr std::uint32_t kRate = 8000;
    constexpr std::uint32_t kFrames = kRate * 2 / 5;
    std::vector<std::uint8_t> bytes;
    auto text = [&](const char* id) { bytes.insert(bytes.end(), id, id + 4); };
    auto u32 = [&](std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    auto u16 = [&](std::uint16_t value) {
        bytes.push_back(static_cast<std::uint8_t>(value));
        bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    };
    text("RIFF");
    u32(36 + kFrames * 2);
    text("WAVE");
    text("fmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(kRate);
    u32(kRate * 2);
    u16(2);
    u16(16);
    text("data");
    u32(kFrames * 2);
    for (std::uint32_t i = 0; i < kFrames; ++i)
        u16(static_cast<std::uint16_t>(
            static_cast<std::int16_t>(8000.0 * std::sin(2.0 * 3.14159265358979 * 500.0 * i / kRate))));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Two busy processes, one for each core, for as long as this object lives.
class CoreLoad {
public:
    CoreLoad() {
        for (int i = 0; i < 2; ++i) {
            const pid_t child = ::fork();
            if (child == 0) {
                volatile std::uint64_t spin = 0;
                while (true) spin = spin + 1;
            }
            if (child > 0) m_children.push_back(child);
        }
    }
    ~CoreLoad() {
        for (const pid_t child : m_children) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
    }
    CoreLoad(const CoreLoad&) = delete;
    CoreLoad& operator=(const CoreLoad&) = delete;

private:
    std::vector<pid_t> m_children;
};

// The media library's and the sound server client's threads must never meet their exit handlers: many short
// plays on a loaded machine end each time with status 0 and their progress line.
TEST(PlaybackStressTest, ManyShortPlaysAtEverySpeedEndCleanly) {
    const char* server = std::getenv("PULSE_SERVER");
    if (server == nullptr || *server == '\0' || std::system("pactl info >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no private sound server (PULSE_SERVER)";
    }
    test::TempFolder folder;
    const std::string file = folder.path() + "short.wav";
    writeShortWav(file);
    const CoreLoad load;
    const char* speeds[] = {"1", "1.25", "1.5", "1.75", "2"};
    int crashed = 0;
    for (int run = 0; run < 20; ++run) {
        const char* speed = speeds[run % 5];
        const test::CliResult played = test::runCli({"play", "--speed", speed, file});
        if (played.exitCode > 128) ++crashed;
        EXPECT_EQ(played.exitCode, 0) << "run " << run << " at " << speed << ": " << played.err;
        EXPECT_EQ(played.out, "short.wav  0:00.4 / 0:00.4\n") << "run " << run << " at " << speed;
    }
    EXPECT_EQ(crashed, 0);
}

}  // namespace
}  // namespace tapelink
