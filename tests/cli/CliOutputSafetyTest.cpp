#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

#include "cli/GuardedRun.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

// "中" in GBK: bytes that are not UTF-8, as in names copied from an older volume.
const std::string kGbk = "\xD6\xD0";
const std::string kReplacement = "\xEF\xBF\xBD";

// Parses output that must be valid JSON; a parse error fails the test instead of ending it.
nlohmann::json parsed(const CliResult& result) {
    EXPECT_EQ(result.exitCode, 0) << result.err;
    try {
        return nlohmann::json::parse(result.out);
    } catch (const nlohmann::json::exception& error) {
        ADD_FAILURE() << error.what() << "\n" << result.out;
        return nlohmann::json::array();
    }
}

}  // namespace

TEST(CliOutputSafety, NamesThatAreNotUtf8GiveValidJsonWithTheBadBytesReplaced) {
    TempFolder folder;
    VolumeBuilder volume(folder.path());
    volume.writeIndex(VolumeBuilder::header());
    const std::string name = "VOA" + kGbk + "001.WAV";
    VolumeBuilder::writeRecording(volume.voice() + name, 'Z', "138");
    VolumeBuilder::writeRecording(volume.recycle() + name, 'Z', "139");
    const std::string shown = "VOA" + kReplacement + kReplacement + "001.WAV";

    const auto list = parsed(runCli({"--store", folder.path(), "list", "--json"}));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]["文件名"], shown);
    const auto bin = parsed(runCli({"--store", folder.path(), "bin", "list", "--json"}));
    ASSERT_EQ(bin.size(), 1u);
    EXPECT_EQ(bin[0]["文件名"], shown);

    // An archive folder whose own name is GBK puts those bytes into every row's path.
    const std::string archive = folder.path() + "archive" + kGbk + "/";
    fs::create_directory(archive);
    VolumeBuilder::writeRecording(archive + "VOA00001.WAV", 'Z', "13800138000");
    const auto found = parsed(runCli({"search", archive, "--json"}));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]["路径"], folder.path() + "archive" + kReplacement + kReplacement + "/VOA00001.WAV");
}

TEST(CliOutputSafety, ControlCharactersNeverSplitARowOrReachTheTerminal) {
    TempFolder folder;
    VolumeBuilder volume(folder.path());
    volume.writeIndex(VolumeBuilder::header());
    VolumeBuilder::writeRecording(volume.voice() + "VOA\t0\n01.WAV", 'Z', "13\t8\n0\x1b[2J");
    VolumeBuilder::writeRecording(volume.voice() + "VOA00002.WAV", 'Z', "139");

    // A legacy name that cannot move is named in a message: that reaches the terminal too.
    VolumeBuilder::writeRecording(volume.voice() + "REC\x1b[2J1.WAV", 'Z', "1");
    VolumeBuilder::writeRecording(volume.voice() + "VOC\x1b[2J1.WAV", 'Z', "1");

    const auto result = runCli({"--store", folder.path(), "list"});
    ASSERT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(result.err.find('\x1b'), std::string::npos);
    EXPECT_NE(result.err.find("REC" + kReplacement + "[2J1.WAV"), std::string::npos) << result.err;
    const auto lines = splitLines(result.out);
    ASSERT_EQ(lines.size(), 3u);
    std::string odd;
    for (const auto& line : lines) {
        EXPECT_EQ(splitCells(line).size(), 8u) << line;
        if (splitCells(line)[1].rfind("VOA", 0) == 0 && splitCells(line)[1] != "VOA00002.WAV") odd = line;
    }
    ASSERT_FALSE(odd.empty());
    EXPECT_EQ(splitCells(odd)[1], "VOA" + kReplacement + "0" + kReplacement + "01.WAV");
    EXPECT_EQ(splitCells(odd)[3], "13" + kReplacement + "8" + kReplacement + "0" + kReplacement + "[2J");
}

TEST(CliOutputSafety, AnExceptionEndsTheCommandWithAMessageAndStatusOne) {
    std::ostringstream err;
    EXPECT_EQ(tapelink::cli::guardedRun([]() -> int { throw std::runtime_error("broken \x1b name"); }, err), 1);
    EXPECT_EQ(err.str(), "tapelink-cli：意外错误：broken " + kReplacement + " name\n");
    err.str("");
    EXPECT_EQ(tapelink::cli::guardedRun([]() -> int { throw 42; }, err), 1);
    EXPECT_EQ(err.str(), "tapelink-cli：意外错误\n");
    EXPECT_EQ(tapelink::cli::guardedRun([] { return 0; }, err), 0);
}
