// The two files written in place or replaced whole: the telephone's index header and the settings
// record. Under a full disk, failing writes and flushes, a folder in the way or gone, and odd paths,
// a failed write says so and leaves the old file whole; the next write works.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "phone/PhoneStore.h"
#include "settings/SettingsStore.h"
#include "tests/fault/FaultInjector.h"
#include "tests/fault/FolderSnapshot.h"
#include "tests/fault/SmallDisk.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

SettingsRecord recordWith(const std::string& folder, std::uint8_t opaque) {
    SettingsRecord record;
    record.bytes.fill(opaque);
    record.bytes[0] = 1;
    EXPECT_TRUE(record.setUploadFolder(folder));
    return record;
}

// Saves a first record at path, then returns a store holding a different one, ready to save.
SettingsStore storeWithSavedRecord(const std::string& path, const SettingsRecord& old) {
    SettingsStore first;
    first.Load(path);
    first.SetRecord(old);
    EXPECT_TRUE(first.Save());
    SettingsStore store;
    EXPECT_TRUE(store.Load(path));
    store.SetRecord(recordWith("/home/user/new", 0x22));
    return store;
}

SettingsRecord loaded(const std::string& path) {
    SettingsStore store;
    store.Load(path);
    return store.GetRecord();
}

}  // namespace

TEST(HeaderWriteFaultTest, FailedWritesLeaveTheIndexWholeAndNeverCreateIt) {
    TempFolder folder;
    VolumeBuilder volume(folder.path());
    const PhoneStore store(folder.path());
    const PhoneIndexHeader read = volume.writeIndex(VolumeBuilder::header(5, 9), 300);
    const auto before = volume.indexBytes();
    PhoneIndexHeader changed = VolumeBuilder::header(4, 9);
    changed.origin = read.origin;

    for (const FaultRule& rule : {FaultRule{FaultOperation::Write, "/system/phone.bin", 0, EIO, {}},
                                  FaultRule{FaultOperation::Write, "/system/phone.bin", 0, ENOSPC, {}}}) {
        FaultInjector fault(rule);
        EXPECT_FALSE(store.writeHeader(changed));
        EXPECT_GT(fault.fired(), 0);
    }
    EXPECT_EQ(volume.indexBytes(), before);
    {
        FaultInjector fault({FaultOperation::Sync, "/system/phone.bin", 0, EIO, {}});
        EXPECT_FALSE(store.writeHeader(changed));
        EXPECT_EQ(fault.fired(), 1);
    }

    EXPECT_TRUE(store.writeHeader(changed));
    auto expected = before;
    std::copy(changed.bytes.begin(), changed.bytes.end(), expected.begin());
    EXPECT_EQ(volume.indexBytes(), expected);

    // A folder where the index was, or no system folder at all: nothing is written or made.
    fs::remove(volume.indexPath());
    fs::create_directory(volume.indexPath());
    EXPECT_FALSE(store.writeHeader(changed));
    EXPECT_TRUE(fs::is_directory(volume.indexPath()));
    fs::remove_all(folder.path() + "system");
    EXPECT_FALSE(store.writeHeader(changed));
    EXPECT_FALSE(fs::exists(folder.path() + "system"));
}

TEST(HeaderWriteFaultTest, AFullTelephoneStillTakesTheHeaderInPlace) {
    SmallDisk disk(256 << 10);
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    VolumeBuilder volume(disk.path() + "phone/");
    PhoneIndexHeader changed = VolumeBuilder::header(0, 1);
    changed.origin = volume.writeIndex(VolumeBuilder::header(5, 9), 300).origin;
    disk.fillLeaving(0);
    EXPECT_TRUE(PhoneStore(volume.root()).writeHeader(changed));
    PhoneIndexHeader read;
    EXPECT_EQ(PhoneStore(volume.root()).readHeader(read), IndexReadResult::Ok);
    EXPECT_EQ(read, changed);
    EXPECT_EQ(volume.indexBytes().size(), 124u + 300u);
}

