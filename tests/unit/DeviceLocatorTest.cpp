#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "phone/PhoneIdentification.h"
#include "platform/LinuxDeviceLocator.h"
#include "platform/SysfsDisk.h"
#include "tests/support/FakeSysfs.h"
#include "tests/support/TempFolder.h"

using namespace tapelink;
using namespace tapelink::test;

namespace fs = std::filesystem;

namespace {

// A fake machine: a sysfs tree and a mount table, and a locator that reads them.
class FakeMachine {
public:
    FakeMachine() : m_sysfs(m_folder.path() + "sys/") {}

    FakeSysfs& sysfs() { return m_sysfs; }
    MountInfoWriter& mounts() { return m_mounts; }
    const std::string& folder() const { return m_folder.path(); }

    LinuxLocatorSources sources() const {
        LinuxLocatorSources sources;
        sources.mountInfo = m_mounts.writeTo(m_folder.path() + "mountinfo");
        sources.sysfs = m_sysfs.root();
        return sources;
    }
    std::string find() const { return LinuxDeviceLocator(sources()).FindPhoneDrive(); }

private:
    TempFolder m_folder;
    FakeSysfs m_sysfs;
    MountInfoWriter m_mounts;
};

}  // namespace

TEST(PhoneIdentification, BuildsTheTextFromPaddedAttributes) {
    EXPECT_EQ(diskIdentification("NODARA  \n", "ZT USB FLASHDISK\n"), "ven_nodara&prod_zt_usb_flashdisk");
    EXPECT_EQ(diskIdentification(" Nodara", "\tZt Usb FlashDisk 2.0  "), "ven_nodara&prod_zt_usb_flashdisk_2.0");
    EXPECT_EQ(diskIdentification("", "\n"), "ven_&prod_");

    EXPECT_TRUE(isPhoneIdentification("ven_nodara&prod_zt_usb_flashdisk"));
    EXPECT_TRUE(isPhoneIdentification("ven_nodara&prod_zt_usb_flashdisk_2.0"));
    EXPECT_FALSE(isPhoneIdentification("ven_nodara&prod_zt_usb_flash"));
    EXPECT_FALSE(isPhoneIdentification("ven_kingston&prod_zt_usb_flashdisk"));
    EXPECT_FALSE(isPhoneIdentification("ven_nodara&prod_zt usb flashdisk"));
}

TEST(SysfsDisk, FindsTheDiskAboveAPartitionAndItsBus) {
    TempFolder folder;
    FakeSysfs sysfs(folder.path());
    const auto phone = sysfs.addDisk("sdb", {.removableFlag = false, .onUsb = true});
    sysfs.addPartition("sdb", "sdb1");
    const auto internal =
        sysfs.addDisk("sda", {.vendor = "ATA\n", .model = "Disk\n", .removableFlag = false, .onUsb = false});
    sysfs.addPartition("sda", "sda2");
    const auto reader = sysfs.addDisk("sdc", {.removableFlag = true, .onUsb = false});

    const auto fromPartition = findSysfsDisk(sysfs.root(), "sdb1");
    ASSERT_TRUE(fromPartition);
    EXPECT_EQ(fromPartition->path, fs::canonical(phone).string());
    EXPECT_TRUE(fromPartition->removable);  // on USB, even with the flag clear
    EXPECT_EQ(fromPartition->identification, "ven_nodara&prod_zt_usb_flashdisk");
    EXPECT_EQ(findSysfsDisk(sysfs.root(), "sdb"), fromPartition);

    const auto fixed = findSysfsDisk(sysfs.root(), "sda2");
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->path, fs::canonical(internal).string());
    EXPECT_FALSE(fixed->removable);
    EXPECT_EQ(fixed->identification, "ven_ata&prod_disk");

    const auto flagged = findSysfsDisk(sysfs.root(), "sdc");
    ASSERT_TRUE(flagged);
    EXPECT_EQ(flagged->path, fs::canonical(reader).string());
    EXPECT_TRUE(flagged->removable);

    EXPECT_FALSE(findSysfsDisk(sysfs.root(), "sdz"));
    EXPECT_FALSE(findSysfsDisk(sysfs.root(), ""));
    EXPECT_FALSE(findSysfsDisk(sysfs.root(), "../block"));
    EXPECT_FALSE(findSysfsDisk(folder.path() + "no-sysfs/", "sdb"));
}

