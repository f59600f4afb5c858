// tapelink-cli note and tag: the words kept with an archived recording, read and changed from the command line,
// and what is refused without changing anything.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/fault/SmallDisk.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink::test;
namespace fs = std::filesystem;

class NotesCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(archive());
        VolumeBuilder::writeRecording(archive() + "VOA00001.WAV", 'Z', "13812345678");
        VolumeBuilder::writeRecording(archive() + "VOA00002.WAV", 'B', "02161234567");
    }
    std::string archive() const { return folder.path() + "archive/"; }
    CliResult cli(std::vector<std::string> args, const std::string& command) const {
        args.insert(args.begin(), {command, "--archive", archive()});
        return runCli(args, {{"HOME", folder.path()}});
    }
    CliResult note(std::vector<std::string> args) const { return cli(std::move(args), "note"); }
    CliResult tag(std::vector<std::string> args) const { return cli(std::move(args), "tag"); }
    TempFolder folder;
};

TEST_F(NotesCliTest, NotesAndTagsAreSetReadAndFound) {
    EXPECT_EQ(note({"VOA00001.WAV"}).out, "");
    ASSERT_EQ(note({"VOA00001.WAV", "客户投诉\t需回访"}).exitCode, 0);
    ASSERT_EQ(tag({"VOA00001.WAV", "+重要", "+回访", "+VIP"}).exitCode, 0);
    ASSERT_EQ(tag({"VOA00001.WAV", "-回访", "+跟进", "+重要"}).exitCode, 0);
    // A control character never reaches the terminal; the path in the archive names the same recording.
    EXPECT_EQ(note({archive() + "../archive/VOA00001.WAV"}).out, "客户投诉\xEF\xBF\xBD需回访\n");
    EXPECT_EQ(tag({"VOA00001.WAV"}).out, "VIP 跟进 重要\n");
    EXPECT_EQ(tag({"VOA00002.WAV"}).out, "");

    const CliResult found = runCli({"search", archive(), "--text", "vip"});
    ASSERT_EQ(splitLines(found.out).size(), 1u) << found.out << found.err;
    EXPECT_EQ(splitCells(found.out)[1], "VOA00001.WAV");

    // Clearing the text keeps the tags.
    ASSERT_EQ(note({"VOA00001.WAV", ""}).exitCode, 0);
    EXPECT_EQ(note({"VOA00001.WAV"}).out, "");
    EXPECT_EQ(tag({"VOA00001.WAV"}).out, "VIP 跟进 重要\n");
}

// A path names its archive; a bare name needs --archive (or its old name --to) or a stored folder.
TEST_F(NotesCliTest, APathNamesItsArchiveAndJsonShowsTheStoredWords) {
    const std::map<std::string, std::string> home{{"HOME", folder.path()}};
    ASSERT_EQ(runCli({"note", archive() + "VOA00001.WAV", "回电"}, home).exitCode, 0);
    const CliResult tagged = runCli({"tag", archive() + "VOA00001.WAV", "+重要", "--json"}, home);
    ASSERT_EQ(tagged.exitCode, 0) << tagged.err;
    EXPECT_EQ(tagged.out,
              "{\n  \"file\": \"VOA00001.WAV\",\n  \"note\": \"回电\",\n  \"tags\": [\n    \"重要\"\n  ]\n}\n");
    EXPECT_EQ(runCli({"note", "--to", archive(), "--json", "VOA00001.WAV"}, home).out, tagged.out);
    const CliResult bare = runCli({"note", "VOA00001.WAV"}, home);
    EXPECT_EQ(bare.exitCode, 2);
    EXPECT_EQ(bare.err, "没有上传路径：请用 --archive DIR 指定，或先在窗口中选择一个。\n");
}

TEST_F(NotesCliTest, RefusalsChangeNothing) {
    ASSERT_EQ(note({"VOA00001.WAV", "原来的备注"}).exitCode, 0);
    ASSERT_EQ(tag({"VOA00001.WAV", "+甲"}).exitCode, 0);
    std::string tooLong;
    for (int i = 0; i < 2001; ++i) tooLong += "字";
    const struct {
        CliResult result;
        int exitCode;
        std::string err;
    } cases[] = {
        {note({"VOA00001.WAV", tooLong}), 1, "备注过长，最多 2000 个字！\n"},
        {tag({"VOA00001.WAV", "+乙", "+a b"}), 1, "标签不能含空格或方括号：a b\n"},
        {tag({"VOA00001.WAV", "+123456789012345678901"}), 1, "标签过长，最多 20 个字：123456789012345678901\n"},
        {note({"../VOA00001.WAV", "x"}), 1, "不是存档中的录音：../VOA00001.WAV\n"},
        {note({archive() + "/../../etc/passwd"}), 1, "不是存档中的录音：" + archive() + "/../../etc/passwd\n"},
        {tag({"VOA00009.WAV", "+a"}), 1, "存档中没有这个录音：VOA00009.WAV\n"},
        {tag({"VOA00001.WAV", "重要"}), 2, "不是标签修改（应为 +标签 或 -标签）：重要\n"},
        {runCli({"note", "--archive", folder.path() + "missing", "VOA00001.WAV", "x"}), 1, "上传路径错误！\n"},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(each.result.exitCode, each.exitCode) << each.err;
        EXPECT_EQ(each.result.err, each.err);
    }
    EXPECT_EQ(note({}).exitCode, 2);
    EXPECT_EQ(note({"VOA00001.WAV"}).out, "原来的备注\n");
    EXPECT_EQ(tag({"VOA00001.WAV"}).out, "甲\n");
}

TEST(NotesReadOnlyCliTest, AReadOnlyArchiveShowsItsNotesAndRefusesChanges) {
    SmallDisk disk(4 << 20);
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
    TempFolder home;
    VolumeBuilder::writeRecording(disk.path() + "/VOA00001.WAV", 'Z', "10086");
    auto run = [&](const std::string& command, std::vector<std::string> args) {
        args.insert(args.begin(), {command, "--archive", disk.path(), "VOA00001.WAV"});
        return runCli(args, {{"HOME", home.path()}});
    };
    ASSERT_EQ(run("note", {"只读之前"}).exitCode, 0);
    if (!disk.remountReadOnly()) GTEST_SKIP() << "the tmpfs can't be remounted read-only here";
    EXPECT_EQ(run("note", {}).out, "只读之前\n");
    for (const CliResult& refused : {run("note", {"之后"}), run("tag", {"+a"})}) {
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_EQ(refused.err, "存档为只读，备注和标签无法保存！\n");
    }
    EXPECT_EQ(run("note", {}).out, "只读之前\n");
}
