// The archive's catalogue on a disk that refuses writes: read-only (marks still shown, uploads refused with
// one clear message) and full (one message, no partial file, catalogue and folder agreeing afterwards); and
// an archive whose own folder is hostile: a catalogue or lock that can't be had, links in .tapelink/.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/fault/SmallDisk.h"
#include "tests/support/CliRunner.h"
#include "tests/support/DemoTelephone.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

class ArchiveFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        VolumeBuilder(phone()).writeIndex(VolumeBuilder::header(4, 5));
        fs::create_directories(home);
    }
    std::string phone() const { return folder.path() + "phone/"; }
    void record(int serial, std::size_t size) const {
        const std::string name = "VOA0000" + std::to_string(serial) + ".WAV";
        VolumeBuilder::writeRecording(phone() + "voice/" + name,
                                      VolumeBuilder::info('B', "13800" + std::to_string(serial), 21, 3, 4, 5, serial),
                                      size);
    }
    CliResult cli(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--store", phone()});
        return runCli(args, {{"HOME", home}});
    }
    // The ninth cell of every listed row, in the order of the file names.
    std::vector<std::string> marks(const std::string& archive) const {
        std::map<std::string, std::string> cells;
        for (const std::string& line : splitLines(cli({"list", "--archived", "--to", archive}).out)) {
            const auto cell = splitCells(line);
            cells[cell.at(1)] = cell.at(8);
        }
        std::vector<std::string> marks;
        for (const auto& [name, mark] : cells) marks.push_back(mark);
        return marks;
    }
    // Every file in the archive is a whole copy of the telephone's recording of that name.
    void expectWholeCopies(const std::string& archive) const {
        for (const std::string& name : VolumeBuilder::sortedNames(archive)) {
            EXPECT_EQ(VolumeBuilder::readBytes(archive + name), VolumeBuilder::readBytes(phone() + "voice/" + name))
                << name;
        }
    }

    TempFolder folder;
    std::string home = folder.path() + "home";
};