TEST(SysfsDisk, UnreadableAttributesLeaveNoIdentification) {
    TempFolder folder;
    FakeSysfs sysfs(folder.path());
    const fs::path disk = sysfs.addDisk("sdb");
    // Root reads files whatever their mode, so unreadable is made of a dangling link and a folder.
    fs::remove(disk / "device/vendor");
    fs::create_symlink("gone", disk / "device/vendor");
    const auto noVendor = findSysfsDisk(sysfs.root(), "sdb");
    ASSERT_TRUE(noVendor);
    EXPECT_EQ(noVendor->identification, "");

    const fs::path other = sysfs.addDisk("sdc");
    fs::remove(other / "device/model");
    fs::create_directory(other / "device/model");
    fs::remove(other / "removable");
    const auto noModel = findSysfsDisk(sysfs.root(), "sdc");
    ASSERT_TRUE(noModel);
    EXPECT_EQ(noModel->identification, "");
    EXPECT_TRUE(noModel->removable);  // still on USB
}

TEST(DeviceLocator, FindsTheTelephoneOnAPartitionWithBlanksInItsMountPoint) {
    FakeMachine machine;
    machine.sysfs().addDisk("sda", {.vendor = "ATA", .model = "SSD", .removableFlag = false, .onUsb = false});
    machine.sysfs().addPartition("sda", "sda1");
    machine.sysfs().addDisk("sdb");
    machine.sysfs().addPartition("sdb", "sdb1");
    machine.mounts()
        .add("/dev/sda1", "/", "ext4")
        .add("proc", "/proc", "proc")
        .add("/dev/sdb1", "/media/user/NO NAME\t1");
    EXPECT_EQ(machine.find(), "/media/user/NO NAME\t1/");
}

TEST(DeviceLocator, GivesTheUsbSerialNumberOfTheTelephonesDiskOnlyWhenItIsPlainText) {
    FakeMachine machine;
    machine.sysfs().addDisk("sdb", {.serial = "ZT20110518A7\n"});
    machine.sysfs().addPartition("sdb", "sdb1");
    machine.sysfs().addDisk("sdc", {.serial = "bad\x01serial\n"});
    machine.sysfs().addDisk("sdd");
    machine.mounts().add("/dev/sdb1", "/media/a").add("/dev/sdc", "/media/b").add("/dev/sdd", "/media/c");
    const LinuxDeviceLocator locator(machine.sources());
    EXPECT_EQ(locator.phoneSerial("/media/a/"), "ZT20110518A7");
    EXPECT_EQ(locator.phoneSerial("/media/b/"), "");
    EXPECT_EQ(locator.phoneSerial("/media/c/"), "");
    EXPECT_EQ(locator.phoneSerial("/media/elsewhere/"), "");
}

TEST(DeviceLocator, PassesOverOtherDisks) {
    FakeMachine machine;
    machine.sysfs().addDisk("sdb", {.vendor = "Kingston", .model = "ZT USB FLASHDISK"});
    machine.sysfs().addDisk("sdc", {.vendor = "NODARA", .model = "DataTraveler 3.0"});
    machine.sysfs().addDisk("sdd", {.removableFlag = false, .onUsb = false});  // right name, fixed disk
    machine.sysfs().addDisk("sde");
    fs::remove(fs::path(machine.sysfs().root()) / "class/block/sde/device/vendor");
    machine.mounts()
        .add("/dev/sdb", "/media/b")
        .add("/dev/sdc", "/media/c")
        .add("/dev/sdd", "/media/d")
        .add("/dev/sde", "/media/e")
        .add("/dev/sdf", "/media/f")  // not in sysfs
        .add("tmpfs", "/media/g", "tmpfs");
    EXPECT_EQ(machine.find(), "");
}

TEST(DeviceLocator, FirstMountPointInPathOrderWins) {
    FakeMachine machine;
    machine.sysfs().addDisk("sdb");
    machine.sysfs().addPartition("sdb", "sdb1");
    machine.sysfs().addDisk("sdc", {.removableFlag = false, .onUsb = true});  // a whole-disk volume
    machine.sysfs().addDisk("sdd", {.vendor = "Other"});
    machine.mounts()
        .add("/dev/sdb1", "/media/user/PHONE2")
        .add("/dev/sdd", "/media/user/A")
        .add("/dev/sdc", "/media/user/PHONE");
    EXPECT_EQ(machine.find(), "/media/user/PHONE/");

    const LinuxDeviceLocator locator(machine.sources());
    std::vector<std::string> order;
    for (const auto& volume : locator.listVolumes()) order.push_back(volume.mountPoint);
    EXPECT_EQ(order, (std::vector<std::string>{"/media/user/A", "/media/user/PHONE", "/media/user/PHONE2"}));
}

