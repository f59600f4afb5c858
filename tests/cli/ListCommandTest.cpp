#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "tests/support/CliRunner.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink::test;
namespace fs = std::filesystem;

TEST(ListCommand, PrintsTheRowsAsTabSeparatedCells) {
    TempFolder folder;
    VolumeBuilder volume(folder.path());
    volume.writeIndex(VolumeBuilder::header(1, 2));
    VolumeBuilder::writeRecording(volume.voice() + "VOA00001.WAV",
                                  VolumeBuilder::info('Z', "13800138000", 111, 5, 18, 9, 7), 4532);

    const auto result = runCli({"--store", folder.path(), "list"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "1\tVOA00001.WAV\t通话录音\t13800138000\t主叫\t2011-05-18 09:07\t2秒\t4K\n");
    EXPECT_EQ(result.err, "");
}

TEST(ListCommand, JsonRowsAreKeyedByTheColumnTitles) {
    TempFolder folder;
    VolumeBuilder volume(folder.path());
    volume.writeIndex(VolumeBuilder::header());
    VolumeBuilder::writeRecording(volume.voice() + "VOJ00002.WAV", VolumeBuilder::info('B', "555", 24, 1, 2, 3, 4),
                                  512);

    const auto result = runCli({"list", "--json"}, {{"TAPELINK_STORE", folder.path()}});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto rows = nlohmann::json::parse(result.out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]["序号"], "1");
    EXPECT_EQ(rows[0]["录音类型"], "新本地录音");
    EXPECT_EQ(rows[0]["电话号码"], "");
    EXPECT_EQ(rows[0]["开始时间"], "2024-01-02 03:04");
    EXPECT_EQ(rows[0]["录音时长"], "1秒");
    EXPECT_EQ(rows[0]["文件长度"], "1K");
}

