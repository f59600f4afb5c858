#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "tests/support/CliRunner.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink::test;
namespace fs = std::filesystem;

// Every outcome a script can see: the exit status says what happened, and stderr says why.
class CliStatusTest : public ::testing::Test {
protected:
    void SetUp() override {
        volume.writeIndex(VolumeBuilder::header());
        VolumeBuilder::writeRecording(volume.voice() + "VOA00001.WAV", 'Z', "13800138000");
        VolumeBuilder::writeRecording(volume.voice() + "VOB00002.WAV", 'B', "");
        fs::create_directories(out());
    }

    std::string out() const { return folder.path() + "out/"; }
    CliResult cli(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--store", volume.root()});
        return runCli(args, {{"HOME", folder.path() + "home"}});
    }

    TempFolder folder;
    VolumeBuilder volume{folder.path() + "phone/"};
};

TEST_F(CliStatusTest, AnEmptyOrBlankSelectionIsAUsageErrorAndCopiesNothing) {
    for (const char* option : {"--rows", "--date", "--number"}) {
        for (const char* value : {"", "  "}) {
            const auto result = cli({"upload", option, value, "--to", out()});
            EXPECT_EQ(result.exitCode, 2) << option << " '" << value << "'";
        }
    }
    EXPECT_TRUE(VolumeBuilder::sortedNames(out()).empty());
}

// --archive names the archive in every command; the old --to still works and --help names it as the old name.
TEST_F(CliStatusTest, TheArchiveIsNamedArchiveEverywhereAndTheOldSpellingStillWorks) {
    for (const char* command : {"list", "upload", "delete", "watch", "note", "tag"}) {
        const auto help = cli({command, "--help"}).out;
        EXPECT_NE(help.find("--archive"), std::string::npos) << command;
        EXPECT_NE(help.find("Old name of --archive (别名，将来移除)"), std::string::npos) << command;
    }
    for (const char* command : {"search", "export"}) {
        EXPECT_NE(cli({command, "--help"}).out.find("--archive"), std::string::npos) << command;
    }
    EXPECT_EQ(cli({"upload", "--rows", "1", "--to", out()}).exitCode, 0);
    EXPECT_EQ(cli({"upload", "--rows", "2", "--archive", out()}).exitCode, 0);
    EXPECT_EQ(VolumeBuilder::sortedNames(out()), (std::vector<std::string>{"VOA00001.WAV", "VOB00002.WAV"}));
    const auto marked = cli({"list", "--archived", "--to", out()});
    EXPECT_EQ(marked.out, cli({"list", "--archived", "--archive", out()}).out);
    EXPECT_NE(marked.out.find("已存档"), std::string::npos) << marked.out;
    EXPECT_EQ(cli({"archive", "verify", "--archive", out()}).out, cli({"archive", "verify", out()}).out);
    // In export --to is the end date: a folder there is refused, pointing at --archive.
    const auto dated = cli({"export", "--phone", "--to", out(), "--xlsx", out() + "list.xlsx"});
    EXPECT_EQ(dated.exitCode, 2);
    EXPECT_NE(dated.err.find("存档文件夹请用 --archive DIR"), std::string::npos) << dated.err;
}

TEST_F(CliStatusTest, AnUnknownCommandOrOptionIsNamedInChinese) {
    EXPECT_EQ(cli({"frobnicate"}).err.rfind("未知命令：frobnicate（可用的命令：", 0), 0u);
    EXPECT_EQ(cli({"-V"}).err.rfind("未知选项：-V；", 0), 0u);
    EXPECT_EQ(cli({"list", "--frob"}).err, "未知选项：--frob\n用 tapelink-cli list --help 查看用法。\n");
}

// An empty answer would look like an empty telephone: each command says once why it has nothing and fails.
TEST_F(CliStatusTest, EveryCommandOnTheTelephonesListFailsWithoutAValidIndex) {
    const std::vector<std::vector<std::string>> commands = {
        {"list"},
        {"list", "--json"},
        {"upload", "--all", "--to", out()},
        {"upload", "--rows", "1", "--to", out()},
        {"upload", "--new", "--to", out()},
        {"export", "--phone", "--xlsx", out() + "list.xlsx"},
        {"delete", "--rows", "1"},
    };
    for (const bool missing : {true, false}) {
        if (missing) {
            fs::remove(volume.indexPath());
        } else {
            volume.writeIndexBytes(std::vector<std::uint8_t>(124, 0));
        }
        for (const auto& command : commands) {
            const auto result = cli(command);
            EXPECT_EQ(result.exitCode, 1) << command[0] << ' ' << command[1];
            EXPECT_EQ(result.out, "") << command[0] << ' ' << command[1];
            EXPECT_EQ(result.err, "电话机的索引文件 system/phone.bin 缺失或无效，无法读取录音列表。\n")
                << command[0] << ' ' << command[1];
        }
    }
    EXPECT_TRUE(VolumeBuilder::sortedNames(out()).empty());
    EXPECT_EQ(VolumeBuilder::sortedNames(volume.voice()), (std::vector<std::string>{"VOA00001.WAV", "VOB00002.WAV"}));
}

