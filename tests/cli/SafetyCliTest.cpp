// The row commands on changing and damaged telephones: rows that may have moved act on nothing, --names
// can't shift, every recording acted on is named on stdout, a read-only telephone is still uploaded, a
// broken index stops every command that would write it, and copies of a killed upload are cleared away.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "phone/VolumeMessages.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestMount.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

// Legacy and modern names mixed, so that the moves of the first listing reorder the folder.
void fillPhone(const VolumeBuilder& volume) {
    volume.writeIndex(VolumeBuilder::header(0, 50));
    for (int i = 1; i <= 12; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, i % 3 ? "VOA%05d.WAV" : "REC%05d.WAV", i);
        VolumeBuilder::writeRecording(volume.voice() + name, 'B', std::to_string(i), 4532 + i);
        VolumeBuilder::writeRecording(volume.recycle() + name, 'B', std::to_string(i), 4532 + i);
    }
}

CliResult cli(const std::string& root, std::vector<std::string> args) {
    args.insert(args.begin(), {"--store", root});
    return runCli(args);
}

// Column 1 of each printed row.
Names listedNames(const CliResult& list) {
    Names names;
    for (const auto& line : splitLines(list.out)) names.push_back(splitCells(line).at(1));
    return names;
}

}  // namespace

TEST(RowChoiceCliTest, RowsActOnWhatWasListedOrOnNothing) {
    TempFolder folder;
    VolumeBuilder volume(folder.path() + "phone/");
    fillPhone(volume);
    const Names files = VolumeBuilder::sortedNames(volume.voice());

    // This listing moved legacy names: rows given now would be numbers nobody saw.
    for (const std::vector<std::string>& command : {std::vector<std::string>{"delete", "--rows", "4"},
                                                    {"upload", "--to", folder.path(), "--rows", "4"},
                                                    {"bin", "restore", "--rows", "4"},
                                                    {"bin", "delete", "--rows", "4"}}) {
        fs::remove_all(volume.root());
        fillPhone(VolumeBuilder(volume.root()));
        const CliResult refused = cli(volume.root(), command);
        EXPECT_EQ(refused.exitCode, 1) << command[0];
        EXPECT_EQ(refused.out, "");
        EXPECT_NE(refused.err.find("列表已改变"), std::string::npos) << refused.err;
        EXPECT_EQ(VolumeBuilder::sortedNames(volume.voice()).size(), files.size());
        EXPECT_EQ(VolumeBuilder::sortedNames(volume.recycle()).size(), files.size());
    }

    // The rows a listing shows are the rows the next command gets.
    const Names shown = listedNames(cli(volume.root(), {"list"}));
    const CliResult deleted = cli(volume.root(), {"delete", "--rows", "4,7"});
    EXPECT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_EQ(deleted.out, shown[3] + "\n" + shown[6] + "\n");
    EXPECT_FALSE(fs::exists(volume.voice() + shown[3]));
    const Names binShown = listedNames(cli(volume.root(), {"bin", "list"}));
    const CliResult removed = cli(volume.root(), {"bin", "delete", "--rows", "2"});
    EXPECT_EQ(removed.out, binShown[1] + "\n");
}

TEST(RowChoiceCliTest, NamesChooseExactlyTheListedFilesAndUnknownNamesDoNothing) {
    TempFolder folder;
    VolumeBuilder volume(folder.path() + "phone/");  // the upload folder beside it, not on it
    fillPhone(volume);
    const std::string out = folder.path() + "out/";
    fs::create_directory(out);

    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"delete", "--names", "VOA00001.WAV,VOX00001.WAV"},
          {"upload", "--to", out, "--names", "REC00003.WAV"},
          {"bin", "restore", "--names", "VOA00001.WAV,"},
          {"bin", "delete", "--names", "notes.txt"},
          {"delete", "--rows", "1", "--names", "VOA00001.WAV"}}) {
        const CliResult refused = cli(volume.root(), command);
        EXPECT_EQ(refused.exitCode, 2) << command[0] << ' ' << refused.err;
        EXPECT_EQ(refused.out, "");
    }
    EXPECT_EQ(VolumeBuilder::sortedNames(out), Names{});
    EXPECT_EQ(VolumeBuilder::sortedNames(volume.voice()).size(), 12u);
    EXPECT_EQ(VolumeBuilder::sortedNames(volume.recycle()).size(), 12u);
    EXPECT_TRUE(fs::exists(volume.voice() + "VOA00001.WAV"));

    // Names can't shift, so they work right after a listing that moved files.
    const CliResult uploaded = cli(volume.root(), {"upload", "--to", out, "--names", "VOC00003.WAV,VOA00002.WAV"});
    EXPECT_EQ(uploaded.exitCode, 0) << uploaded.err;
    Names lines = splitLines(uploaded.out);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (Names{"VOA00002.WAV", "VOC00003.WAV", "已上传 2 个，跳过 0 个，失败 0 个"}));
    const CliResult deleted = cli(volume.root(), {"delete", "--names", "VOC00006.WAV,VOA00001.WAV"});
    EXPECT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_EQ(deleted.out.size(), 26u);
    EXPECT_FALSE(fs::exists(volume.voice() + "VOC00006.WAV"));
    const CliResult restored = cli(volume.root(), {"bin", "restore", "--names", "VOA00002.WAV"});
    EXPECT_EQ(restored.out, "VOA00002.WAV\tVOA00050.WAV\n");
    const CliResult binDeleted = cli(volume.root(), {"bin", "delete", "--names", "VOC00009.WAV"});
    EXPECT_EQ(binDeleted.out, "VOC00009.WAV\n");
    EXPECT_FALSE(fs::exists(volume.recycle() + "VOC00009.WAV"));
}

