// Compacting the archive through the real tapelink-cli: every compact file decodes to its original's length,
// search, share and notes find the recording in it, a second upload copies nothing, and a run killed at any
// moment or a recording that does not decode lose nothing (a full or read-only disk: tests/fault).
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <thread>

#include "platform/SndfileDecoder.h"
#include "platform/SndfileOpusEncoder.h"
#include "playback/PcmAudio.h"
#include "tests/support/CliProcess.h"
#include "tests/support/CliRunner.h"
#include "tests/support/DemoTelephone.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

std::int64_t decodedFrames(const std::string& path) {
    PcmAudio audio;
    std::string error;
    SndfileDecoder decoder;
    return decoder.decode(path, audio, error) ? audio.frames() : -1;
}

std::string stem(const std::string& name) {
    return name.substr(0, name.rfind('.'));
}

}  // namespace

class CompactCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        copyDemoTelephone({"--recordings", "24", "--seed", "5", "--max-seconds", "40"}, phone());
        fs::create_directories(home());
        fs::create_directories(out());
        ASSERT_EQ(cli({"upload", "--new", "--archive", out()}).exitCode, 0);
        for (const std::string& name : VolumeBuilder::sortedNames(out()))
            originalFrames[stem(name)] = decodedFrames(out() + name);
        ASSERT_FALSE(originalFrames.empty());
    }

    std::string phone() const { return folder.path() + "phone/"; }
    std::string out() const { return folder.path() + "out/"; }
    std::string home() const { return folder.path() + "home"; }
    CliResult cli(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--store", phone()});
        return runCli(args, {{"HOME", home()}});
    }
    // Each recording is there once, as its original or as its compact file, and verify finds nothing wrong.
    void expectNothingLost() const {
        const CliResult verified = cli({"archive", "verify", "--archive", out()});
        EXPECT_EQ(verified.exitCode, 0) << verified.out << verified.err;
        std::map<std::string, int> held;
        for (const std::string& name : VolumeBuilder::sortedNames(out())) {
            if (name[0] != '.') ++held[stem(name)];
        }
        for (const auto& [recording, frames] : originalFrames) EXPECT_GE(held[recording], 1) << recording;
    }

    TempFolder folder;
    std::map<std::string, std::int64_t> originalFrames;  // by the name without its extension
};

TEST_F(CompactCliTest, CompactFilesDecodeToTheOriginalLengthAndStayTheRecording) {
    const std::string noted = VolumeBuilder::sortedNames(out()).front();
    ASSERT_EQ(cli({"note", "--archive", out(), noted, "回访"}).exitCode, 0);
    std::uintmax_t before = 0;
    for (const std::string& name : VolumeBuilder::sortedNames(out())) before += fs::file_size(out() + name);

    const CliResult compacted = cli({"archive", "compact", "--archive", out(), "--json"});
    ASSERT_EQ(compacted.exitCode, 0) << compacted.err;
    const auto summary = nlohmann::json::parse(compacted.out);
    EXPECT_EQ(summary["compacted"], originalFrames.size());
    EXPECT_EQ(summary["bytes_before"], before);

    std::uintmax_t after = 0;
    for (const std::string& name : VolumeBuilder::sortedNames(out())) {
        ASSERT_TRUE(name.ends_with(".opus")) << name;
        after += fs::file_size(out() + name);
        EXPECT_LE(std::llabs(decodedFrames(out() + name) - originalFrames[stem(name)]),
                  SndfileOpusEncoder::kFrameSamples)
            << name;
    }
    EXPECT_EQ(summary["bytes_after"], after);
    EXPECT_LT(after * 2, before);
    expectNothingLost();

    // Search lists every recording under its original name, with its fields from the catalogue.
    const CliResult found = cli({"search", "--archive", out(), "--json"});
    const auto rows = nlohmann::json::parse(found.out);
    ASSERT_EQ(rows.size(), originalFrames.size()) << found.err;
    EXPECT_EQ(rows[0]["file"], noted);
    EXPECT_EQ(rows[0]["bytes"], fs::file_size(phone() + "voice/" + noted));
    // Its path, which the player and the share open, is the compact file.
    const std::string path = rows[0]["路径"];
    EXPECT_EQ(path, out() + stem(noted) + ".opus");
    EXPECT_LE(std::llabs(decodedFrames(path) - originalFrames[stem(noted)]), SndfileOpusEncoder::kFrameSamples);
    EXPECT_EQ(cli({"note", "--archive", out(), noted}).out, "回访\n");
    EXPECT_EQ(splitLines(cli({"search", "--archive", out(), "--text", "回访"}).out).size(), 1u);

    // Shared as WAV, a compact recording becomes a WAV file again.
    const CliResult shared =
        cli({"share", "--search", "--archive", out(), "--format", "wav", "--folder", folder.path() + "sent"});
    ASSERT_EQ(shared.exitCode, 0) << shared.err;
    int wavs = 0;
    for (const auto& entry : fs::directory_iterator(folder.path() + "sent")) {
        if (entry.path().extension() != ".wav") continue;
        ++wavs;
        const auto bytes = VolumeBuilder::readBytes(entry.path());
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + std::min<std::size_t>(4, bytes.size())), "RIFF");
    }
    EXPECT_EQ(wavs, static_cast<int>(originalFrames.size()));

    // The telephone's recordings are known by their original digest: nothing is copied again.
    const CliResult again = cli({"upload", "--new", "--archive", out()});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    for (const std::string& name : VolumeBuilder::sortedNames(out())) EXPECT_TRUE(name.ends_with(".opus")) << name;

    // A compact file that is gone is a missing recording.
    const std::string lost = stem(noted) + ".opus";
    fs::remove(out() + lost);
    const CliResult verified = cli({"archive", "verify", "--archive", out()});
    EXPECT_EQ(verified.exitCode, 1);
    EXPECT_NE(verified.out.find("missing\t" + lost + "\n"), std::string::npos) << verified.out;
}

TEST_F(CompactCliTest, KilledAtRandomMomentsLosesNothing) {
    std::mt19937 random(28);
    for (int round = 0; round < 20; ++round) {
        CliProcess compaction({"archive", "compact", "--archive", out()}, {{"HOME", home()}});
        std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 120)(random)));
        compaction.signal(SIGKILL);
        std::string ignored;
        compaction.finish(ignored, ignored);
        expectNothingLost();
    }
    const CliResult finished = cli({"archive", "compact", "--archive", out()});
    EXPECT_EQ(finished.exitCode, 0) << finished.err;
    expectNothingLost();
    for (const std::string& name : VolumeBuilder::sortedNames(out())) EXPECT_TRUE(name.ends_with(".opus")) << name;
}

TEST_F(CompactCliTest, ARecordingThatDoesNotDecodeIsKeptAndNamed) {
    VolumeBuilder::writeRecording(out() + "VOB09999.WAV", 'B', "13800009999", 8000);
    const auto junk = VolumeBuilder::readBytes(out() + "VOB09999.WAV");
    const CliResult compacted = cli({"archive", "compact", "--archive", out()});
    EXPECT_EQ(compacted.exitCode, 1);
    EXPECT_NE(compacted.err.find("未压缩：VOB09999.WAV"), std::string::npos) << compacted.err;
    EXPECT_EQ(VolumeBuilder::readBytes(out() + "VOB09999.WAV"), junk);
    EXPECT_FALSE(fs::exists(out() + "VOB09999.opus"));
    EXPECT_EQ(cli({"archive", "verify", "--archive", out()}).exitCode, 0);
}
