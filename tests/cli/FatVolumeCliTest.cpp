// The row commands on a real FAT file system, as the telephone presents it: an image made by mkfs.vfat and
// mounted with fusefat. After every command the image is unmounted and fsck.fat finds it clean.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/CliRunner.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

bool run(const std::string& command) {
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

class FatImage {
public:
    FatImage() {
        fs::create_directory(mountPoint());
        m_usable = ::access("/dev/fuse", R_OK | W_OK) == 0 && run("command -v fusefat && command -v fsck.fat") &&
                   run("truncate -s 16M " + image()) && run("mkfs.vfat -n PHONE " + image()) && mount();
    }
    ~FatImage() {
        if (m_mounted) unmount();
    }
    bool usable() const { return m_usable; }
    std::string root() const { return mountPoint(); }

    // Unmounts, checks the file system without changing it, and mounts it again.
    bool cleanAfterRemount() {
        if (!unmount()) return false;
        const bool clean = run("fsck.fat -n " + image());
        return mount() && clean;
    }

private:
    std::string image() const { return m_folder.path() + "phone.img"; }
    std::string mountPoint() const { return m_folder.path() + "mnt/"; }
    bool mount() {
        m_mounted = run("fusefat -o rw+ " + image() + " " + mountPoint());
        return m_mounted;
    }
    bool unmount() {
        m_mounted = !(run("fusermount -u " + mountPoint()) || run("umount " + mountPoint()));
        return !m_mounted;
    }

    TempFolder m_folder;
    bool m_usable = false;
    bool m_mounted = false;
};

}  // namespace

TEST(FatVolumeCliTest, UploadDeleteAndRestoreKeepTheFileSystemClean) {
    FatImage fat;
    if (!fat.usable()) GTEST_SKIP() << "no FAT image can be mounted here (needs FUSE, fusefat and dosfstools)";
    VolumeBuilder volume(fat.root());
    volume.writeIndex(VolumeBuilder::header(0, 20));
    for (const char* name : {"VOA00001.WAV", "REC00002.WAV", "VOB00003.WAV"}) {
        VolumeBuilder::writeRecording(volume.voice() + name, 'B', "1");
    }
    VolumeBuilder::writeRecording(volume.recycle() + "REC00004.WAV", 'Z', "2");
    ASSERT_TRUE(fat.cleanAfterRemount());
    TempFolder out;
    const auto cli = [&fat](std::vector<std::string> args) {
        args.insert(args.begin(), {"--store", fat.root()});
        return runCli(args);
    };

    EXPECT_EQ(splitLines(cli({"list"}).out).size(), 3u);
    EXPECT_TRUE(fat.cleanAfterRemount());
    EXPECT_EQ(cli({"upload", "--to", out.path(), "--all"}).out, "已上传 3 个，跳过 0 个，失败 0 个\n");
    EXPECT_EQ(VolumeBuilder::sortedNames(out.path()),
              (std::vector<std::string>{"VOA00001.WAV", "VOB00003.WAV", "VOC00002.WAV"}));
    EXPECT_TRUE(fat.cleanAfterRemount());
    EXPECT_EQ(cli({"delete", "--names", "VOC00002.WAV"}).out, "VOC00002.WAV\n");
    EXPECT_TRUE(fat.cleanAfterRemount());
    EXPECT_EQ(cli({"bin", "restore", "--names", "VOC00004.WAV"}).out, "VOC00004.WAV\tVOC00020.WAV\n");
    EXPECT_TRUE(fat.cleanAfterRemount());
    EXPECT_EQ(VolumeBuilder::sortedNames(volume.voice()),
              (std::vector<std::string>{"VOA00001.WAV", "VOB00003.WAV", "VOC00020.WAV"}));
    EXPECT_EQ(VolumeBuilder::headerOnDisk(volume.root()).nextSerial(), 21);
}