TEST(DeviceLocator, ABindMountOfAFolderInsideTheVolumeIsNoDriveRoot) {
    FakeMachine machine;
    machine.sysfs().addDisk("sdb");
    machine.mounts().add("/dev/sdb", "/a/voice-only", "vfat", "/voice").add("/dev/sdb", "/media/user/PHONE");
    EXPECT_EQ(machine.find(), "/media/user/PHONE/");
}

TEST(DeviceLocator, MissingSourcesMeanNoTelephone) {
    FakeMachine machine;
    machine.sysfs().addDisk("sdb");
    machine.mounts().add("/dev/sdb", "/media/p");
    ASSERT_EQ(machine.find(), "/media/p/");

    auto sources = machine.sources();
    sources.mountInfo = machine.folder() + "no-mountinfo";
    EXPECT_EQ(LinuxDeviceLocator(sources).FindPhoneDrive(), "");
    sources = machine.sources();
    sources.sysfs = machine.folder() + "no-sys/";
    EXPECT_EQ(LinuxDeviceLocator(sources).FindPhoneDrive(), "");
}

TEST(DeviceLocator, StoreFolderStandsInForTheTelephoneWhileItExists) {
    FakeMachine machine;
    machine.sysfs().addDisk("sdb");
    machine.mounts().add("/dev/sdb", "/media/p");
    auto sources = machine.sources();

    sources.storeFolder = machine.folder() + "store";
    EXPECT_EQ(LinuxDeviceLocator(sources).FindPhoneDrive(), "");  // not there yet; the real disk is not used
    fs::create_directory(sources.storeFolder);
    EXPECT_EQ(LinuxDeviceLocator(sources).FindPhoneDrive(), machine.folder() + "store/");
    sources.storeFolder += "/";
    EXPECT_EQ(LinuxDeviceLocator(sources).FindPhoneDrive(), machine.folder() + "store/");

    sources.storeFolder = machine.folder() + "plain-file";
    std::ofstream(sources.storeFolder) << "x";
    EXPECT_EQ(LinuxDeviceLocator(sources).FindPhoneDrive(), "");
}

TEST(DeviceLocator, TakesItsSourcesFromTheEnvironment) {
    FakeMachine machine;
    machine.sysfs().addDisk("sdb");
    machine.mounts().add("/dev/sdb", "/media/p");
    const auto sources = machine.sources();
    const std::string store = machine.folder() + "store";
    fs::create_directory(store);

    ::setenv("TAPELINK_MOUNTINFO", sources.mountInfo.c_str(), 1);
    ::setenv("TAPELINK_SYSFS", sources.sysfs.c_str(), 1);
    ::setenv("TAPELINK_STORE", "", 1);
    EXPECT_EQ(LinuxDeviceLocator().FindPhoneDrive(), "/media/p/");
    EXPECT_EQ(LinuxDeviceLocator(store).FindPhoneDrive(), store + "/");

    ::setenv("TAPELINK_STORE", (machine.folder() + "missing").c_str(), 1);
    EXPECT_EQ(LinuxDeviceLocator().FindPhoneDrive(), "");
    EXPECT_EQ(LinuxDeviceLocator(store).FindPhoneDrive(), store + "/");  // the explicit folder wins
    EXPECT_EQ(LinuxDeviceLocator(std::string()).sources().storeFolder, machine.folder() + "missing");

    ::unsetenv("TAPELINK_MOUNTINFO");
    ::unsetenv("TAPELINK_SYSFS");
    ::unsetenv("TAPELINK_STORE");
    const auto defaults = LinuxLocatorSources::fromEnvironment();
    EXPECT_EQ(defaults.mountInfo, kProcMountInfo);
    EXPECT_EQ(defaults.sysfs, "/sys");
    EXPECT_EQ(defaults.storeFolder, "");
}
