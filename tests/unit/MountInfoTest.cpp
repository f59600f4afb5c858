#include <gtest/gtest.h>

#include "platform/MountInfo.h"
#include "tests/support/FakeSysfs.h"
#include "tests/support/TempFolder.h"

using namespace tapelink;
using namespace tapelink::test;

TEST(MountInfo, DecodesOctalEscapesAndKeepsBrokenOnes) {
    EXPECT_EQ(unescapeMountField(R"(/media/u/NO\040NAME)"), "/media/u/NO NAME");
    EXPECT_EQ(unescapeMountField(R"(a\011b\012c\134d)"), "a\tb\nc\\d");
    EXPECT_EQ(unescapeMountField(R"(/mnt/\344\275\240)"), "/mnt/\xe4\xbd\xa0");
    // Not three octal digits: left as written.
    EXPECT_EQ(unescapeMountField(R"(x\04)"), R"(x\04)");
    EXPECT_EQ(unescapeMountField(R"(x\089y)"), R"(x\089y)");
    EXPECT_EQ(unescapeMountField(R"(end\)"), R"(end\)");
}

TEST(MountInfo, ParsesLinesWithAndWithoutOptionalFields) {
    const std::string text =
        "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
        "36 35 8:17 / /media/u/NO\\040NAME rw,nosuid shared:1 master:2 - vfat /dev/sdb1 rw,uid=1000\n"
        "40 35 8:32 /sub /mnt/bind rw - ext4 /dev/with\\040space rw\n";
    const auto entries = parseMountInfo(text);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], (MountEntry{22, "0:21", "/proc", "proc", "/", "rw,relatime rw"}));
    EXPECT_EQ(entries[1], (MountEntry{36, "8:17", "/media/u/NO NAME", "/dev/sdb1", "/", "rw,nosuid rw,uid=1000"}));
    EXPECT_EQ(entries[2].source, "/dev/with space");
    EXPECT_EQ(entries[2].mountPoint, "/mnt/bind");
    EXPECT_EQ(entries[2].root, "/sub");
}

TEST(MountInfo, PassesOverDamagedLines) {
    const std::string text =
        "\n"
        "garbage\n"
        "x1 27 0:21 / /bad-id rw - proc proc rw\n"
        "23 27 0:22 / /no-separator rw shared:1 sysfs sysfs rw\n"
        "24 27 0:23 / /separator-at-end rw -\n"
        "25 27 0:24 / /good rw - tmpfs tmpfs rw";  // no final newline
    const auto entries = parseMountInfo(text);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].mountPoint, "/good");
    EXPECT_EQ(entries[0].source, "tmpfs");
}

TEST(MountInfo, ReadsFilesAndTheKernelTable) {
    TempFolder folder;
    const auto path = MountInfoWriter().add("/dev/sdc", "/media/a b\\c").writeTo(folder.path() + "mountinfo");
    const auto entries = readMountInfo(path);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].mountPoint, "/media/a b\\c");
    EXPECT_TRUE(readMountInfo(folder.path() + "missing").empty());

    // The process always has a root mount.
    bool root = false;
    for (const auto& entry : readMountInfo(kProcMountInfo)) root = root || entry.mountPoint == "/";
    EXPECT_TRUE(root);
}

TEST(MountInfo, BlockDeviceNameOnlyForNodesDirectlyUnderDev) {
    EXPECT_EQ(blockDeviceName("/dev/sdb1"), "sdb1");
    EXPECT_EQ(blockDeviceName("/dev/mmcblk0p1"), "mmcblk0p1");
    EXPECT_EQ(blockDeviceName("/dev/mapper/root"), "");
    EXPECT_EQ(blockDeviceName("/dev/"), "");
    EXPECT_EQ(blockDeviceName("/dev/.."), "");
    EXPECT_EQ(blockDeviceName("tmpfs"), "");
    EXPECT_EQ(blockDeviceName("/devices/sdb"), "");
}