TEST(ListCommand, WithoutATelephoneSaysTheDeviceIsNotReady) {
    TempFolder folder;
    const auto result = runCli({"--store", folder.path() + "missing", "list"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "设备未准备好！\n");
}

TEST(ListCommand, ALegacyNameThatCannotMoveIsReportedWithExitStatusOne) {
    TempFolder folder;
    VolumeBuilder volume(folder.path());
    volume.writeIndex(VolumeBuilder::header());
    VolumeBuilder::writeRecording(volume.voice() + "REC00001.WAV", VolumeBuilder::info('B', "1", 20, 1, 1, 1, 1));
    VolumeBuilder::writeRecording(volume.voice() + "VOC00001.WAV", VolumeBuilder::info('B', "2", 20, 1, 1, 1, 1));

    const auto result = runCli({"--store", folder.path(), "list"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "无法将 REC00001.WAV 改名为 VOC00001.WAV，因为 VOC00001.WAV 已经存在。\n");
    EXPECT_EQ(splitLines(result.out).size(), 1u);
}

TEST(ListCommand, UnknownOptionIsAUsageError) {
    EXPECT_EQ(runCli({"list", "--bogus"}).exitCode, 2);
    EXPECT_EQ(runCli({}).exitCode, 2);
}

TEST(DemoStore, WritesATelephoneThatListsAndPlays) {
    TempFolder folder;
    const std::string root = folder.path() + "phone";
    const auto made = runCli({"demo-store", root, "--recordings", "12", "--seed", "4", "--max-seconds", "8"});
    ASSERT_EQ(made.exitCode, 0) << made.err;

    const auto listed = runCli({"--store", root, "list"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    const auto lines = splitLines(listed.out);
    ASSERT_EQ(lines.size(), 12u);
    bool sawLegacyAsMessage = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto cells = splitCells(lines[i]);
        ASSERT_EQ(cells.size(), 8u);
        EXPECT_EQ(cells[0], std::to_string(i + 1));
        sawLegacyAsMessage |= cells[1] == "VOC00012.WAV";
    }
    EXPECT_TRUE(sawLegacyAsMessage);
    EXPECT_FALSE(fs::exists(root + "/voice/REC00012.WAV"));

    // An ordinary audio tool reads every file as 8 kHz mono IMA ADPCM.
    if (std::system("command -v soxi >/dev/null 2>&1") != 0) GTEST_SKIP() << "soxi is not installed";
    for (const auto& entry : fs::directory_iterator(root + "/voice")) {
        const std::string command = "soxi -r '" + entry.path().string() + "' 2>/dev/null";
        FILE* pipe = ::popen(command.c_str(), "r");
        char buffer[64] = {};
        const bool read = std::fgets(buffer, sizeof buffer, pipe) != nullptr;
        EXPECT_EQ(::pclose(pipe), 0) << entry.path();
        EXPECT_TRUE(read);
        EXPECT_EQ(std::string(buffer), "8000\n") << entry.path();
    }
}

TEST(DemoStore, RefusesAFolderItCannotCreate) {
    TempFolder folder;
    VolumeBuilder::writeBytes(folder.path() + "file", {1});
    const auto result = runCli({"demo-store", folder.path() + "file/phone"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err, "");
}

TEST(DemoStore, RefusesAFolderThatIsNotEmptyUnlessForcedToReplaceItsContents) {
    TempFolder folder;
    const std::string root = folder.path() + "phone";
    ASSERT_EQ(runCli({"demo-store", root, "--recordings", "6", "--max-seconds", "2"}).exitCode, 0);
    VolumeBuilder::writeBytes(root + "/voice/notes.txt", {1});
    const auto before = VolumeBuilder::sortedNames(root + "/voice");

    const auto refused = runCli({"demo-store", root, "--recordings", "3", "--max-seconds", "2"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, root + "：文件夹不是空的；用 --force 替换其中的内容\n");
    EXPECT_EQ(VolumeBuilder::sortedNames(root + "/voice"), before);

    const auto forced = runCli({"demo-store", root, "--recordings", "3", "--max-seconds", "2", "--force"});
    ASSERT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(VolumeBuilder::sortedNames(root + "/voice").size(), 3u);  // nothing of the old volume is left
    EXPECT_EQ(VolumeBuilder::headerOnDisk(root + "/").recordingCount(), 3);
}

TEST(ListCommand, NamesComeFromTheArchivesPhonebookOnlyWhenAskedOrInJson) {
    TempFolder folder;
    VolumeBuilder volume(folder.path() + "phone/");
    volume.writeIndex(VolumeBuilder::header(2, 3));
    VolumeBuilder::writeRecording(volume.voice() + "VOA00001.WAV",
                                  VolumeBuilder::info('Z', "13812345678", 22, 3, 1, 9, 0));
    VolumeBuilder::writeRecording(volume.voice() + "VOA00002.WAV", VolumeBuilder::info('B', "10010", 22, 3, 1, 9, 5));
    const std::string archive = folder.path() + "archive";
    const std::string bare = folder.path() + "bare";
    fs::create_directories(bare);
    const CliEnvironment env = {{"HOME", folder.path()}, {"TAPELINK_STORE", folder.path() + "phone"}};
    fs::create_directories(archive);
    ASSERT_EQ(runCli({"contacts", "--archive", archive, "add", "张伟", "+86 138-1234-5678"}, env).exitCode, 0);

    const auto cells = [&](std::vector<std::string> args) {
        args.insert(args.begin(), "list");
        const CliResult result = runCli(args, env);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        std::vector<std::vector<std::string>> rows;
        for (const std::string& line : splitLines(result.out)) rows.push_back(splitCells(line));
        return rows;
    };
    const auto named = cells({"--names", "--to", archive});
    ASSERT_EQ(named.size(), 2u);
    EXPECT_EQ(named[0].size(), 9u);
    EXPECT_EQ(named[0].back(), "张伟");
    EXPECT_EQ(named[1].back(), "");
    const auto archived = cells({"--archived", "--names", "--to", archive});
    ASSERT_EQ(archived.size(), 2u);
    EXPECT_EQ(archived[0].size(), 10u);
    EXPECT_EQ(archived[0].back(), "张伟");
    // The existing table keeps its cells without --names.
    EXPECT_EQ(cells({"--archived", "--to", archive})[0].size(), 9u);

    auto rows = nlohmann::json::parse(runCli({"list", "--json", "--to", archive}, env).out);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]["姓名"], "张伟");
    EXPECT_EQ(rows[1]["姓名"], "");
    // An archive without a catalogue gives empty names and stays as it was.
    rows = nlohmann::json::parse(runCli({"list", "--json", "--to", bare}, env).out);
    EXPECT_EQ(rows[0]["姓名"], "");
    EXPECT_TRUE(fs::is_empty(bare));
    EXPECT_EQ(runCli({"list", "--to", archive}, env).exitCode, 2);
}