TEST(DamagedTelephoneCliTest, ABrokenIndexStopsEveryWriterAndLeavesTheTelephoneAsItWas) {
    TempFolder folder;
    VolumeBuilder volume(folder.path());
    VolumeBuilder::writeRecording(volume.voice() + "VOA00001.WAV", 'B', "1");
    VolumeBuilder::writeRecording(volume.recycle() + "VOA00002.WAV", 'B', "2");
    volume.writeIndexBytes(std::vector<std::uint8_t>(60, 0x66));
    for (const std::vector<std::string>& command : {std::vector<std::string>{"delete", "--names", "VOA00001.WAV"},
                                                    {"bin", "restore", "--names", "VOA00002.WAV"}}) {
        const CliResult refused = cli(volume.root(), command);
        EXPECT_EQ(refused.exitCode, 1) << refused.err;
        EXPECT_EQ(refused.out, "");
    }
    EXPECT_EQ(cli(volume.root(), {"bin", "restore", "--names", "VOA00002.WAV"}).err,
              std::string(kIndexUnusable) + "\n");
    EXPECT_EQ(VolumeBuilder::sortedNames(volume.voice()), Names{"VOA00001.WAV"});
    EXPECT_EQ(VolumeBuilder::sortedNames(volume.recycle()), Names{"VOA00002.WAV"});
    EXPECT_EQ(volume.indexBytes(), std::vector<std::uint8_t>(60, 0x66));
}

TEST(DamagedTelephoneCliTest, AReadOnlyTelephoneIsUploadedButNotChanged) {
    TestMount mount;
    if (!mount.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    VolumeBuilder volume(mount.path());
    fillPhone(volume);
    ASSERT_TRUE(mount.remountReadOnly());
    TempFolder out;

    const CliResult list = cli(mount.path(), {"list"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_EQ(splitLines(list.out).size(), 12u);
    EXPECT_EQ(list.err, std::string(kPhoneReadOnly) + "\n");
    const CliResult upload = cli(mount.path(), {"upload", "--to", out.path(), "--all"});
    EXPECT_EQ(upload.exitCode, 0) << upload.err;
    EXPECT_EQ(upload.out, "已上传 12 个，跳过 0 个，失败 0 个\n");
    const CliResult deleted = cli(mount.path(), {"delete", "--names", "VOA00001.WAV"});
    EXPECT_EQ(deleted.exitCode, 1);
    EXPECT_NE(deleted.err.find(kPhoneReadOnly), std::string::npos);
}

TEST(InterruptedTransferCliTest, CopiesOfAKilledUploadAreRemovedByTheNextOne) {
    TempFolder folder;
    VolumeBuilder volume(folder.path() + "phone/");
    fillPhone(volume);
    const std::string out = folder.path() + "out/";
    fs::create_directory(out);
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const std::string stale = ".VOA00001.WAV." + std::to_string(child) + "-0badf00d.part";
    const std::string live = ".VOA00001.WAV." + std::to_string(::getpid()) + "-0badf00d.part";
    VolumeBuilder::writeBytes(out + stale, {1, 2});
    VolumeBuilder::writeBytes(out + live, {1, 2});
    EXPECT_EQ(cli(volume.root(), {"upload", "--to", out, "--names", "VOA00001.WAV"}).exitCode, 0);
    EXPECT_FALSE(fs::exists(out + stale));
    EXPECT_TRUE(fs::exists(out + live));
}
