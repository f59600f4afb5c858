#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/CliRunner.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

constexpr time_t kRecorded = 1305709620;  // 2011-05-18 09:07 UTC

void setModificationTime(const std::string& path) {
    const timespec times[2] = {{kRecorded, 0}, {kRecorded, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

struct stat statusOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

// Sets the umask for the commands this test starts, and puts the old one back.
class Umask {
public:
    explicit Umask(mode_t mask) : m_old(::umask(mask)) {}
    ~Umask() { ::umask(m_old); }

private:
    mode_t m_old;
};

}  // namespace

class CliAttributesTest : public ::testing::Test {
protected:
    void SetUp() override { volume.writeIndex(VolumeBuilder::header(0, 5)); }
    CliResult cli(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--store", volume.root()});
        return runCli(args, {{"HOME", folder.path() + "home"}});
    }

    TempFolder folder;
    VolumeBuilder volume{folder.path() + "phone/"};
};

TEST_F(CliAttributesTest, DurationAndSizeOfFilesPastTwoGigabytesAreNotWrapped) {
    VolumeBuilder::writeRecording(volume.voice() + "VOA00001.WAV", 'Z', "138");
    fs::resize_file(volume.voice() + "VOA00001.WAV", 3000000512ULL);  // sparse
    const auto result = cli({"list"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto cells = splitCells(splitLines(result.out).at(0));
    EXPECT_EQ(cells[6], "208小时20分0秒");
    EXPECT_EQ(cells[7], "2929688K");
}

TEST_F(CliAttributesTest, UploadedAndRestoredCopiesKeepTheRecordingsTimeAndFollowTheUmask) {
    const Umask umask(027);
    VolumeBuilder::writeRecording(volume.voice() + "VOA00001.WAV", 'Z', "138");
    VolumeBuilder::writeRecording(volume.recycle() + "VOC00009.WAV", 'B', "139");
    setModificationTime(volume.voice() + "VOA00001.WAV");
    setModificationTime(volume.recycle() + "VOC00009.WAV");
    const std::string out = folder.path() + "out/";
    fs::create_directory(out);

    ASSERT_EQ(cli({"upload", "--all", "--to", out}).exitCode, 0);
    const auto uploaded = statusOf(out + "VOA00001.WAV");
    EXPECT_EQ(uploaded.st_mtim.tv_sec, kRecorded);
    EXPECT_EQ(uploaded.st_mode & 0777, 0640u);

    const auto restore = cli({"bin", "restore", "--rows", "1"});
    ASSERT_EQ(restore.exitCode, 0) << restore.err;
    const auto restored = statusOf(volume.voice() + "VOC00005.WAV");
    EXPECT_EQ(restored.st_mtim.tv_sec, kRecorded);
    EXPECT_EQ(restored.st_mode & 0777, 0640u);
}

TEST_F(CliAttributesTest, AnExportFollowsTheUmaskAndAnEmptySearchGivesATitleOnlyWorkbook) {
    const Umask umask(022);
    const std::string archive = folder.path() + "archive/";
    fs::create_directory(archive);
    const std::string workbook = folder.path() + "empty.xlsx";
    const auto result = runCli({"export", "--search", archive, "--xlsx", workbook});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "该查询路径下未找到任何与查询条件相匹配的语音文件！\n");
    EXPECT_GT(fs::file_size(workbook), 0u);
    EXPECT_EQ(statusOf(workbook).st_mode & 0777, 0644u);
}
