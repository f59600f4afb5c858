#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "settings/ProfileFolder.h"
#include "settings/SettingsStore.h"
#include "tests/support/CliRunner.h"
#include "tests/support/DemoTelephone.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

class UploadCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        copyDemoTelephone({"--recordings", "14", "--seed", "5", "--max-seconds", "12"}, phone());
        fs::create_directories(out());
        fs::create_directories(home());
        // The first scan moves the legacy name, which changes the folder's order; rows are taken from the second.
        ASSERT_EQ(cli({"list"}).exitCode, 0);
        const CliResult listed = cli({"list"});
        ASSERT_EQ(listed.exitCode, 0) << listed.err;
        for (const auto& line : splitLines(listed.out)) rows.push_back(splitCells(line));
        ASSERT_GE(rows.size(), 8u);
    }

    std::string phone() const { return folder.path() + "phone/"; }
    std::string out() const { return folder.path() + "out/"; }
    std::string home() const { return folder.path() + "home"; }

    // With the profile under home() and nothing on standard input.
    CliResult cli(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--store", phone()});
        return runCli(args, {{"HOME", home()}});
    }

    std::vector<std::string> namesOf(const std::vector<std::size_t>& indices) const {
        std::vector<std::string> names;
        for (std::size_t index : indices) names.push_back(rows[index][1]);
        std::sort(names.begin(), names.end());
        return names;
    }
    bool copiedIntact(const std::string& name, const std::string& folderPath) const {
        return VolumeBuilder::readBytes(folderPath + name) == VolumeBuilder::readBytes(phone() + "voice/" + name);
    }
    void plantOld(const std::string& name) const { VolumeBuilder::writeBytes(out() + name, {'o', 'l', 'd'}); }
    bool isOld(const std::string& name) const {
        return VolumeBuilder::readBytes(out() + name) == std::vector<std::uint8_t>{'o', 'l', 'd'};
    }

    TempFolder folder;
    std::vector<std::vector<std::string>> rows;  // the list's rows, as `list` prints them
};