TEST_F(CliStatusTest, WithoutATerminalExistingFilesAreKeptAndTheUserIsToldHowToChoose) {
    VolumeBuilder::writeBytes(out() + "VOA00001.WAV", {'o', 'l', 'd'});
    const auto result = cli({"upload", "--all", "--to", out()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "已上传 1 个，跳过 1 个，失败 0 个\n");
    EXPECT_NE(result.err.find("可用 --overwrite all（覆盖）或 --overwrite none（保留）选择。"), std::string::npos)
        << result.err;
    EXPECT_EQ(VolumeBuilder::readBytes(out() + "VOA00001.WAV").size(), 3u);
}

TEST_F(CliStatusTest, AnUploadWhoseScanReportedAFileErrorEndsWithStatusOne) {
    VolumeBuilder::writeRecording(volume.voice() + "REC00001.WAV", 'B', "1");
    VolumeBuilder::writeRecording(volume.voice() + "VOC00001.WAV", 'B', "2");  // the REC name can't move
    const auto result = cli({"upload", "--all", "--to", out()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "已上传 3 个，跳过 0 个，失败 0 个\n");
}

TEST_F(CliStatusTest, TheSearchFindsFilesOfFourGigabytesAndMore) {
    const std::string archive = folder.path() + "archive/";
    fs::create_directory(archive);
    // Sparse: the low 32 bits of this size (100) are less than the block's end.
    VolumeBuilder::writeRecording(archive + "VOA00001.WAV", 'Z', "13800138000");
    fs::resize_file(archive + "VOA00001.WAV", (4ULL << 30) + 100);
    const auto result = runCli({"search", archive});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const auto lines = splitLines(result.out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(splitCells(lines[0])[7], "4194304K");
}

// A refused command line says in Chinese which word was wrong, and where to read the usage; status 2.
TEST_F(CliStatusTest, ARefusedCommandLineNamesTheWrongWordInChinese) {
    const struct {
        std::vector<std::string> args;
        std::string says;
        std::string usage;
    } cases[] = {
        {{"frobnicate"}, "未知命令：frobnicate（可用的命令：list、", "用 tapelink-cli --help 查看用法。"},
        {{"list", "--bogus"}, "未知选项：--bogus\n", "用 tapelink-cli list --help 查看用法。"},
        {{"delete", "--archived", "--older-than", "-5"}, "选项 --older-than 的值不对：-5 小于 0\n", "delete --help"},
        {{"delete", "--archived", "--older-than", "abc"}, "选项 --older-than 的值不对：“abc”不是数字\n", "delete"},
        {{"upload", "--all", "--overwrite", "some"},
         "选项 --overwrite 的值不对：“some”不是可选的值（ask、all、none）\n",
         "upload"},
        {{"export", "--phone"}, "缺少必需的选项 --xlsx\n", "用 tapelink-cli export --help 查看用法。"},
        {{"upload", "--to"}, "选项 --to 缺少值\n", "upload"},
        {{"archive"},
         "缺少命令，可用的命令：verify、rebuild、compact、expire、expired\n",
         "用 tapelink-cli archive --help 查看用法。"},
    };
    for (const auto& each : cases) {
        const auto result = cli(each.args);
        EXPECT_EQ(result.exitCode, 2) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind(each.says, 0), 0u) << result.err;
        EXPECT_NE(result.err.find(each.usage), std::string::npos) << result.err;
    }
}

// Each command the help lists is offered by the "unknown command" message in the same order and parses its own
// command line.
TEST_F(CliStatusTest, EveryCommandOfTheHelpIsOfferedAndAnswersItsOwnHelp) {
    const auto help = cli({"--help"});
    ASSERT_EQ(help.exitCode, 0);
    std::vector<std::string> names;
    std::istringstream lines(help.out.substr(help.out.find("Subcommands:\n") + 13));
    for (std::string line; std::getline(lines, line) && line.starts_with("  ");) {
        names.push_back(line.substr(2, line.find(' ', 2) - 2));
    }
    ASSERT_GE(names.size(), 10u) << help.out;
    std::string offered;
    for (const auto& name : names) {
        offered += (offered.empty() ? "" : "、") + name;
        const auto own = cli({name, "--help"});
        EXPECT_EQ(own.exitCode, 0) << name;
        EXPECT_NE(own.out.find("Usage: tapelink-cli " + name + " "), std::string::npos) << own.out;
    }
    EXPECT_EQ(cli({"frobnicate"}).err.rfind("未知命令：frobnicate（可用的命令：" + offered + "）\n", 0), 0u);
}

// A window says "文件上传失败！" for each file; a terminal names the file and the reason.
TEST_F(CliStatusTest, AFileThatFailsToUploadIsNamedWithTheReason) {
    // The old copy has nowhere to be kept aside, so it is not overwritten.
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    VolumeBuilder::writeBytes(out() + "VOA00001.WAV", old);
    fs::create_directories(out() + ".tapelink");
    VolumeBuilder::writeBytes(out() + ".tapelink/replaced", old);
    const auto result = cli({"upload", "--all", "--to", out(), "--overwrite", "all"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "文件上传失败：VOA00001.WAV（旧文件无法先另存到 .tapelink/replaced/，未覆盖）\n传输完毕！\n");
    EXPECT_EQ(result.out, "已上传 1 个，跳过 0 个，失败 1 个\n");
    EXPECT_EQ(VolumeBuilder::readBytes(out() + "VOA00001.WAV"), old);
}