TEST(SettingsSaveFaultTest, AFullDiskKeepsTheOldSettingsAndLeavesNoTemporaryFile) {
    SmallDisk disk(256 << 10);
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    const std::string profile = disk.path() + "Tapelink/";
    fs::create_directory(profile);
    const SettingsRecord old = recordWith("/home/user/old", 0x11);
    SettingsStore store = storeWithSavedRecord(profile + "config.ini", old);
    disk.fillLeaving(0);

    EXPECT_FALSE(store.Save());
    EXPECT_EQ(loaded(profile + "config.ini"), old);
    EXPECT_EQ(namesOf(snapshotOf(profile)), std::vector<std::string>{"config.ini"});

    disk.freeFiller();
    EXPECT_TRUE(store.Save());
    EXPECT_EQ(loaded(profile + "config.ini"), store.GetRecord());
}

TEST(SettingsSaveFaultTest, FailingWritesAndFlushesKeepTheOldSettings) {
    for (const FaultRule& rule : {FaultRule{FaultOperation::Write, "config.ini.new", 100, ENOSPC, {}},
                                  FaultRule{FaultOperation::Write, "config.ini.new", 0, EIO, {}},
                                  FaultRule{FaultOperation::Sync, "config.ini.new", 0, EIO, {}}}) {
        TempFolder folder;
        const std::string path = folder.path() + "config.ini";
        const SettingsRecord old = recordWith("/home/user/old", 0x11);
        SettingsStore store = storeWithSavedRecord(path, old);
        {
            FaultInjector fault(rule);
            EXPECT_FALSE(store.Save());
            EXPECT_GT(fault.fired(), 0);
        }
        EXPECT_EQ(loaded(path), old);
        EXPECT_EQ(namesOf(snapshotOf(folder.path())), std::vector<std::string>{"config.ini"});
        EXPECT_TRUE(store.Save());
        EXPECT_EQ(loaded(path), store.GetRecord());
    }
}

TEST(SettingsSaveFaultTest, AFolderInTheWayOrAMissingProfileFolderFailsTheSaveAndKeepsEverything) {
    TempFolder folder;
    const std::string path = folder.path() + "config.ini";
    fs::create_directories(path + "/inside");
    SettingsStore store;
    EXPECT_FALSE(store.Load(path));
    store.SetRecord(recordWith("/home/user/new", 0x22));
    EXPECT_FALSE(store.Save());
    EXPECT_TRUE(fs::is_directory(path + "/inside"));
    EXPECT_EQ(namesOf(snapshotOf(folder.path())), std::vector<std::string>{"config.ini"});

    SettingsStore gone;
    gone.Load(folder.path() + "missing/config.ini");
    gone.SetRecord(recordWith("/x", 0));
    EXPECT_FALSE(gone.Save());
    EXPECT_FALSE(fs::exists(folder.path() + "missing"));

    fs::remove_all(path);
    EXPECT_TRUE(store.Save());
    EXPECT_EQ(loaded(path), store.GetRecord());
}

TEST(SettingsSaveFaultTest, AReadErrorMidFileLoadsNothingHalfway) {
    TempFolder folder;
    const std::string path = folder.path() + "config.ini";
    const SettingsRecord old = recordWith("/home/user/old", 0x11);
    storeWithSavedRecord(path, old);
    SettingsStore store;
    {
        FaultInjector fault({FaultOperation::Read, "/config.ini", 100, EIO, {}});
        EXPECT_FALSE(store.Load(path));
        EXPECT_GT(fault.fired(), 0);
    }
    EXPECT_EQ(store.GetRecord(), SettingsRecord{});
    EXPECT_TRUE(store.Load(path));
    EXPECT_EQ(store.GetRecord(), old);
}

TEST(SettingsSaveFaultTest, UploadFoldersWithOddCharactersComeBackByteForByte) {
    TempFolder folder;
    const std::string path = folder.path() + "config.ini";
    for (const std::string& upload : {std::string("/home/用户/录音 'a' \"b\""), std::string("/tmp/x\ty\\z*?"),
                                      std::string("/mnt/\xd6\xd0\xce\xc4/rec"), std::string(259, 'p')}) {
        SettingsStore store;
        store.Load(path);
        SettingsRecord record = store.GetRecord();
        ASSERT_TRUE(record.setUploadFolder(upload));
        store.SetRecord(record);
        ASSERT_TRUE(store.Save());
        EXPECT_EQ(loaded(path).uploadFolder(), upload);
    }
}