TEST_F(ArchiveFaultTest, AReadOnlyArchiveStillShowsItsMarksAndRefusesUploadsWithOneMessage) {
    SmallDisk disk(4 << 20);
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    const std::string archive = disk.path() + "archive/";
    fs::create_directory(archive);
    record(1, 20'000);
    record(2, 20'000);
    ASSERT_EQ(cli({"upload", "--new", "--to", archive}).exitCode, 0);
    record(3, 20'000);
    if (!disk.remountReadOnly()) GTEST_SKIP() << "the tmpfs can't be remounted read-only here";

    EXPECT_EQ(marks(archive), (std::vector<std::string>{"已存档", "已存档", ""}));
    const CliResult uploaded = cli({"upload", "--new", "--to", archive});
    EXPECT_EQ(uploaded.exitCode, 1);
    EXPECT_EQ(uploaded.err, "无法锁定上传路径 " + archive + "（只读文件系统），没有上传任何录音！\n");
    EXPECT_EQ(VolumeBuilder::sortedNames(archive), (std::vector<std::string>{"VOA00001.WAV", "VOA00002.WAV"}));
}

TEST_F(ArchiveFaultTest, AFullArchiveIsToldOnceLeavesNoPartialFileAndAgreesWithItsCatalogueAfterwards) {
    SmallDisk disk(1 << 20);
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    const std::string archive = disk.path() + "archive/";
    fs::create_directory(archive);
    for (int serial = 1; serial <= 4; ++serial) record(serial, 300'000);

    const CliResult uploaded = cli({"upload", "--new", "--to", archive});
    EXPECT_EQ(uploaded.exitCode, 1);
    EXPECT_EQ(uploaded.err, "上传路径已满或不能写入，其余新录音未上传！\n");
    const std::size_t copied = VolumeBuilder::sortedNames(archive).size();  // hidden names left out
    EXPECT_GE(copied, 1u);
    EXPECT_LT(copied, 4u);
    expectWholeCopies(archive);

    // The next opening finds the catalogue and the folder in agreement: the copies made, and only they, archived.
    const CliResult verified = cli({"archive", "verify", archive});
    EXPECT_EQ(verified.exitCode, 0) << verified.out << verified.err;
    std::vector<std::string> expected;
    for (int serial = 1; serial <= 4; ++serial) {
        expected.push_back(fs::exists(archive + "VOA0000" + std::to_string(serial) + ".WAV") ? "已存档" : "");
    }
    EXPECT_EQ(marks(archive), expected);
}

TEST_F(ArchiveFaultTest, AResetTelephonesRecordingsWithTheSameKeysButOtherContentAreArchived) {
    const std::string archive = folder.path() + "archive/";
    fs::create_directory(archive);
    record(1, 20'000);
    record(2, 20'000);
    ASSERT_EQ(cli({"upload", "--new", "--to", archive}).out, "新存档 2 个，此前已存档 0 个，失败 0 个\n");
    // Reset, clock too: the same names, numbers, start times and sizes, other sound.
    for (const char* name : {"VOA00001.WAV", "VOA00002.WAV"}) {
        std::vector<std::uint8_t> bytes = VolumeBuilder::readBytes(phone() + "voice/" + name);
        bytes.back() ^= 0xff;
        VolumeBuilder::writeBytes(phone() + "voice/" + name, bytes);
    }
    EXPECT_EQ(marks(archive), (std::vector<std::string>{"同名不同", "同名不同"}));
    EXPECT_EQ(cli({"upload", "--new", "--to", archive}).out, "新存档 2 个，此前已存档 0 个，失败 0 个\n");
    EXPECT_EQ(marks(archive), (std::vector<std::string>{"已存档", "已存档"}));
    EXPECT_EQ(VolumeBuilder::sortedNames(archive).size(), 4u);
}

class HostileArchiveTest : public ArchiveFaultTest {
protected:
    void SetUp() override {
        ArchiveFaultTest::SetUp();
        record(1, 20'000);
        record(2, 20'000);
        fs::create_directories(archive + ".tapelink");
        for (const char* name : {"VOA00001.WAV", "VOA00002.WAV"}) VolumeBuilder::writeBytes(archive + name, old);
    }
    std::vector<std::string> wavNames() const { return VolumeBuilder::sortedNames(archive); }

    std::string archive = folder.path() + "archive/";
    std::string outside = folder.path() + "outside/";
    const std::vector<std::uint8_t> old{'o', 'l', 'd'};
};

TEST_F(HostileArchiveTest, AnOverwriteWithoutACatalogueStillKeepsTheOldFilesAside) {
    fs::create_directory(archive + ".tapelink/catalogue.sqlite");
    const CliResult uploaded = cli({"upload", "--all", "--overwrite", "all", "--to", archive});
    expectWholeCopies(archive);
    const std::string replaced = archive + ".tapelink/replaced/";
    ASSERT_EQ(VolumeBuilder::sortedNames(replaced).size(), 2u) << uploaded.err;
    for (const std::string& name : VolumeBuilder::sortedNames(replaced)) {
        EXPECT_EQ(VolumeBuilder::readBytes(replaced + name), old) << name;
    }
}

TEST_F(HostileArchiveTest, NoUploadRunsWhereTheLockCantBeTaken) {
    fs::create_directory(archive + ".tapelink/write.lock");
    for (const auto& selection : {"--all", "--new"}) {
        const CliResult uploaded = cli({"upload", selection, "--overwrite", "all", "--to", archive});
        EXPECT_EQ(uploaded.exitCode, 1) << selection;
        EXPECT_EQ(uploaded.err, "无法锁定上传路径 " + archive + "（" + archive +
                                    ".tapelink/write.lock 不是普通文件），没有上传任何录音！\n");
        EXPECT_EQ(uploaded.out, "");
    }
    for (const char* name : {"VOA00001.WAV", "VOA00002.WAV"}) EXPECT_EQ(VolumeBuilder::readBytes(archive + name), old);
}

TEST_F(HostileArchiveTest, LinkedOwnFoldersAreRefusedAndTheirTargetsLeftAlone) {
    fs::create_directory(outside);
    fs::remove(archive + ".tapelink");
    fs::create_directory_symlink(outside, archive + ".tapelink");
    for (const auto& selection : {"--all", "--new"}) {
        const CliResult uploaded = cli({"upload", selection, "--overwrite", "all", "--to", archive});
        EXPECT_EQ(uploaded.exitCode, 1) << selection;
        EXPECT_EQ(uploaded.err, "存档文件夹 " + archive + ".tapelink/ 是符号链接，不是真正的文件夹，不能使用！\n");
    }
    EXPECT_EQ(VolumeBuilder::sortedNames(outside), std::vector<std::string>{});
    EXPECT_TRUE(fs::is_empty(outside));

    // replaced/ as a link: the overwrite is refused by name and the old file stays.
    fs::remove(archive + ".tapelink");
    fs::create_directory(archive + ".tapelink");
    fs::create_directory_symlink(outside, archive + ".tapelink/replaced");
    const CliResult uploaded = cli({"upload", "--all", "--overwrite", "all", "--to", archive});
    EXPECT_EQ(uploaded.exitCode, 1);
    EXPECT_NE(uploaded.err.find("文件上传失败：VOA00001.WAV（旧文件无法先另存到 .tapelink/replaced/，未覆盖）"),
              std::string::npos)
        << uploaded.err;
    for (const char* name : {"VOA00001.WAV", "VOA00002.WAV"}) EXPECT_EQ(VolumeBuilder::readBytes(archive + name), old);
    EXPECT_TRUE(fs::is_empty(outside));
}

// Compaction on a disk that refuses it: every original kept whole, one clear message, the catalogue agreeing.
class CompactFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        copyDemoTelephone({"--recordings", "6", "--seed", "3", "--max-seconds", "30"}, phone());
        fs::create_directories(home);
    }
    std::string phone() const { return folder.path() + "phone/"; }
    CliResult cli(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--store", phone()});
        return runCli(args, {{"HOME", home}});
    }
    std::map<std::string, std::vector<std::uint8_t>> contents(const std::string& archive) const {
        std::map<std::string, std::vector<std::uint8_t>> files;
        for (const std::string& name : VolumeBuilder::sortedNames(archive))
            files[name] = VolumeBuilder::readBytes(archive + name);
        return files;
    }

    TempFolder folder;
    std::string home = folder.path() + "home";
};

TEST_F(CompactFaultTest, AFullDiskKeepsEveryOriginalAndLeavesNoPartialFile) {
    SmallDisk disk(4 << 20);
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    const std::string archive = disk.path() + "archive/";
    fs::create_directory(archive);
    ASSERT_EQ(cli({"upload", "--new", "--archive", archive}).exitCode, 0);
    ASSERT_EQ(cli({"archive", "verify", "--archive", archive}).exitCode, 0);
    const auto before = contents(archive);
    disk.fillLeaving(0);

    const CliResult compacted = cli({"archive", "compact", "--archive", archive});
    EXPECT_EQ(compacted.exitCode, 1);
    EXPECT_NE(compacted.err.find("磁盘已满"), std::string::npos) << compacted.err;
    EXPECT_EQ(contents(archive), before);  // hidden names included: no temporary file is left
    disk.freeFiller();
    const CliResult verified = cli({"archive", "verify", "--archive", archive});
    EXPECT_EQ(verified.exitCode, 0) << verified.out << verified.err;
}

TEST_F(CompactFaultTest, AReadOnlyArchiveIsRefusedWithOneMessage) {
    SmallDisk disk(4 << 20);
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    const std::string archive = disk.path() + "archive/";
    fs::create_directory(archive);
    ASSERT_EQ(cli({"upload", "--new", "--archive", archive}).exitCode, 0);
    const auto before = contents(archive);
    if (!disk.remountReadOnly()) GTEST_SKIP() << "the tmpfs can't be remounted read-only here";

    const CliResult compacted = cli({"archive", "compact", "--archive", archive});
    EXPECT_EQ(compacted.exitCode, 1);
    EXPECT_EQ(compacted.err, "存档文件夹 " + archive + " 不能写入（只读文件系统），未压缩任何录音。\n");
    EXPECT_EQ(contents(archive), before);
}