TEST_F(UploadCommandTest, AllCopiesEveryRecordingByteForByte) {
    const CliResult run = cli({"upload", "--all", "--to", out()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "已上传 " + std::to_string(rows.size()) + " 个，跳过 0 个，失败 0 个\n");
    EXPECT_EQ(run.err, "传输完毕！\n");
    std::vector<std::size_t> all(rows.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    ASSERT_EQ(VolumeBuilder::sortedNames(out()), namesOf(all));
    for (const auto& row : rows) EXPECT_TRUE(copiedIntact(row[1], out())) << row[1];
}

TEST_F(UploadCommandTest, RowsDateAndNumberPickTheListsRows) {
    CliResult run = cli({"upload", "--rows", "2,4-5,2", "--to", out()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(VolumeBuilder::sortedNames(out()), namesOf({1, 3, 4}));

    fs::remove_all(out());
    fs::create_directory(out());
    const std::string day = rows[2][5].substr(0, 10);
    std::vector<std::size_t> sameDay;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i][5].rfind(day, 0) == 0) sameDay.push_back(i);
    }
    run = cli({"upload", "--date", day, "--to", out()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(VolumeBuilder::sortedNames(out()), namesOf(sameDay));

    fs::remove_all(out());
    fs::create_directory(out());
    std::vector<std::size_t> withNumber;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].size() > 3 && rows[i][3].find("1") != std::string::npos) withNumber.push_back(i);
    }
    ASSERT_FALSE(withNumber.empty());
    run = cli({"upload", "--number", "1", "--to", out()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(VolumeBuilder::sortedNames(out()), namesOf(withNumber));
}

TEST_F(UploadCommandTest, BadSelectionsCopyNothing) {
    CliResult run = cli({"upload", "--rows", "1," + std::to_string(rows.size() + 1), "--to", out()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "--rows：第 " + std::to_string(rows.size() + 1) + " 行不在列表中（只有第 1 到 " +
                           std::to_string(rows.size()) + " 行）\n");
    run = cli({"upload", "--rows", "0", "--to", out()});
    EXPECT_EQ(run.exitCode, 2);
    run = cli({"upload", "--date", "2011-02-30", "--to", out()});
    EXPECT_EQ(run.exitCode, 2);
    run = cli({"upload", "--date", "1999-01-01", "--to", out()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "未找到任何与查询条件相匹配的语音文件！\n");
    run = cli({"upload", "--number", "0000000000000", "--to", out()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(VolumeBuilder::sortedNames(out()).empty());
}

TEST_F(UploadCommandTest, ExistingFilesFollowTheOverwritePolicy) {
    plantOld(rows[0][1]);
    plantOld(rows[1][1]);
    CliResult run = cli({"upload", "--rows", "1-3", "--to", out()});  // ask without a terminal keeps them
    EXPECT_EQ(run.exitCode, 0) << run.err;
    // Each recording uploaded is named before the summary.
    EXPECT_EQ(run.out, rows[2][1] + "\n已上传 1 个，跳过 2 个，失败 0 个\n");
    EXPECT_TRUE(isOld(rows[0][1]));
    EXPECT_TRUE(isOld(rows[1][1]));

    run = cli({"upload", "--rows", "1-3", "--overwrite", "none", "--to", out()});
    EXPECT_EQ(run.out, "已上传 0 个，跳过 3 个，失败 0 个\n");

    // The third file already holds the same content and is left as it is; the two old ones are kept aside.
    run = cli({"upload", "--rows", "1-3", "--overwrite", "all", "--to", out()});
    EXPECT_EQ(run.out, rows[0][1] + "\n" + rows[1][1] + "\n已上传 2 个，跳过 0 个，失败 0 个，内容已在存档中 1 个\n");
    EXPECT_TRUE(copiedIntact(rows[0][1], out()));
    EXPECT_TRUE(copiedIntact(rows[1][1], out()));
    EXPECT_EQ(VolumeBuilder::sortedNames(out()), namesOf({0, 1, 2}));
    const std::vector<std::string> aside = VolumeBuilder::sortedNames(out() + ".tapelink/replaced");
    ASSERT_EQ(aside.size(), 2u);
    EXPECT_EQ(VolumeBuilder::readBytes(out() + ".tapelink/replaced/" + aside[0]),
              (std::vector<std::uint8_t>{'o', 'l', 'd'}));
}

TEST_F(UploadCommandTest, AskTakesTheAnswersOnATerminal) {
    for (std::size_t i = 0; i < 3; ++i) plantOld(rows[i][1]);
    const CliCommand command({"--store", phone(), "upload", "--rows", "1-3", "--to", out()}, {{"HOME", home()}});
    int master = -1;
    const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        command.exec();
    }
    std::string seen;
    int answered = 0;
    const char* answers[] = {"x\n", "n\n", "A\n"};  // an unknown key asks again
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got <= 0) break;
        seen.append(buffer, static_cast<std::size_t>(got));
        std::size_t prompts = 0;
        for (std::size_t at = seen.find("全否] "); at != std::string::npos; at = seen.find("全否] ", at + 1)) ++prompts;
        while (answered < 3 && prompts > static_cast<std::size_t>(answered)) {
            ASSERT_EQ(::write(master, answers[answered], 2), 2);
            ++answered;
        }
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(master);
    EXPECT_EQ(exitCodeOf(status), 0) << seen;
    EXPECT_EQ(answered, 3) << seen;
    EXPECT_NE(seen.find(out() + rows[0][1] + " 文件已经存在，是否覆盖？"), std::string::npos) << seen;
    EXPECT_TRUE(isOld(rows[0][1]));
    EXPECT_TRUE(copiedIntact(rows[1][1], out()));
    EXPECT_TRUE(copiedIntact(rows[2][1], out()));  // 全是 held for the rest of the job
    EXPECT_NE(seen.find("已上传 2 个，跳过 1 个，失败 0 个"), std::string::npos) << seen;
}

TEST_F(UploadCommandTest, TheStoredUploadFolderIsTheDefault) {
    CliResult run = cli({"upload", "--all"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("--archive"), std::string::npos);

    const std::string stored = folder.path() + "stored";
    fs::create_directory(stored);
    const std::string profile = home() + "/Tapelink";
    fs::create_directories(profile);
    SettingsStore store;
    store.Load(settingsFilePath(profile));
    SettingsRecord record = store.GetRecord();
    ASSERT_TRUE(record.setUploadFolder(stored));
    store.SetRecord(record);
    ASSERT_TRUE(store.Save());

    run = cli({"upload", "--rows", "1"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(copiedIntact(rows[0][1], stored + "/"));
}

TEST_F(UploadCommandTest, FailuresEndWithTheClosingMessageAndStatusOne) {
    CliResult run = cli({"upload", "--rows", "1,2", "--to", folder.path() + "missing"});
    EXPECT_EQ(run.exitCode, 1);
    // One line for the folder, not one per recording.
    EXPECT_EQ(run.err, "上传路径错误！\n传输完毕！\n");
    EXPECT_EQ(run.out, "已上传 0 个，跳过 0 个，失败 1 个\n");
    EXPECT_FALSE(fs::exists(folder.path() + "missing"));

    fs::remove_all(phone());
    run = cli({"upload", "--all", "--to", out()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "设备未准备好！\n");
}
